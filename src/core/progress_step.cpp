#include "core/run_steps.h"

#include "core/model_state.h"

// TODO: progress line, console flush and stream extremes.
void progress_step(model_state& /*state*/)
{
}
