// The lake volumes of one accepted channel sub-step: the discharge of the
// channels that end in a lake (or in a link the lake has taken) joins the
// lake, what its outlet structure passes leaves it, and the water its bed
// exchanges with the aquifer joins or leaves it.
#include "channel/chan_routing.h"
#include "channel/channel_steps.h"
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
    lake_bed_volumes(s, dt_sub);
}

void lake_bed_volumes(model_state& s, double dt)
{
    if (!s.chan_lakes || s.lake_gw_exchange != 1 || s.lake_gw_rate.size() < s.num_cells ||
        s.lake_source.size() < s.num_cells)
        return;
    const double dx = s.gridsize;
    for (int lake = 1; lake <= s.num_lakes; ++lake) {
        if (lake > s.calc_loss.size() || !s.calc_loss[lake])
            continue;
        for (int k = 1; k <= s.lake_cells[lake]; ++k) {
            const int row = s.lake_search[lake][1][k];
            const int col = s.lake_search[lake][2][k];
            if (row < 1 || col < 1 || row > s.mask.rows() || col > s.mask.cols())
                continue;
            const int cell = s.mask[row][col];
            if (cell < 1 || cell > s.num_cells)
                continue;
            const double v = dt * s.lake_gw_rate[cell] * dx;
            book(s, lake, v);
            s.lake_source[cell] += v;
        }
    }
}
