#include "quality/qbn_services.h"

#include "core/model_state.h"

// TODO: stream nutrient constituents.
void assign_stream_constituents(qbn_model& /*model*/, model_state& /*state*/)
{
}
