#include "core/model_state.h"
#include "input/input_steps.h"

// TODO: start-up header of the run summary file.
void print_startup_info(model_state& /*state*/, const std::string& /*project_path*/)
{
}
