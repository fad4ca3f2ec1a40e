#include "coupling/coupling_steps.h"

#include "core/model_state.h"

// TODO: XY outputs for nested models.
void init_xy_outputs(model_state& /*state*/)
{
}
