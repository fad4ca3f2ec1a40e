// The conceptual groundwater model's time step: the water infiltrated on
// the grid since the last step feeds the reservoir, whose outflow goes to
// the channel network.
#include <cstdio>

#include "core/model_state.h"
#include "subsurface/lumped_models.h"
#include "subsurface/subsurface_steps.h"

void conceptual_gw_step(model_state& s)
{
    if (!s.conceptual_gw || !process_due(s, s.cgw_next))
        return;
    if (++s.cgw_step_count == 1)
        s.cgw_inf_mark = 0.0;
    const double n = s.num_cells > 0 ? s.num_cells : 1;
    const double input = (s.cgw_inf_acc - s.cgw_inf_mark) / n * 1000.0; // mm
    std::printf("congw_input %lf \n", s.cgw_inf_acc);
    s.cgw_next = next_on_phase(s, s.cgw_next, s.cgw_dt_days);
    double slow = 0.0, fast = 0.0;
    congw_reservoir_step(input, s.cgw, slow, fast);
    s.cgw_to_chan = (slow + fast) * s.sac_area / 3600000.0;
    std::printf("congw_qlat  %lf \n", s.cgw_to_chan);
    s.cgw_inf_mark = s.cgw_inf_acc;
}
