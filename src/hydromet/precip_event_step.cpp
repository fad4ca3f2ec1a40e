#include "hydromet/hydromet_steps.h"

#include "core/model_state.h"

// TODO: reading a rain event at its start.
void precip_event_step(model_state& /*state*/)
{
}
