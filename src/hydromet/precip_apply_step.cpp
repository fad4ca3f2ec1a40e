#include "hydromet/hydromet_steps.h"

#include "core/model_state.h"

// TODO: rain application with interception and snow.
void precip_apply_step(model_state& /*state*/)
{
}
