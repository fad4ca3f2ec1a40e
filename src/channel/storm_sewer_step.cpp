#include "channel/channel_steps.h"

#include "core/model_state.h"

// TODO: pipe network and its exchanges.
void storm_sewer_step(model_state& /*state*/)
{
}
