#include "core/run_steps.h"

#include "core/model_state.h"

// TODO: simulation start and the process clocks.
void init_sim_clock(model_state& /*state*/)
{
}
