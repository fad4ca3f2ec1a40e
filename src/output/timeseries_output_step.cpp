#include "output/output_steps.h"

#include "core/model_state.h"

// TODO: time-series outputs every hydrograph interval.
void timeseries_output_step(model_state& /*state*/)
{
}
