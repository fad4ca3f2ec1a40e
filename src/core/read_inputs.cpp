// The input hub: every spatial input of the run in one fixed order, since
// later readers use what earlier ones built (the mask numbers the cells,
// the per-cell arrays are sized by that number, parameter maps and tables
// fill them, and the channel, pipe-network, nutrient and segment-coupling
// set-ups come last). The hub stops at the first reader that stopped the run
// (a reported error or a code still pending); the driver then reports any
// code still pending.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <memory>

#include "channel/channel_steps.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "core/run_steps.h"
#include "coupling/coupling_services.h"
#include "hydromet/snow_services.h"
#include "input/quality_inputs.h"
#include "input/spatial_inputs.h"
#include "input/subsurface_inputs.h"
#include "quality/qbn_services.h"

namespace
{

// Stops the run after a message already printed (no second report when the
// allocation reported itself).
void stop_run()
{
    if (run_stopped())
        return;
    error_set(err_stop);
    report_error(error_state);
}

// The nutrient module's set-up; false when it stopped on an error.
bool setup_nutrients(model_state& s)
{
    qbn_model& q = *s.qbn_object;
    q.num_cells = s.num_cells;
    read_aquatic_env_file(q.params, s);
    if (run_stopped())
        return false;
    qbn_overland_alloc(s, q.overland);
    // Without a contaminant table the soil pools get their layers here.
    if (s.soil_con_trans && s.soil_con_layers == 0)
        setup_soil_constituent_layers(s);
    if (run_stopped())
        return false;
    grow_constituent_arrays(s, qbn_constituent_count, s.num_cells, 1);
    if (run_stopped())
        return false;
    assign_grid_constituents(q, s);
    if (run_stopped())
        return false;
    read_qbn_soil_groups(s);
    if (run_stopped())
        return false;
    qbn_overland_set_params(s, q.overland);
    s.ov_con_trans = 1;
    s.con_any = 1;
    return true;
}

} // namespace

void read_inputs(model_state& s)
{
    // The cell-number grid keeps a border of zeros on every side: rows and
    // columns 0..rows+1 and 0..cols+1. The sizes are checked before they are
    // computed, and the hub stops at the first grid it cannot allocate.
    if (s.rows < 1 || s.cols < 1 || s.rows > INT_MAX - 2 || s.cols > INT_MAX - 2) {
        std::printf("Error: the grid of ROWS %d and COLS %d cannot be held: each must be from 1 to %d.\n",
                    s.rows, s.cols, INT_MAX - 2);
        stop_run();
        return;
    }
    if (!imatrix_alloc_zero(s.mask, s.rows + 1, s.cols + 1, "mask") ||
        !imatrix_alloc_zero(s.data, s.rows + 1, s.cols + 1, "data")) {
        stop_run();
        return;
    }

    read_watershed_mask(s);
    if (run_stopped())
        return;
    if (s.num_cells > 0) {
        dvector_alloc_zero(s.ground_elev, s.num_cells, "ground_elev");
        dvector_alloc_zero(s.exchange_buf, s.num_cells, "exchange_buf");
    }
    read_elevation_map(s);
    if (run_stopped())
        return;
    // The XY boundary files named their cells before the cells were numbered.
    if (!check_xy_bdy_cells(s.cards.xy_in, s.num_cells)) {
        report_error(error_state);
        return;
    }
    alloc_cell_arrays(s);
    if (run_stopped())
        return;
    read_dike_map(s);
    if (run_stopped())
        return;
    read_wetland_map(s);
    if (run_stopped())
        return;
    read_overland_boundary(s);
    if (run_stopped())
        return;
    read_infiltration_params(s);
    if (run_stopped())
        return;
    read_groundwater_inputs(s);
    if (run_stopped())
        return;
    load_sacramento_params(s);
    if (run_stopped())
        return;
    load_conceptual_gw_params(s);
    if (run_stopped())
        return;
    read_link_map(s);
    if (run_stopped())
        return;
    read_snow_bands(s);
    if (run_stopped())
        return;
    alloc_snow_cell_array(s);
    if (run_stopped())
        return;
    if (s.hmet_orog_gages_given || s.orogvar_hmet) {
        s.hmet_elev_gage = s.cards.hmet_elev_gage_given ? s.cards.hmet_elev_gage : 0.0;
        s.hmet_lapse_rate = s.cards.hmet_lapse_rate_given ? s.cards.hmet_lapse_rate : 5.0;
    }
    read_interception_params(s);
    if (run_stopped())
        return;
    read_overland_lakes(s);
    if (run_stopped())
        return;
    read_retention_params(s);
    if (run_stopped())
        return;
    read_roughness(s);
    if (run_stopped())
        return;
    set_snow_roughness(s);
    if (run_stopped())
        return;
    read_flow_blockage(s);
    if (run_stopped())
        return;
    read_sediment_params(s);
    if (run_stopped())
        return;
    read_contaminant_params(s);
    if (run_stopped())
        return;
    read_cell_location_list(s);
    if (run_stopped())
        return;
    if (s.inf_richards || s.gw_simulation || s.chan_explicit) {
        // The channel network is read later (setup_channels), so its
        // link/node size is still 0 here; no channel routine uses this
        // vector (the routing keeps its own work arrays).
        dvector_alloc_zero(s.PHEADOLD, std::max({s.num_cells, s.richards_max_nodes, 0}), "PHEADOLD");
        if (run_stopped())
            return;
    }
    read_hotstart_maps(s);
    if (run_stopped())
        return;
    read_soil_moisture_hotstart(s);
    if (run_stopped())
        return;
    if (s.nutrients && s.qbn_object && !setup_nutrients(s))
        return;
    setup_channels(s);
    if (run_stopped())
        return;
    read_superlink_input(s);
    if (run_stopped())
        return;
    if (s.storm_sewer && s.chan_explicit)
        connect_superlink_outlets(s);
    if (run_stopped())
        return;
    if (s.nutrients && s.soil_con_trans) {
        read_qbn_mapping_groups(s);
        if (run_stopped())
            return;
        if (s.qbn_object) {
            qbn_overland& o = s.qbn_object->overland;
            o.soil = &s.qbn_object->soil;
            o.soil_exch_cell_mass = &s.soil_exch_cell_mass;
            o.ov_soil_exch_mass = &s.ov_soil_exch_mass;
        }
    }
    // The segment coupling sums flows for KZ_FLUXES whether or not the
    // inflow file (KZ_INPUT) is written too.
    if (s.cards.kz_fluxes) {
        s.kz_coupling = std::make_unique<kz_data>();
        kz_coupling_init(s, *s.kz_coupling);
    }
}
