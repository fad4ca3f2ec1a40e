// Advances the step clock and the calendar at the start of every iteration.
#pragma once

struct model_state;

void clock_step(model_state& state);
