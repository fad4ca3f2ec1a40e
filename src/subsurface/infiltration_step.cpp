#include "subsurface/subsurface_steps.h"

#include "core/model_state.h"

// TODO: infiltration.
void infiltration_step(model_state& /*state*/)
{
}
