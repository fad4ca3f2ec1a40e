#include "quality/qbn_services.h"

#include "core/model_state.h"

// TODO: allocation of the nutrient overland part.
void qbn_overland_alloc(model_state& /*state*/, qbn_overland& /*overland*/)
{
}
