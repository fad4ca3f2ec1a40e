// Coupling and nesting steps called by the run driver.
#pragma once

struct model_state;

void read_exchange_maps(model_state& state);
void init_xy_outputs(model_state& state);
void event_end_step(model_state& state);
