#include "channel/channel_steps.h"

#include "core/model_state.h"

// TODO: channel input file, channel arrays, hotstart, output locations and stream tables.
void setup_channels(model_state& /*state*/)
{
}
