#include "core/run_steps.h"

#include "core/model_state.h"

// TODO: option validation and coupling notices.
void validate_options(model_state& /*state*/)
{
}
