// Exchange between the saturated groundwater and the leaky pipes.
#include "channel/channel_steps.h"
#include "core/model_state.h"

// TODO: the drain exchange of the saturated groundwater (GW_SIMULATION):
// until the aquifer exists no water moves between it and the pipes, and the
// network is told so (0: no exchange ran).
int tile_gw_exchange(model_state& /*state*/, double /*dt*/)
{
    return 0;
}
