#include "output/output_steps.h"

#include "core/model_state.h"

// TODO: nutrient module: refresh the nutrient totals and write the nutrient
// map series and link/node outputs of one map output time (they are opened
// by open_nutrient_outputs, which waits for the module's arrays).
void write_qbn_outputs(model_state& /*state*/)
{
}
