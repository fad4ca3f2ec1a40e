// Output and reporting steps called by the run driver.
#pragma once

#include <cstdio>

#include "core/arrays.h"

struct model_state;

void open_map_outputs(model_state& state);
void open_nutrient_outputs(model_state& state);
void write_linknode_headers(model_state& state);
// One output time of the channel link/node files that are open.
void write_channel_linknode_step(model_state& state);
void write_superlink_linknode_step(model_state& state);
// The single step of the FLOOD_STREAM file: the highest stage of every node.
void write_flood_stream_step(model_state& state);
void event_summary_step(model_state& state);
void timeseries_output_step(model_state& state);
// The soil-moisture row of the IN_THETA_LOCATION cells.
void write_soil_moisture_rows(model_state& state);
void map_output_step(model_state& state);
// With one grid file per output time: the folder each map kind's files go
// into exists, or is created (one level); false after the message when not.
bool prepare_map_folders(model_state& state);
void write_qbn_outputs(model_state& state);
// The nutrient outlet series rows of one time-series output time.
void write_qbn_series(model_state& state);
void write_final_summary(model_state& state);
// The closing steps and end markers of the map dataset files: FLOOD_GRID and
// the fixed kinds (with the nutrient series), then the snow outputs.
void write_map_dataset_ends(model_state& state);
void write_snow_dataset_ends(model_state& state);
// The option summary that closes every event summary: the inputs read, the
// processes simulated and the outputs written.
void write_option_summary(model_state& state);

// The end of the run's files, after the summaries: the optimisation file's
// last line (before the dataset ends), then the channel hotstart pair, the
// groundwater, adjusted-elevation, saturated-source, overland and
// soil-moisture grids, the companion hydrograph and the KZ inflow close.
// False when a file that the run cannot end without failed to open (the
// run is stopped and nothing after it is written).
void write_optimize_end(model_state& state);
// The sediment summaries of the run (with soil erosion), the bed-elevation
// report with channel sediment, and the closing blank line; false when the
// report's file could not be opened (the run is stopped).
bool write_final_sediment_summary(model_state& state);
// Per constituent the run's soil, overland, channel, lake and global mass
// balances, written to the run summary file.
void write_final_constituent_summary(model_state& state);
bool write_bed_elevation_report(model_state& state);
bool write_run_end_files(model_state& state);
// One line per node of every routed link: "node link stage " to the .dht
// file and "node link discharge" to the .qht file.
void write_channel_hotstart(model_state& state);
// The companion program's hydrograph file from the outlet hydrograph and,
// when `locations` is open, the location hydrograph rows (time and one
// discharge per location, no header) of the listed link/node locations.
void write_vks_hydrograph_file(std::FILE* outlet, std::FILE* out, std::FILE* locations, const ivec& loc_links,
                               const ivec& loc_nodes, int num_locations, int start_date, int start_time,
                               int interval, int count);
