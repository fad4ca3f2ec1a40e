#include "core/run_steps.h"

#include "core/model_state.h"

// TODO: run controls: base step, output intervals, outlet and location checks.
void set_run_controls(model_state& /*state*/)
{
}
