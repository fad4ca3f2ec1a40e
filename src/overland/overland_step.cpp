// The overland step: at each overland time route the overland flow and set
// the next overland time.
#include "core/model_state.h"
#include "overland/overland_steps.h"

void overland_step(model_state& s)
{
    if (!process_due(s, s.ov_next)) return;
    // TODO: overland routing (alternating-direction and explicit schemes),
    // the end of an event's runoff and the surface-active test.
    s.ov_last = s.current_time;
    s.ov_next = s.current_time + s.ov_dt_days;
    s.ov_sweep_toggle = s.ov_sweep_toggle == 1 ? 2 : 1;
}
