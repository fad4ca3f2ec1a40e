// The loads of the channel constituents that the dissolved routing drains,
// each on its own clock: the exchange with the aquifer through the stream
// and lake beds, and the rain that falls on the lakes.
#include <algorithm>

#include "core/model_state.h"
#include "quality/chan_sed_contam.h"
#include "quality/quality_steps.h"

namespace
{

// Stream-bed and lake-bed loads since the last load time; the lake cells'
// exchanged volumes start again afterwards.
void groundwater_loads(model_state& s)
{
    if (!(s.stream_loss || s.lake_gw_exchange) || !process_due(s, s.chan_load_next))
        return;
    const double now = s.current_time;
    const double dt = (now - s.chan_load_last) * 86400.0;
    s.chan_load_dt = dt;
    for (int i = 1; i <= s.num_constituents; ++i) {
        if (s.stream_loss)
            chan_gw_con_exchange(s, dt, i);
        if (s.lake_gw_exchange)
            lake_gw_con_exchange(s, i);
    }
    for (int c = 1; c <= s.lake_gw_cell_vol.size(); ++c)
        s.lake_gw_cell_vol[c] = 0.0;
    s.chan_load_last = now;
    s.chan_load_next = s.chan_next;
}

// Rain on each lake brings every constituent at its rain concentration,
// when the dissolved routing is due; the rain volumes start again.
void rain_on_lakes(model_state& s)
{
    if (!s.chan_lakes || !process_due(s, s.chan_con_next) || s.lake_precip_conc.empty())
        return;
    const int lakes = std::min(s.num_lakes, s.lake_precip_conc.size());
    for (int i = 1; i <= s.num_constituents && i <= s.lake_precip_mass.count; ++i)
        for (int k = 1; k <= lakes; ++k)
            s.lake_precip_mass[i][k] += s.lake_precip_conc[k] * s.precip_conc[i];
    for (int k = 1; k <= lakes; ++k)
        s.lake_precip_conc[k] = 0.0;
}

} // namespace

void chan_contam_kinetics_step(model_state& s)
{
    // TODO: decay of the channel constituents (chan_con_decay) on its clock,
    // the nutrient clock and the outlet accumulator.
    groundwater_loads(s);
    rain_on_lakes(s);
}
