#include "output/output_steps.h"

#include "core/model_state.h"

// TODO: option summary in the run summary file.
void write_option_summary(model_state& /*state*/)
{
}
