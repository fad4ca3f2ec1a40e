// Water-balance bookkeeping of the event and run summaries: the copies of
// run totals taken when an event starts, the storages measured at the
// event's start and close, the event's volumes and balance, and the final
// storages and balance errors of the run.
#pragma once

#include "core/arrays.h"

struct water_balance_state {
    // Copies of run totals taken at the event start (m3); an event's value
    // is the run total minus its copy.
    double ov_cleanup_volume_start = 0.0;
    double interception_total_start = 0.0;
    double head_bc_out_total_start = 0.0;
    double head_bc_in_total_start = 0.0;
    double slope_bc_out_total_start = 0.0;
    double discharge_bc_in_total_start = 0.0;
    double discharge_bc_out_total_start = 0.0;
    double discharge_bc_unmet_total_start = 0.0;
    double lake_point_source_total_start = 0.0;
    double lake_point_sink_total_start = 0.0;
    double stream_point_sink_total_start = 0.0;
    double chan_point_total_start = 0.0;
    double lake_evap_total_start = 0.0;
    double lateral_in_event_b = 0.0;  // copy of lateral_in_event
    double lateral_out_event_b = 0.0; // copy of lateral_out_event
    double lateral_net_event_b = 0.0; // copy of lateral_inflow_total

    // Storages at the event start (m3).
    double lake_initial_volume = 0.0;
    double snow_initial_volume = 0.0;
    double soil_initial_volume_event = 0.0;
    double superlink_initial_volume = 0.0;
    int event_cell_count = 0; // Richards nodes at the event start

    // Event values of the close (m3 unless stated).
    double ov_cleanup_vol_event = 0.0;
    double interception_event = 0.0;
    double head_bc_out_event = 0.0;
    double head_bc_in_event = 0.0;
    double slope_bc_out_event = 0.0;
    double discharge_bc_in_event = 0.0;
    double discharge_bc_out_event = 0.0;
    double discharge_bc_unmet_event = 0.0;
    double lake_point_source_event = 0.0;
    double lake_point_sink_event = 0.0;
    double stream_point_source_event = 0.0;
    double stream_point_sink_event = 0.0;
    double lake_evap_event = 0.0;
    double oland_lake_volume = 0.0; // water in overland-lake cells at the close
    double lake_final_volume = 0.0; // perennial lakes at the close
    double snow_final_volume = 0.0; // snow water at the close, melt packets included
    double soil_final_volume = 0.0; // soil water at the close (and at the end of the run)
    double recharge_volume_event = 0.0;
    double richards_error_pct = 0.0; // percent
    int richards_nodes_end = 0;
    double event_mass_in = 0.0;      // inputs plus storage at the start
    double event_mass_out = 0.0;     // outputs plus storage at the close
    double final_avg_moisture = 0.0; // basin mean, fraction of saturation

    // End of the run.
    double lake_final_volume_run = 0.0;
    dvec lake_final_mass_run; // per constituent, kg
    double gw_final_volume = 0.0;
    double gw_balance_error = 0.0; // percent
    double soil_final_volume_simple = 0.0;
    double snow_final_volume_run = 0.0;
    double snow_initial_volume_run = 0.0; // snow water at the run start (INIT_SWE_DEPTH), m3
    double bc_in_total = 0.0;
    double bc_out_total = 0.0;
    double run_initial_storage = 0.0;
    double run_final_storage = 0.0;
    double overall_balance_error = 0.0;    // percent
    double surface_balance_error = 0.0;    // percent
    double oland_lake_balance_error = 0.0; // m3
    double lake_balance_error = 0.0;       // m3
    double sac_final_storage = 0.0;        // mm
    double sac_vol_factor = 0.0;           // m3 per mm
};
