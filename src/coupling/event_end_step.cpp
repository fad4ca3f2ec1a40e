// The step after the event and run end decision: at every event end it
// closes the event for the summary.
#include "coupling/coupling_steps.h"

#include "core/model_state.h"

void event_end_step(model_state& s)
{
    if (!s.run_ended)
        return;
    // TODO: host environment (QNT) and co-run model (ZEBO) exchange: write
    // the exchange grids and the control file, read the grids back, end the
    // run or jump the clocks to the next event. QNT is refused as "not
    // available yet" until then.
    // TODO: channel-bed update of an event with channel sediment transport
    // (xsec_update, then ex_section); channel sediment is refused as "not
    // available yet" until its step is built.
    s.run_ended = 0;
    s.event_done = 1;
}
