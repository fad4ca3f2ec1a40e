#include "channel/channel_steps.h"

#include "core/model_state.h"

// TODO: channel routing.
void channel_step(model_state& /*state*/)
{
}
