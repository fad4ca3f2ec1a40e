// Output members of the model state: the channel link/node output files,
// the map output flags and the run's output writers and analyzers.
#pragma once

#include <memory>

#include "core/arrays.h"
#include "core/containers.h"
#include "core/file_rec.h"
#include "output/analyzer.h"
#include "output/linknode_series.h"
#include "output/map_series.h"

struct chan_output_files {
    file_rec chan_depth_file;
    file_rec chan_discharge_file;
    file_rec chan_velocity_file;
    file_rec chan_stage_file;
    file_rec chan_sed_flux_file;
    file_rec linknode_out_file; // flood stream stage
    // Output times written to each channel link/node file.
    int chan_depth_steps = 0, chan_discharge_steps = 0, chan_velocity_steps = 0, chan_stage_steps = 0;
    int chan_sed_flux_steps = 0;
};

struct map_output_flags {
    int depth = 0;
    int dis_rain = 0;
    int discharge = 0;
    int map_dataset = 0;
    int map_binary = 0;
    int chan_discharge_output = 0;
    int float_maps_flag = 0;
    int map_type_grids = 0;
    int include_channel_depth = 0;
    int gw_recharge_cum = 0;
    int gw_recharge_inc = 0;
    int inf_depth_map = 0;
    int surf_moist = 0;
    int rate_of_infil = 0;
    int ov_con_map = 0;
};

struct daily_output_rec {
    int daily_output = 0;
    dvec daily_values;
    dvec daily_totals;
    file_rec file;
};

// Closes the record's file when it is open (with the corrupt-pointer check)
// and releases its arrays.
inline void daily_output_rec_destroy(daily_output_rec& d)
{
    file_rec_release(d.file);
    d.daily_values.reset();
    d.daily_totals.reset();
}

struct output_run_state {
    daily_output_rec daily_output;
    int con_map_count = 0;
    double output_time = 0.0; // time column of long-term rows
    int hyd_rows_written = 0;
    row_array<map_series> con_map_series;
    int con_map_format = 0;
    row_array<linknode_series> con_linknode_series;
    std::unique_ptr<analyzer> analyzers_head;
    map_series snow_temp_series;
    // Dataset files of the fixed map kinds that have no record among the
    // run files, and the bookkeeping of the map output step.
    file_rec gw_head_dataset_file;
    file_rec sed_flux_dataset_file;
    file_rec net_sed_dataset_file;
    file_rec susp_sed_dataset_file;
    file_rec swe_dataset_file;
    int map_output_count = 0; // MAP_TYPE 0 output times so far
    dvec map_zero_values;     // zeros for a kind whose process keeps no array
};
