#include "quality/qbn_services.h"

#include "core/model_state.h"

// TODO: overland nutrient options.
void qbn_overland_set_params(model_state& /*state*/, qbn_overland& /*overland*/)
{
}
