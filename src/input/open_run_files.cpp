#include "input/input_steps.h"

#include "core/model_state.h"

// TODO: opening of every input and output file the project names.
void open_run_files(model_state& /*state*/)
{
}
