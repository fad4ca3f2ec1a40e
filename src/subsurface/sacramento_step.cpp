#include "subsurface/subsurface_steps.h"

#include "core/model_state.h"

// TODO: Sacramento soil-moisture accounting.
void sacramento_step(model_state& /*state*/)
{
}
