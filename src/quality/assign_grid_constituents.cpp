#include "quality/qbn_services.h"

#include "core/model_state.h"

// TODO: initial grid nutrient constituents.
void assign_grid_constituents(qbn_model& /*model*/, model_state& /*state*/)
{
}
