#include "subsurface/subsurface_steps.h"

#include "core/model_state.h"

// TODO: soil evapotranspiration.
void soil_et_step(model_state& /*state*/)
{
}
