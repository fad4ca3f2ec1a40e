#include "quality/quality_steps.h"

#include "core/model_state.h"

// TODO: exchange of contaminants with channel sediment.
void chan_sed_contam_step(model_state& /*state*/)
{
}
