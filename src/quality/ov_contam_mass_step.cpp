#include "quality/quality_steps.h"

#include "core/model_state.h"

// TODO: overland contaminant mass step.
void ov_contam_mass_step(model_state& /*state*/)
{
}
