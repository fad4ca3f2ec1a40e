#include "output/output_steps.h"

#include "core/model_state.h"

// TODO: map outputs every map interval.
void map_output_step(model_state& /*state*/)
{
}
