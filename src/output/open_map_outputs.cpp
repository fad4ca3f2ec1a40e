#include "output/output_steps.h"

#include "core/model_state.h"

// TODO: gridded map outputs and the nutrient map and link/node outputs.
void open_map_outputs(model_state& /*state*/)
{
}
