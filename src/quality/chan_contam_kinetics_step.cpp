#include "quality/quality_steps.h"

#include "core/model_state.h"

// TODO: channel contaminant kinetics.
void chan_contam_kinetics_step(model_state& /*state*/)
{
}
