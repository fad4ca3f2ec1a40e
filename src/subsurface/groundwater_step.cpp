#include "subsurface/subsurface_steps.h"

#include "core/model_state.h"

// TODO: saturated groundwater.
void groundwater_step(model_state& /*state*/)
{
}
