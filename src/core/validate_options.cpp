// Rejects combinations of options the model cannot run, switches a few
// dependent options, and announces runs driven by the host environment.
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/report_unused_files.h"
#include "core/run_steps.h"

namespace {

void clear_green_ampt_flags(model_state& s)
{
    s.moisture_given = 0;
    s.conductivity_given = 0;
    s.capillary_given = 0;
    s.porosity_given = 0;
    s.pore_index_given = 0;
    s.residual_sat_given = 0;
}

// The first failing check stores its code; true when it stops here.
bool fail(int code)
{
    error_set(code);
    return true;
}

bool check_long_term(model_state& s)
{
    if (s.long_term && s.et_calc_penman && s.et_calc_deardorff) return fail(err_et_both);
    if (s.hmet_surfaways + s.hmet_samson + s.hmet_ktr >= 2) return fail(err_hmet_two_kinds);
    if (s.long_term && !s.et_calc_penman && !s.et_calc_deardorff) return fail(err_et_none);
    if (s.precip_file_on && s.precip_unif) return fail(err_rain_both);
    if (s.precip_unif && (s.rain_intensity == 0.0 || s.rain_duration == 0.0)) return fail(err_no_precip);
    if (!s.long_term) return false;
    if (!s.inf_redist && !s.inf_richards && !s.inf_layered_soil) return fail(err_lt_needs_redist);
    const int et_table = s.mapping_table_flags[mt_evapotranspiration];
    if (!s.albedo_given && !s.inf_richards && !et_table) return fail(err_lt_no_albedo);
    if (s.et_calc_penman && !s.inf_richards && !et_table) {
        if (!s.vheight_given) return fail(err_lt_no_veg_height);
        if (!s.tcoeff_given) return fail(err_lt_no_transmission);
        if (!s.canopy_given) return fail(err_lt_no_stomatal);
        if (!s.wilting_point_given) return fail(err_lt_no_wilting);
    }
    return false;
}

bool check_infiltration(model_state& s)
{
    if (s.inf_layered_soil) {
        if (s.green_ampt) return fail(err_ga_and_mlga);
        if (s.inf_redist) return fail(err_redist_and_mlga);
        if (s.inf_richards) return fail(err_ga_and_richards); // layered soil with Richards
        clear_green_ampt_flags(s);
    }
    if (s.inf_richards) {
        if (s.green_ampt) return fail(err_ga_and_richards2);
        if (s.inf_redist) return fail(err_redist_and_richards);
        if (s.inf_layered_soil) return fail(err_layered_and_richards);
        if (s.gw_simulation && s.aquifer_delta_z < 0.0) return fail(err_gw_no_vertical_size);
        // Without a retention model the columns would have no soil types and
        // no property refresh.
        if (s.richards_c_option != 1 && s.richards_c_option != 2) {
            std::fputs("Error: Richards infiltration needs its soil water retention model: give "
                       "RICHARDS_C_OPTION brooks or RICHARDS_C_OPTION havercamp\n",
                       stdout);
            return fail(err_stop);
        }
        clear_green_ampt_flags(s);
    }
    if (s.green_ampt && s.inf_redist) return fail(err_ga_and_redist);
    return false;
}

bool check_groundwater(model_state& s)
{
    if (!s.gw_simulation) return false;
    const int gw_table = s.mapping_table_flags[mt_groundwater];
    if (s.gw_porosity_map && s.gw_unif_porosity) return fail(err_gw_porosity_both);
    if (!s.gw_porosity_map && !s.gw_unif_porosity && !gw_table) {
        error_set(err_gw_porosity_none);
        report_error(error_state);
    }
    if (s.gw_hycond_map && s.gw_unif_hycond) return fail(err_gw_ks_both);
    if (!s.gw_hycond_map && !s.gw_unif_hycond && !gw_table) {
        error_set(err_gw_ks_none);
        report_error(error_state);
    }
    if (s.sacramento) return fail(err_gw_and_sacramento);
    return false;
}

bool check_host_environment(model_state& s)
{
    if (s.qnt_mode) {
        std::printf("Running TORVA in QNT environment\n");
        if (!s.zebo_exchange) return fail(err_qnt_no_comodel);
        std::printf("TORVA will share data with ZEBO through file: %s\n", s.zebo_path.c_str());
        if (s.qnt_event_num) {
            std::printf("This is an event call of TORVA by QNT, qnt_event_num=%d\n", s.qnt_event_num_value);
            if (s.qnt_event_num_value < 0) return fail(err_qnt_event_num);
        }
        if (s.gw_simulation) return fail(err_qnt_gw);
    }
    if (s.zebo_exchange && !s.qnt_mode) return fail(err_zebo_without_qnt);
    // The co-run exchange knows these grids by name only: the model keeps
    // no erosivity, crop factor, net erosion or ET demand map to write or to
    // take back, so a project asking for one is refused rather than ignored.
    struct unexchanged {
        int given;
        const char* card;
        const char* way;
    };
    const unexchanged grids[] = {
        {s.erosivity_to_zebo, "EROSIVITY_TO_ZEBO", "write"},
        {s.crop_fact_to_zebo, "CROP_FACT_TO_ZEBO", "write"},
        {s.net_erosion_to_zebo, "NET_EROSION_TO_ZEBO", "write"},
        {s.erosivity_from_zebo, "EROSIVITY_FROM_ZEBO", "read"},
        {s.crop_fact_from_zebo, "CROP_FACT_FROM_ZEBO", "read"},
        {s.et_demand_from_zebo, "ET_DEMAND_FROM_ZEBO", "read"},
    };
    for (const unexchanged& g : grids) {
        if (!g.given) continue;
        std::printf("Error: TORVA cannot %s the ZEBO exchange grid of the %s card.\n"
                    "Remove the card from the project file.\n",
                    g.way, g.card);
        return fail(err_stop);
    }
    return false;
}

} // namespace

void validate_options(model_state& s)
{
    if (s.manning_n_given && s.roughness_given) {
        fail(err_roughness_both);
        return;
    }
    if (check_long_term(s) || check_infiltration(s)) return;
    // The implicit scheme: its drain and backwater initialisations, and
    // CHAN_PREISS, which selects it by name and would otherwise leave the
    // channel unrouted without a word.
    if (s.chan_drain_backwater || s.run.chan_route_type == 1) {
        fail(err_chan_preissmann);
        return;
    }
    if (s.chan_explicit && s.chan_mesh) {
        fail(err_chan_explicit_and_mesh);
        return;
    }
    if (s.chan_explicit && s.sed.soil_erosion) s.chan_sed_on = 1;
    if (s.chan_discharge_given && !s.chan_explicit) {
        s.chan_discharge_given = 0;
        s.chan_discharge_output = 0;
    }
    // Files named for a process that is off would otherwise go unread, or
    // stay unwritten or empty, without a word.
    report_unused_files(s);
    if (check_groundwater(s)) return;
    if (check_host_environment(s)) return;
    // Stream boundary points feed channel nodes: without channel routing
    // their discharges would go nowhere.
    if (s.cards.xy_in.num_st_points > 0 && !s.chan_explicit) {
        std::printf("Error: the stream xy boundary points of %s need channel routing (CHAN_EXPLIC).\n",
                    s.cards.xybdyinput_stflow_given ? "XYBDYINPUT_STFLOW" : "XYBDYINPUT_STTIMESERIES");
        fail(err_stop);
    }
}
