// The step after the event and run end decision: at every event end it
// closes the event for the summary.
#include "coupling/coupling_steps.h"

#include "channel/channel_services.h"
#include "channel/channel_steps.h"
#include "core/error_state.h"
#include "core/model_state.h"

namespace
{

// The channel beds after an event's erosion and deposition: break-point
// sections get their new profiles, and with ADJUST_CHANNEL_BED the node
// hydraulics follow the new beds (stages of break-point nodes from their
// areas, erodible trapezoid nodes keeping their depths on the new bed).
void update_channel_beds(model_state& s)
{
    if (!s.chan_sed_on || !has_erodible_breakpoint_link(s))
        return;
    xsec_update(s);
    if (error_state.raised || !s.sed.adjust_channel_bed)
        return;
    ex_section(s, 1);
    if (error_state.raised || s.new_bel.empty())
        return;
    for (int l = 1; l <= s.num_links; ++l) {
        if (!((s.ltype[l] & 4) && (s.ltype[l] & 2)))
            continue;
        for (int n = 1; n <= s.nx[l] && n <= s.new_bel.rows(); ++n) {
            const double moved = s.new_bel[n][l] - s.bel[n][l];
            if (moved == 0.0)
                continue;
            s.bel[n][l] = s.new_bel[n][l];
            s.yp[n][l] = s.bel[n][l] + s.chan_depth[n][l];
        }
    }
    ex_section(s, 2);
}

} // namespace

void event_end_step(model_state& s)
{
    if (!s.run_ended)
        return;
    // TODO: host environment (QNT) and co-run model (ZEBO) exchange: write
    // the exchange grids and the control file, read the grids back, end the
    // run or jump the clocks to the next event. QNT is refused as "not
    // available yet" until then.
    update_channel_beds(s);
    if (error_state.raised)
        return;
    s.run_ended = 0;
    s.event_done = 1;
}
