#include "core/run_steps.h"

#include "core/model_state.h"

// TODO: event initialisation: event accumulators, clocks and initial storages.
void event_start_step(model_state& /*state*/)
{
}
