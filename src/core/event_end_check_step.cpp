#include "core/run_steps.h"

#include "core/model_state.h"

// TODO: end of events and runs: stop date, event end time and recession test.
void event_end_check_step(model_state& /*state*/)
{
}
