#include "channel/channel_steps.h"

#include "core/model_state.h"

// TODO: channel point inputs.
void chan_point_input_step(model_state& /*state*/)
{
}
