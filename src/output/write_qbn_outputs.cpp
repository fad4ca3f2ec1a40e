#include "output/output_steps.h"

#include "core/model_state.h"
#include "quality/qbn_steps.h"

// One map output time of the nutrient module: the derived values are
// refreshed in their order.
// TODO: nutrient module: write the "Total_ov_N" and "Total_ov_P" map series,
// the channel total link/node series and the per-species outputs (they are
// opened by open_nutrient_outputs, which waits for the module's arrays);
// each writer goes into the writers record.
void write_qbn_outputs(model_state& s)
{
    if (!s.nutrients)
        return;
    qbn_derived_outputs(s, qbn_output_writers{});
}
