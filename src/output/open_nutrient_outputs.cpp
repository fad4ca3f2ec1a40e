#include "output/output_steps.h"

#include "core/model_state.h"

// TODO: nutrient module: the "Total_ov_N" and "Total_ov_P" map series, the
// TOTAL_CHAN_N, TOTAL_CHAN_KN and TOTAL_CHAN_P link/node outputs and, per
// water constituent with its switches on, the mass and concentration map
// series and link/node outputs. The module keeps none of these arrays yet.
void open_nutrient_outputs(model_state& /*state*/)
{
}
