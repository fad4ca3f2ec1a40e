#include "core/run_steps.h"

#include "core/model_state.h"

// TODO: input hub: mask, elevation, parameter maps, tables and set-ups in their fixed order.
void read_inputs(model_state& /*state*/)
{
}
