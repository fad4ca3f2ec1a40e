#include "hydromet/hydromet_steps.h"

#include "core/model_state.h"

// TODO: loading a rain period.
void precip_period_step(model_state& /*state*/)
{
}
