#include "core/run_steps.h"

#include "core/model_state.h"

// TODO: peak outlet flow tracking.
void peak_q_step(model_state& /*state*/)
{
}
