// The end of a run: measure the water left in every store, set it against
// what was stored at the start and what came in and went out over the run,
// and write the balances to the run summary file.
#include <algorithm>
#include <cstdio>

#include "channel/routed_nodes.h"
#include "core/model_state.h"
#include "hydromet/snow_services.h"
#include "output/output_steps.h"
#include "output/state_access.h"
#include "output/summary_writers.h"
#include "overland/olake_extent.h"
#include "quality/chan_sed_contam.h"

namespace
{

void lake_totals(model_state& s)
{
    s.lake_final_volume_run = 0.0;
    if (!s.chan_lakes)
        return;
    const int lakes = std::min(s.num_lakes, s.lake_volume.size());
    const int nc = s.chan_con_trans ? s.num_constituents : 0;
    for (int k = 1; k <= nc; ++k)
        if (double* v = slot_at(s.lake_final_mass_run, k))
            *v = 0.0;
    for (int l = 1; l <= lakes; ++l) {
        s.lake_final_volume_run += s.lake_volume[l];
        for (int k = 1; k <= nc; ++k) {
            const double* mass = row_of(s.lake_mass, k, lakes);
            const double kg = mass ? mass[l] / 1000.0 : 0.0;
            if (double* v = slot_at(s.lake_final_mass_run, k))
                *v += kg;
            s.GLOBAL_MASS_FINAL[k] += kg;
        }
    }
    // The lakes' attached mass: still suspended, or settled on their beds.
    if (!s.sediment_contam)
        return;
    for (int k = 1; k <= nc; ++k) {
        const double attached = lake_attached_mass(s, k) / 1000.0;
        if (double* v = slot_at(s.lake_attached_final, k))
            *v = attached;
        s.GLOBAL_MASS_FINAL[k] += attached + value_at(s.LAKE_SETTLED_SED_MASS, k);
    }
}

// The direct evaporation since the last event close.
void last_direct_evaporation(model_state& s)
{
    if (!(s.long_term && s.soil_water_acct))
        return;
    const int n = std::min(s.num_cells, s.direct_evap.size());
    const double area = s.gridsize * s.gridsize;
    for (int m = 1; m <= n; ++m)
        s.direct_evap_total += s.direct_evap[m] / 100.0 * area;
}

void groundwater_report(model_state& s, std::FILE* fp)
{
    const int n = s.num_cells;
    const double area = s.gridsize * s.gridsize;
    if (s.elevgw.size() >= n && s.bottom_elev.size() >= n && s.gw_porosity.size() >= n)
        for (int m = 1; m <= n; ++m)
            s.gw_final_volume += (s.elevgw[m] - s.bottom_elev[m]) * s.gw_porosity[m] * area;
    const bool defined = s.gw_initial_volume > 0.0;
    s.gw_balance_error = defined ? (s.gw_final_volume - s.gw_initial_volume - s.gw_inputs_total -
                                    s.gw_boundary_flux_total - s.xy_gw_gain_total + s.xy_gw_loss_total) /
                                       s.gw_initial_volume * 100.0
                                 : 0.0;
    if (!fp)
        return;
    std::fprintf(fp, "\n \n");
    std::fprintf(fp, "GROUNDWATER CALCULATIONS \n\n");
    std::fprintf(fp, "GW volume start =                %14.2lf \n", s.gw_initial_volume);
    std::fprintf(fp, "GW volume end =                  %14.2lf \n", s.gw_final_volume);
    std::fprintf(fp, "Sat/unsat. volume (into gw) =    %14.2lf \n", s.sat_unsat_volume);
    std::fprintf(fp, "Exfiltration back on overland =  %14.2lf \n", s.exfil_vol_total);
    std::fprintf(fp, "Recharge to groundwater =        %14.2lf \n", s.gw_recharge_total);
    std::fprintf(fp, "Total inputs to groundwater=     %14.2lf \n", s.gw_inputs_total);
    std::fprintf(fp, "Flux across head boundaries=     %14.2lf \n", s.gw_boundary_flux_total);
    std::fprintf(fp, "Leakage to deep aquifer+         %14.2lf \n", s.gw_leakage_total);
    std::fprintf(fp, "Pumping                          %14.2lf \n", s.gw_pumping_total);
    std::fprintf(fp, "To tile drains                   %14.2lf \n", s.gw_to_tile_total);
    std::fprintf(fp, "Gain from XY boundaries          %14.2lf \n", s.xy_gw_gain_total);
    std::fprintf(fp, "Loss to XY boundaries            %14.2lf \n", s.xy_gw_loss_total);
    std::fprintf(fp, "Mass Balance error =             %14.2lf %%  \n", s.gw_balance_error);
    if (!defined)
        std::fprintf(fp, "Note: the groundwater held no water at the start, so its mass balance error is "
                         "given as 0.\n");
    std::fprintf(fp, "\n");
    std::fprintf(fp, "If you have any head boundaries \n");
    std::fprintf(
        fp, "Mass balance errors are likely due to the estimation of fluxes across these boundaries, \n");
    std::fprintf(fp, "Which cannot be calculated exactly \n \n");
    std::fprintf(fp, "Sat/unsaturated volume is the amount of water passed from the unsaturated zone to the "
                     "saturated zone \n");
    std::fprintf(fp,
                 "to maintain mass balance between the two domains and account for any changes to the soil "
                 "moisture in the unsaturated zone \n");
}

void surface_and_soil(model_state& s)
{
    s.surface_vol = 0.0;
    s.soil_final_volume = 0.0;
    s.soil_final_volume_simple = 0.0;
    const int n = s.num_cells;
    const double area = s.gridsize * s.gridsize;
    const bool clakes = s.chan_lakes && s.lake_mask.size() >= n;
    const bool olakes = s.overland_lake_on && s.oland_lake_new.size() >= n;
    const int nd = std::min(n, s.ov_depth.size());
    for (int m = 1; m <= nd; ++m)
        if (!(clakes && s.lake_mask[m] != 0) && !(olakes && s.oland_lake_new[m] > 0))
            s.surface_vol += s.ov_depth[m] * area;
    // An overland lake's water is its own running volume.
    if (olakes) {
        s.oland_lake_volume = oland_lakes_volume(s);
        s.surface_vol += s.oland_lake_volume;
    }

    if (s.inf_richards) {
        if (s.numcells.size() < n || s.THETA.rows() < n || s.DZ.rows() < n)
            return;
        for (int m = 1; m <= n; ++m) {
            const int nodes = std::min({s.numcells[m] - 1, s.THETA.cols(), s.DZ.cols()});
            for (int k = 1; k <= nodes; ++k)
                s.soil_final_volume += s.THETA[m][k] * s.DZ[m][k] / 100.0 * area;
        }
        return;
    }
    if (!s.soil_water_acct || s.soil_water.size() < n)
        return;
    const bool wetted = s.water_table && s.ground_elev.size() >= n && s.elevgw.size() >= n &&
                        s.gw_inf_redist_theta.size() >= n;
    const bool layered = s.inf_layered_soil && s.soiltype.size() >= n;
    for (int m = 1; m <= n; ++m) {
        const double w = s.soil_water[m] / 100.0 * area;
        s.soil_final_volume_simple += w;
        s.soil_final_volume += w;
        if (!wetted)
            continue;
        // The wetted zone between the bottom of the column and the water table.
        double column = s.soil_moist_depth; // cm
        if (layered) {
            const int t = s.soiltype[m];
            if (t >= 0 && t < soil_type_count) {
                const soil_layer_rec& soil = s.soil_layers[static_cast<std::size_t>(t)];
                column = soil.depth[0] + soil.depth[1];
            }
        }
        const double d = s.ground_elev[m] - s.elevgw[m];
        if (d > column / 100.0)
            s.soil_final_volume += (d - column / 100.0) * s.gw_inf_redist_theta[m] * area;
    }
}

void channel_totals(model_state& s)
{
    s.chan_vol = 0.0;
    const int nc = s.chan_con_trans ? s.num_constituents : 0;
    for (int k = 1; k <= nc; ++k) {
        if (double* v = slot_at(s.chan_final_dissolved, k))
            *v = 0.0;
        if (s.sediment_contam)
            if (double* v = slot_at(s.chan_attached_final, k))
                *v = 0.0;
    }
    if (!(s.chan_explicit || s.chan_mesh))
        return;
    s.chan_vol = channel_water_volume(s, s.chan_lakes != 0);
    if (nc == 0)
        return;
    for_each_routed_node(s, s.chan_lakes != 0, [&](int l, int n, double v) {
        const int i = s.node_dim * l + n;
        for (int k = 1; k <= nc; ++k) {
            const double* conc = row_of(s.chan_conc, k, i);
            const double dissolved = conc ? v * conc[i] / 1000.0 : 0.0;
            if (double* total = slot_at(s.chan_final_dissolved, k))
                *total += dissolved;
            s.GLOBAL_MASS_FINAL[k] += dissolved;
            if (!s.sediment_contam || !s.ov_sed)
                continue;
            for (int c = 1; c <= s.num_fine_classes; ++c) {
                const double x =
                    value_at(s.chan_sed_contam_node_conc, k, i, value_at(s.ov_sed->fine_class, c)) *
                    value_at(s.ch_wash_vol, n, l, c) / 1000.0;
                if (double* total = slot_at(s.chan_attached_final, k))
                    *total += x;
                s.GLOBAL_MASS_FINAL[k] += x;
            }
        }
    });
}

void snow_total(model_state& s)
{
    if (!s.snow_present)
        return;
    const int n = std::min(s.num_cells, s.snow_swe.size());
    for (int m = 1; m <= n; ++m)
        s.snow_final_volume_run += s.gridsize * s.snow_swe[m] * s.gridsize;
    // Melt water still waiting in the packets is snow water too.
    const int k = s.snow_retention_kind;
    if (n == s.num_cells && k >= 1 && s.Melt_Waves.dim1() >= n && s.Melt_Waves.dim2() >= k &&
        s.Melt_Waves.dim3() >= 3)
        s.snow_final_volume_run += sum_melt_packets(0, n, s.Melt_Waves, k, "ALL") * s.gridsize * s.gridsize;
}

// The water the drains and the soil column have already received at run end
// but the aquifer gives up only at its next solve (negative: still to
// leave; under a fixed head, still to enter through the boundary). Inactive
// cells never take part in the solve, nor hand over to the soil under a
// fixed head.
double aquifer_queued_volume(const model_state& s)
{
    const int n = s.num_cells;
    if (s.gwbound.size() < n)
        return 0.0;
    const double area = s.gridsize * s.gridsize;
    const bool unsat = s.gw_unsat_gain.size() >= n;
    const bool tiles = s.storm_sewer && s.tile_drains && s.vol_tile_grid.size() >= n;
    double v = 0.0;
    for (int i = 1; i <= n; ++i) {
        if (s.gwbound[i] == 5)
            continue;
        if (unsat && s.gwbound[i] != 2)
            v += s.gw_unsat_gain[i] / 100.0 * area;
        if (tiles)
            v -= s.vol_tile_grid[i];
    }
    return v;
}

// Overall and surface balances of the general case; true when the overall
// error is defined.
bool global_balance(model_state& s)
{
    if (s.ov_boundary || s.xybdyinput_ovdep) {
        s.bc_in_total = s.discharge_bc_in_total + s.head_bc_in_total;
        s.bc_out_total = s.slope_bc_out_total + s.head_bc_out_total + s.discharge_bc_out_total;
    }
    s.run_final_storage = s.chan_vol + s.surface_vol + s.soil_final_volume + s.gw_final_volume +
                          s.snow_final_volume_run + s.lake_final_volume_run + s.superlink_volume_remaining;
    s.run_initial_storage = s.surface_initial_volume + s.chan_initial_volume + s.soil_initial_volume_run +
                            s.gw_initial_volume + s.lake_run_initial_volume + s.oland_lake_initial_volume +
                            s.snow_initial_volume_run;
    double in = s.precip_total + s.gw_boundary_flux_total + s.ov_point_vol_total + s.chan_point_total +
                s.bc_in_total;
    double out = s.discharge_total + s.evap_total + s.bc_out_total + s.lake_evap_total + s.stream_point_sink_total;
    // The stream and lake-bed exchange leaves the run only without the
    // aquifer; with it, the water moves between two stores of the run.
    if (!s.gw_simulation) {
        out += s.green_ampt ? s.infil_total : s.unsat_down_flux_total;
        out += s.river_to_gw_total + s.lake_to_gw_total;
        // A static table feeds the drains from outside the run, and so
        // does the groundwater that comes out onto the land; ponded water
        // leaking down into the table leaves the run.
        in += s.gw_to_river_total + s.gw_to_lake_total + s.gw_to_tile_total;
        if (s.exfil_vol_total >= 0.0)
            in += s.exfil_vol_total;
        else
            out -= s.exfil_vol_total;
    } else {
        out += s.unsat_down_flux_total - s.gw_recharge_total + s.gw_leakage_total + s.gw_pumping_total;
        s.run_final_storage += aquifer_queued_volume(s);
    }
    const double t = s.run_initial_storage + in;
    const bool defined = t > 0.0;
    s.overall_balance_error = defined ? (t - s.run_final_storage - out) * 100.0 / t : 0.0;

    const double inputs = s.precip_total + s.gw_to_river_total + s.gw_to_lake_total + s.exfil_vol_total +
                          s.ov_point_vol_total + s.chan_point_total + s.superlink_to_chan_total +
                          s.superlink_to_ov_total + s.bc_in_total;
    s.surface_balance_error = 0.0;
    if (inputs > 0.0) {
        const double f = s.snow_final_volume_run + s.chan_vol + s.surface_vol + s.lake_final_volume_run;
        const double leaving = s.river_to_gw_total + s.lake_to_gw_total + s.direct_evap_total +
                               s.discharge_total + s.infil_total + s.bc_out_total + s.lake_evap_total +
                               s.superlink_ov_in_total + f;
        s.surface_balance_error =
            (s.surface_initial_volume + s.chan_initial_volume + s.lake_run_initial_volume +
             s.oland_lake_initial_volume + s.snow_initial_volume_run + inputs - leaving) *
            100.0 / (f + inputs);
    }
    return defined;
}

double simple_soil_balance(const model_state& s)
{
    if (!(s.soil_initial_volume_run > 0.0))
        return 0.0;
    return (s.infil_total + s.soil_initial_volume - s.soil_final_volume_simple -
            (s.evap_total - s.direct_evap_total - s.layered_et_total) - s.unsat_down_flux_total) *
           100.0 / (s.infil_total + s.soil_initial_volume_run);
}

// Content as a percentage of its capacity; an empty capacity gives 0.
double percent_of(double content, double capacity)
{
    return capacity > 0.0 ? content / capacity * 100.0 : 0.0;
}

void sacramento_state(std::FILE* fp, const double c[5], const double cap[5], const char* last_end)
{
    std::fprintf(fp, "uztwc:  %10.3lf mm, %8.2lf%%\n", c[0], percent_of(c[0], cap[0]));
    std::fprintf(fp, "uzfwc:  %10.3lf mm, %8.2lf%%\n", c[1], percent_of(c[1], cap[1]));
    std::fprintf(fp, "lztwc:  %10.3lf mm, %8.2lf%%\n", c[2], percent_of(c[2], cap[2]));
    std::fprintf(fp, "lzfpc:  %10.3lf mm, %8.2lf%%\n", c[3], percent_of(c[3], cap[3]));
    std::fprintf(fp, "lzfsc:  %10.3lf mm, %8.2lf%%%s", c[4], percent_of(c[4], cap[4]), last_end);
}

void sacramento_report(model_state& s, std::FILE* fp)
{
    s.sac_final_storage = s.sac.uztwc + s.sac.uzfwc + s.sac.lztwc + s.sac.lzfsc + s.sac.lzfpc;
    s.sac_vol_factor = s.num_cells * s.gridsize * s.gridsize / 1000.0;
    const double* init = s.sac_initial_contents; // uztwc, uzfwc, lztwc, lzfpc, lzfsc
    const double final_contents[5] = {s.sac.uztwc, s.sac.uzfwc, s.sac.lztwc, s.sac.lzfpc, s.sac.lzfsc};
    const double capacities[5] = {s.sac.uztwm, s.sac.uzfwm, s.sac.lztwm, s.sac.lzfpm, s.sac.lzfsm};
    if (!fp)
        return;
    std::fprintf(fp, "\n\nSimulation summary for the Sacramento Soil Moisture Accounting Model\n");
    std::fprintf(fp, "as incorporated in the %s\n", "gridded, physically based, distributed watershed");
    std::fprintf(fp, "(TORVA) Model.  Internal SAC-SMA mass conservation check.\n\n");
    std::fprintf(fp, "Initial state variable values:\n");
    sacramento_state(fp, init, capacities, "\n");
    std::fprintf(fp, "Final state variable values:\n");
    sacramento_state(fp, final_contents, capacities, "\n\n");
    std::fprintf(fp, "\nMass Balance Information:\n\n");
    std::fprintf(fp, "Initial subsurface storage(mm):        %10.3lf\n", s.sac_initial_storage);
    std::fprintf(fp, "Input rainfall (mm):                   %10.3lf\n", s.sac_rain_total);
    std::fprintf(fp, "PET calculated by TORVA (mm):          %10.3lf\n", s.sac_pet_total);
    std::fprintf(fp, "AET calculated by Sacramento (mm):     %10.3lf\n", s.sac_aet_total);
    std::fprintf(fp, "Subsurface runoff (mm):                %10.3lf\n", s.sac_runoff_total);
    std::fprintf(fp, "Recharge to deep g.w. (mm):            %10.3lf\n", s.sac_deep_recharge);
    std::fprintf(fp, "Final volume of subsurface water (mm): %10.3lf\n", s.sac_final_storage);
    std::fprintf(fp, "Residual (neg. means mass created (mm):%10.3lf\n",
                 s.sac_initial_storage + s.sac_rain_total - s.sac_aet_total - s.sac_runoff_total -
                     s.sac_deep_recharge - s.sac_final_storage);
    std::fprintf(fp, "\n");
    std::fprintf(fp, "Sacramento simulation total residual water balance: %18.16f mm\n", s.sac.residual);
    std::fprintf(fp, "\nSacramento storages and fluxes expressed as volumes (m^3):\n");
    const double f = s.sac_vol_factor;
    std::fprintf(fp, "Initial volume=   %10.1lf\n", s.sac_initial_storage * f);
    std::fprintf(fp, "Volume of ET=     %10.1lf\n", s.sac_aet_total * f);
    std::fprintf(fp, "Volume of precip= %10.1lf\n", s.sac_rain_total * f);
    std::fprintf(fp, "Volume of outflow=%10.1lf\n", s.sac_runoff_total * f);
    std::fprintf(fp, "Final volume=     %10.1lf\n", s.sac_final_storage * f);
    std::fprintf(fp, "Residual=         %10.1lf\n",
                 (s.sac_initial_storage - s.sac_aet_total + s.sac_rain_total - s.sac_runoff_total -
                  s.sac_final_storage) *
                     f);
}

// The Sacramento stores take the place of the soil and groundwater stores;
// the balances follow its own formulas. Returns whether the overall and
// surface errors are defined.
void sacramento_balance(model_state& s, bool& overall_defined, bool& surface_defined)
{
    const double to_m3 = s.sac_area / 1000.0;
    const double* init = s.sac_initial_contents; // uztwc, uzfwc, lztwc, lzfpc, lzfsc
    s.soil_initial_volume_run = (init[0] + init[2]) * to_m3;
    s.gw_initial_volume = (init[1] + init[4] + init[3]) * to_m3;
    s.soil_final_volume = (s.sac.uztwc + s.sac.lztwc) * to_m3;
    s.gw_final_volume = (s.sac.lzfsc + s.sac.uzfwc + s.sac.lzfpc) * to_m3;
    s.evap_total = s.sac_aet_total * to_m3;
    s.river_to_gw_total = s.sac_river_to_gw;
    s.sac_deep_recharge *= to_m3;
    s.run_final_storage = s.chan_vol + s.surface_vol + s.soil_final_volume + s.gw_final_volume +
                          s.snow_final_volume_run + s.lake_final_volume_run;
    s.run_initial_storage = s.surface_initial_volume + s.chan_initial_volume + s.soil_initial_volume_run +
                            s.gw_initial_volume + s.lake_run_initial_volume + s.oland_lake_initial_volume +
                            s.snow_initial_volume_run;
    const double total_in = s.precip_total + s.run_initial_storage;
    overall_defined = total_in > 0.0;
    s.overall_balance_error = overall_defined
                                  ? (s.run_final_storage - s.run_initial_storage - s.precip_total +
                                     s.evap_total + s.discharge_total - s.gw_boundary_flux_total -
                                     s.ov_point_vol_total - s.xy_gw_gain_total + s.xy_gw_loss_total) /
                                        total_in * 100.0
                                  : 0.0;
    surface_defined = s.precip_total > 0.0;
    s.surface_balance_error = surface_defined
                                  ? (s.precip_total + s.surface_initial_volume + s.chan_initial_volume +
                                     s.oland_lake_initial_volume + s.snow_initial_volume_run +
                                     (s.gw_to_river_total - s.river_to_gw_total) + s.ov_point_vol_total -
                                     (s.direct_evap_total + s.discharge_total + s.infil_total + s.chan_vol +
                                      s.snow_final_volume_run + s.surface_vol)) *
                                        100.0 / s.precip_total
                                  : 0.0;
}

void line(std::FILE* fp, bool on, const char* format, double value)
{
    if (on)
        std::fprintf(fp, format, value);
}

void totals_report(const model_state& s, std::FILE* fp, bool overall_defined, bool surface_defined,
                   double soil_e)
{
    const bool acct = s.soil_water_acct && !s.gw_simulation;
    const bool sac = s.sacramento != 0;
    const bool lakes = s.chan_lakes != 0;
    const bool bounds = s.ov_boundary || s.xybdyinput_ovdep;
    std::fprintf(fp, "\n \n");
    std::fprintf(fp, "SIMULATION TOTALS");
    std::fprintf(fp, "\n");
    std::fprintf(fp, "GLOBAL MASS BALANCE CALCULATIONS \n");
    std::fprintf(fp, "All volumes are in cubic meters \n \n");
    std::fprintf(fp, "Initial volume on surface=                      %14.2lf \n", s.surface_initial_volume);
    std::fprintf(fp, "Initial volume in channels=                     %14.2lf \n", s.chan_initial_volume);
    line(fp, acct, "Initial volume in soil over simple soil depth   %14.2lf \n", s.soil_initial_volume_run);
    line(fp, !acct, "Initial volume in soils=                        %14.2lf \n", s.soil_initial_volume_run);
    std::fprintf(fp, "Initial volume in groundwater=                  %14.2lf \n", s.gw_initial_volume);
    line(fp, lakes, "Initial volume in perennial lakes               %14.2lf \n", s.lake_run_initial_volume);
    std::fprintf(fp, "\n");
    std::fprintf(fp, "Final volume on surface=                        %14.2lf\n", s.surface_vol);
    line(fp, s.overland_lake_on, "Final volume in overland lakes=                 %14.2lf\n",
         s.oland_lake_volume);
    std::fprintf(fp, "Final volume in channels=                       %14.2lf\n", s.chan_vol);
    line(fp, s.storm_sewer, "Final volume in drains=                         %14.2lf\n",
         s.superlink_volume_remaining);
    line(fp, acct, "Final volume in soil over simple soil depth     %14.2lf\n", s.soil_final_volume);
    line(fp, !acct, "Final volume in soils=                          %14.2lf\n", s.soil_final_volume);
    std::fprintf(fp, "Final volume in groundwater=                    %14.2lf\n", s.gw_final_volume);
    std::fprintf(fp, "Final volume of snow=                           %14.2lf\n", s.snow_final_volume_run);
    line(fp, lakes, "Final volume in perennial lakes                 %14.2lf\n", s.lake_final_volume_run);
    std::fprintf(fp, "\n");
    std::fprintf(fp, "Total amount of precip=                         %14.2lf\n", s.precip_total);
    std::fprintf(fp, "Total amount of interception=                   %14.2lf\n", s.interception_total);
    std::fprintf(fp, "Total amount of infiltration=                   %14.2lf\n", s.infil_total);
    std::fprintf(fp, "Total amount of evaporation=                    %14.2lf\n", s.evap_total);
    std::fprintf(fp, "Total direct evaporation=                       %14.2lf\n", s.direct_evap_total);
    line(fp, !sac, "Total amount of exfiltration=                   %14.2lf\n", s.exfil_vol_total);
    std::fprintf(fp, "\n");
    line(fp, !sac && s.gw_simulation, "Total recharge inputs to groundwater=           %14.2lf\n",
         s.gw_recharge_total);
    line(fp, !sac && s.gw_simulation, "Total pumping from groundwater=                 %14.2lf\n",
         s.gw_pumping_total);
    line(fp, !sac, "Total downward flux from unsaturated zone=      %14.2lf\n", s.unsat_down_flux_total);
    line(fp, !sac, "Total flux of gw across bounds=                 %14.2lf\n", s.gw_boundary_flux_total);
    line(fp, sac, "Total recharge to deep g.w.=                    %14.2lf\n", s.sac_deep_recharge);
    std::fprintf(fp, "Total overland point sources=                   %14.2lf\n", s.ov_point_vol_total);
    std::fprintf(fp, "Total channel point sources=                    %14.2lf\n\n", s.chan_point_total);
    line(fp, bounds, "Volume lost to specified head boundary:         %14.2lf\n", s.head_bc_out_total);
    line(fp, bounds, "Volume gained from specified head boundary:     %14.2lf\n", s.head_bc_in_total);
    line(fp, s.ov_boundary, "Volume lost to specified slope boundary:        %14.2lf\n",
         s.slope_bc_out_total);
    line(fp, s.ov_boundary, "Volume gained from specified discharge boundary:%14.2lf\n",
         s.discharge_bc_in_total);
    line(fp, s.ov_boundary, "Volume lost from specified discharge boundary:  %14.2lf\n",
         s.discharge_bc_out_total);
    line(fp, s.ov_boundary, "Volume of specified discharge boundary unmet:   %14.2lf\n",
         s.discharge_bc_unmet_total);
    std::fprintf(fp, "\n");
    std::fprintf(fp, "Total lateral inflow into channels=             %14.2lf\n", s.lateral_inflow_total);
    std::fprintf(fp, "Total amount of discharge=                      %14.2lf\n", s.discharge_total);
    line(fp, s.stream_loss, "Total flux from river to gw=                    %14.2lf\n", s.river_to_gw_total);
    line(fp, s.stream_loss && s.water_table, "Total flux from gw to river=                    %14.2lf\n",
         s.gw_to_river_total);
    if (lakes) {
        std::fprintf(fp, "\n");
        std::fprintf(fp, "Volume precip to lakes=                         %14.2lf\n", s.lake_rain_vol);
        std::fprintf(fp, "Volume of flow into lakes=                      %14.2lf\n", s.lake_inflow_volume);
        std::fprintf(fp, "Volume of flow from lakes=                      %14.2lf\n", s.lake_outflow_volume);
        std::fprintf(fp, "Volume of lake evap=                            %14.2lf\n", s.lake_evap_total);
        line(fp, s.lake_gw_exchange, "Total flux from lakes to gw=                    %14.2lf\n",
             s.lake_to_gw_total);
        line(fp, s.lake_gw_exchange, "Total flux from gw to lakes=                    %14.2lf\n",
             s.gw_to_lake_total);
    }
    if (s.storm_sewer) {
        std::fprintf(fp, "\n");
        std::fprintf(fp, "Volume of overland to subsurface drains         %14.2lf\n",
                     s.superlink_ov_in_total);
        std::fprintf(fp, "Volume of subsurface drains to overland         %14.2lf\n",
                     s.superlink_to_ov_total);
        std::fprintf(fp, "Volume of subsurface drains to channels         %14.2lf\n",
                     s.superlink_to_chan_total);
        std::fprintf(fp, "Volume of groundwater to tile drains            %14.2lf\n", s.gw_to_tile_total);
    }
    if (s.cards.xy_in.num_gw_points > 0 || s.cards.xy_in.num_gw_interp_points > 0) {
        std::fprintf(fp, "\n");
        std::fprintf(fp, "Volume gained from XY boundaries                %14.2lf\n", s.xy_gw_gain_total);
        std::fprintf(fp, "Volume lost to XY boundaries                    %14.2lf\n", s.xy_gw_loss_total);
    }
    std::fprintf(fp, "\n");
    std::fprintf(fp, "Mass balance error of surface components =              %10.6lf percent\n\n",
                 s.surface_balance_error);
    if (!surface_defined)
        std::fprintf(fp, "Note: no rainfall was input, so the mass balance error of surface components is "
                         "given as 0.\n");
    if (!sac) {
        std::fprintf(fp, "Overall mass balance error =                        %14.6lf percent\n \n",
                     s.overall_balance_error);
    } else {
        std::fprintf(fp, "Overall mass balance error =                    %10.6lf percent\n \n",
                     s.overall_balance_error);
    }
    if (!overall_defined)
        std::fprintf(fp,
                     "Note: no water was stored at the start or came in, so the overall mass balance error "
                     "is given as 0.\n");
    if (sac) {
        std::fprintf(fp, "*overall mass balance error will not be zero when using the Sacramento\n");
        std::fprintf(fp, "model because of errors associated with interpolating hourly outflows to\n");
        std::fprintf(fp, "the channel routing time step, which is generally much less than one\n");
        std::fprintf(fp, "hour.  However, this error should be less than one percent, except for\n");
        std::fprintf(fp, "simulations of very short events (only a few hours long).\n \n");
    }
    if (s.soil_water_acct)
        std::fprintf(fp, "Simple soil moisture mass balance =             %19.6lf percent \n\n", soil_e);
}

void lakes_drains_dikes(model_state& s, std::FILE* fp)
{
    s.oland_lake_balance_error = s.oland_lake_initial_volume + s.oland_lake_inflow_volume -
                                 s.oland_lake_volume - s.oland_lake_outflow_volume;
    s.lake_balance_error = s.lake_inflow_volume - s.lake_outflow_volume - s.lake_final_volume_run +
                           s.lake_run_initial_volume - s.lake_evap_total;
    if (s.overland_lake_on) {
        std::fprintf(fp, "Volume of flow into overland lakes:             %14.2lf\n",
                     s.oland_lake_inflow_volume);
        std::fprintf(fp, "Volume of flow from overland lakes:             %14.2lf\n",
                     s.oland_lake_outflow_volume);
        std::fprintf(fp, "Volume of evaporation from lakes:               %14.2lf\n", s.lake_evap_total);
        std::fprintf(fp, "Overland lake mass bal error m^3:               %14.2lf\n\n",
                     s.oland_lake_balance_error);
    }
    if (s.chan_lakes)
        std::fprintf(fp, "Perennial lake mass bal error m^3=              %14.2lf\n\n", s.lake_balance_error);
    if (s.storm_sewer)
        std::fprintf(fp, "Subsurface drain mass bal error m^3=            %14.2lf\n\n",
                     s.superlink_ov_in_total + s.gw_to_tile_total - s.superlink_to_ov_total -
                         s.superlink_to_chan_total - s.superlink_volume_remaining);
    if (!(s.dike_map_given && s.lowspot_file_given))
        return;
    std::fprintf(fp, "You specifed overland dikes and lowspots \n");
    std::fprintf(fp, "The following cells experienced flow from over the embankment \n");
    std::fprintf(fp, "If no cells are listed then there was no flow overtopping the dike \n");
    std::fprintf(fp, "Check the 'maskmap' to see the location of these cells \n");
    const int n = std::min(s.num_cells, s.low_spot_flow_cell.size());
    for (int m = 1; m <= n; ++m)
        if (s.low_spot_flow_cell[m] == 1)
            std::fprintf(fp, "Dike Overtopped in cell:  %d \n", m);
    std::fprintf(fp, "\n");
}

} // namespace

