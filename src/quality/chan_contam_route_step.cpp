#include "quality/quality_steps.h"

#include "core/model_state.h"

// TODO: channel contaminant routing.
void chan_contam_route_step(model_state& /*state*/)
{
}
