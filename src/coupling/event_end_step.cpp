#include "coupling/coupling_steps.h"

#include "core/model_state.h"

// TODO: exchange or clock jump at an event end.
void event_end_step(model_state& /*state*/)
{
}
