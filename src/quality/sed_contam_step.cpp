#include "quality/quality_steps.h"

#include "core/model_state.h"

// TODO: sediment-bound contaminants.
void sed_contam_step(model_state& /*state*/)
{
}
