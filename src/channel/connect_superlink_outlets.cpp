#include "channel/channel_steps.h"

#include "core/model_state.h"

// TODO: channel node and link of every pipe-network outlet.
void connect_superlink_outlets(model_state& /*state*/)
{
}
