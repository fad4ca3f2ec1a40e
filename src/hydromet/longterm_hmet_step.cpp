#include "hydromet/hydromet_steps.h"

#include "core/model_state.h"

// TODO: hourly hydrometeorological record and evapotranspiration of long-term runs.
void longterm_hmet_step(model_state& /*state*/)
{
}
