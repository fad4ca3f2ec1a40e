#include "subsurface/subsurface_steps.h"

#include "core/model_state.h"

// TODO: conceptual groundwater model.
void conceptual_gw_step(model_state& /*state*/)
{
}
