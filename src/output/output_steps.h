// Output and reporting steps called by the run driver.
#pragma once

struct model_state;

void open_map_outputs(model_state& state);
void write_linknode_headers(model_state& state);
void event_summary_step(model_state& state);
void timeseries_output_step(model_state& state);
void map_output_step(model_state& state);
void write_final_summary(model_state& state);
void write_option_summary(model_state& state);
