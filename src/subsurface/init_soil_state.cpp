#include "subsurface/subsurface_steps.h"

#include "core/model_state.h"

// TODO: initial soil, infiltration, groundwater and lake state.
void init_soil_state(model_state& /*state*/)
{
}
