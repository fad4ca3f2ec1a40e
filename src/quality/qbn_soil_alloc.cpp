#include "quality/qbn_services.h"

#include "core/model_state.h"

// TODO: allocation of the nutrient soil part.
void qbn_soil_alloc(model_state& /*state*/, qbn_soil& /*soil*/)
{
}
