// Closes every file record of the model state in one fixed sequence, the
// run summary last. Closing a closed record does nothing.
#include "core/model_state.h"
#include "core/run_simulation.h"
#include "coupling/coupling_state.h"

void close_run_files(model_state& s)
{
    for_each_run_file(s, [&](file_rec& f) {
        if (&f != &s.summary_file) file_rec_close(f);
    });
    for (file_rec* f : {&s.chan_depth_file, &s.chan_discharge_file, &s.chan_velocity_file,
                        &s.chan_stage_file, &s.chan_sed_flux_file, &s.storm_sewer_file,
                        &s.grid_pipe_file, &s.chan_input_file, &s.chan_depth_hotstart_in,
                        &s.chan_flow_hotstart_in, &s.chan_depth_hotstart_out,
                        &s.chan_flow_hotstart_out, &s.stream_node_file, &s.hydrograph_file,
                        &s.vks_hydrograph_file, &s.hydrograph_obs_file, &s.chan_point_file,
                        &s.chan_aux_file, &s.ov_hotstart_in_file, &s.ov_hotstart_out_file,
                        &s.sm_hotstart_in_file, &s.sm_hotstart_out_file, &s.sourcefile_file,
                        &s.sed.sed_susp_file, &s.sed.sed_flux_file, &s.sed.outlet_sed_file,
                        &s.sed.sed_hyd_loc_file, &s.sed.outlet_tss_file, &s.sed.tss_loc_file,
                        &s.snow_file, &s.ov_boundary_file, &s.flood_dataset_file,
                        &s.pipe_head_file, &s.pipe_tile_file, &s.pipe_flow_file,
                        &s.daily_output.file, &s.overland_depth_location_file, &s.overland_depths_file,
                        &s.overland_wse_location_file, &s.overland_wse_file, &s.gw_boundary_file,
                        &s.gw_well_level_file, &s.gw_hycond_file, &s.gw_porosity_file, &s.evap_log,
                        &s.swe_hotstart_file, &s.linknode_out_file, &kz_inflow_file,
                        &s.gw_head_dataset_file, &s.sed_flux_dataset_file, &s.net_sed_dataset_file,
                        &s.susp_sed_dataset_file, &s.swe_dataset_file})
        file_rec_close(*f);
    file_rec_close(s.summary_file);
}