void write_final_summary(model_state& s)
{
    std::FILE* fp = s.summary_file.fp;
    // The mass left in the system is measured afresh: the lakes, channels,
    // land surface and soil each add their part, whatever the transport
    // switches (the last event close's value never carries over).
    for (int k = 1; k <= s.num_constituents; ++k)
        s.GLOBAL_MASS_FINAL[k] = 0.0;
    lake_totals(s);
    last_direct_evaporation(s);
    if (s.gw_simulation)
        groundwater_report(s, fp);
    surface_and_soil(s);
    channel_totals(s);
    snow_total(s);
    bool overall_defined = global_balance(s);
    bool surface_defined = true;
    const double soil_e = s.soil_water_acct ? simple_soil_balance(s) : 0.0;
    if (s.sacramento) {
        sacramento_report(s, fp);
        sacramento_balance(s, overall_defined, surface_defined);
    }
    if (fp) {
        totals_report(s, fp, overall_defined, surface_defined, soil_e);
        lakes_drains_dikes(s, fp);
    }

    if (!write_final_sediment_summary(s))
        return;
    write_final_constituent_summary(s);
    write_optimize_end(s);
    write_flood_stream_step(s);
    write_map_dataset_ends(s);
    if (!write_run_end_files(s))
        return;
    write_snow_dataset_ends(s);
}
