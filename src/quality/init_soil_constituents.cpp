#include "quality/quality_steps.h"

#include "core/model_state.h"

// TODO: initial soil constituent state and masses.
void init_soil_constituents(model_state& /*state*/)
{
}
