// The Sacramento model's time step: the water infiltrated on the grid since
// the last step is its input, the basin's evapotranspiration of the past
// hour its demand, and its outflow goes to the channel network.
#include "core/model_state.h"
#include "subsurface/lumped_models.h"
#include "subsurface/subsurface_steps.h"

void sacramento_step(model_state& s)
{
    if (!s.sacramento || !process_due(s, s.sac_next))
        return;
    sac_model& m = s.sac;
    if (++s.sac_step_count == 1) {
        s.sac_inf_mark = 0.0;
        s.sac_initial_storage = m.uzfwc + m.uztwc + m.lztwc + m.lzfsc + m.lzfpc;
    }
    const double demand = 10.0 * s.aet_avg; // mm
    const double n = s.num_cells > 0 ? s.num_cells : 1;
    const double input = (s.sac_inf_acc - s.sac_inf_mark) / n * 1000.0; // mm
    const double to_m3 = s.sac_area / 1000.0;
    s.sac_rain_total += input;
    s.sac_infil_event += input * to_m3;
    s.sac_next = next_on_phase(s, s.sac_next, s.sac_dt_days);

    double et = demand;
    sac_land_phase(m, et, input);
    s.sac_pet_total += demand;
    s.sac_aet_total += et;
    s.sac_aet_event += et * to_m3;
    s.sac_runoff_total += m.outflow;
    s.sac_to_chan = m.outflow * s.sac_area / 3600000.0;
    s.sac_baseflow_event += m.outflow * to_m3;
    s.sac_inf_mark = s.sac_inf_acc;
}
