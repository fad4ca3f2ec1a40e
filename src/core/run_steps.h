// Steps of the run framework called by the run driver.
#pragma once

struct model_state;

void validate_options(model_state& state);
void set_run_controls(model_state& state);
void read_inputs(model_state& state);
void init_sim_clock(model_state& state);
void event_start_step(model_state& state);
void peak_q_step(model_state& state);
void progress_step(model_state& state);
void event_end_check_step(model_state& state);
