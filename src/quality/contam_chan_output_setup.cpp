#include "quality/quality_steps.h"

#include "core/model_state.h"

// TODO: channel contaminant link/node outputs.
void contam_chan_output_setup(model_state& /*state*/)
{
}
