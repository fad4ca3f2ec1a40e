#include "channel/channel_steps.h"

#include "core/model_state.h"

// TODO: initial channel flow state.
void init_channel_state(model_state& /*state*/)
{
}
