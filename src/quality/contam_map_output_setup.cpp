#include "quality/quality_steps.h"

#include "core/model_state.h"

// TODO: contaminant map outputs.
void contam_map_output_setup(model_state& /*state*/)
{
}
