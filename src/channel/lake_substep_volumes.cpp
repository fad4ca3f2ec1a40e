// The lake volumes of one accepted channel sub-step: the discharge of the
// channels that end in a lake (or in a link the lake has taken) joins the
// lake, and what its outlet structure passes leaves it.
#include "channel/chan_routing.h"
#include "core/model_state.h"

namespace
{

bool captured_channel(int type)
{
    return (type & 128) && (type & (4 | 8 | 16));
}

void book(model_state& s, int lake, double v)
{
    s.lake_volume[lake] += v;
    if (v < 0.0)
        s.lake_out_dv[lake] -= v;
    else
        s.lake_in_dv[lake] += v;
}

} // namespace

void lake_substep_volumes(model_state& s, double dt_sub)
{
    for (int l = 1; l <= s.num_links; ++l) {
        const int type = s.ltype[l];
        const bool lake_link = (type & 32) != 0;
        if (!lake_link && !captured_channel(type))
            continue;
        const int lake = s.lake2link[l];
        if (lake < 1 || lake > s.num_lakes)
            continue;
        if (lake_link) {
            // Only a structure draws water out of a lake; the first node of a
            // channel below a lake receives nothing from it.
            const int ds = s.dslink[l];
            if (ds >= 1 && ds <= s.num_links && (s.ltype[ds] & 64))
                book(s, lake, -dt_sub * s.qp[1][ds]);
        }
        for (int k = 1; k <= s.ndep[l]; ++k) {
            const int up = s.uslinks[l][k];
            const int utype = s.ltype[up];
            if (captured_channel(utype) || (!lake_link && (utype & 32)) || s.nx[up] < 1)
                continue;
            book(s, lake, dt_sub * s.qp[s.nx[up]][up]);
        }
    }
    // TODO: lake-bed exchange with the aquifer (MLAKE with GW_SIMULATION).
}
