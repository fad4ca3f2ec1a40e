#include "quality/quality_steps.h"

#include "core/model_state.h"

// TODO: channel and lake constituent arrays.
void alloc_channel_constituents(model_state& /*state*/)
{
}
