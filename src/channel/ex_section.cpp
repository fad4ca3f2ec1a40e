#include "channel/channel_services.h"

#include "core/model_state.h"

// TODO: cross-section hydraulics of every node (mode 1 from the area, mode 2 from the stage).
void ex_section(model_state& /*state*/, int /*mode*/)
{
}
