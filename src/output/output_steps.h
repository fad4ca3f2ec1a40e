// Output and reporting steps called by the run driver.
#pragma once

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
void write_qbn_outputs(model_state& state);
void write_final_summary(model_state& state);
// The closing steps and end markers of the map dataset files: FLOOD_GRID and
// the fixed kinds (with the nutrient series), then the snow outputs.
void write_map_dataset_ends(model_state& state);
void write_snow_dataset_ends(model_state& state);
void write_option_summary(model_state& state);
