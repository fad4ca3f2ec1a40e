#include "quality/quality_steps.h"

#include "core/model_state.h"

// TODO: overland contaminant processes.
void ov_contam_step(model_state& /*state*/)
{
}
