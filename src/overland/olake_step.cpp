#include "overland/overland_steps.h"

#include "core/model_state.h"

// TODO: overland lake extent.
void olake_step(model_state& /*state*/)
{
}
