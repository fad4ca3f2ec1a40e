#include "hydromet/hydromet_steps.h"

#include "core/model_state.h"

// TODO: precipitation set-up and the hydrometeorological file.
void setup_precipitation(model_state& /*state*/)
{
}
