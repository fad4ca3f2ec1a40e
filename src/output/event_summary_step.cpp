#include "output/output_steps.h"

#include "core/model_state.h"

// TODO: event close and event summary.
void event_summary_step(model_state& /*state*/)
{
}
