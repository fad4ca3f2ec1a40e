#include "quality/quality_steps.h"

#include "core/model_state.h"

// TODO: soil-column contaminant transport.
void soil_contam_step(model_state& /*state*/)
{
}
