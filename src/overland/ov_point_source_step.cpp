#include "overland/overland_steps.h"

#include "core/model_state.h"

// TODO: overland point sources.
void ov_point_source_step(model_state& /*state*/)
{
}
