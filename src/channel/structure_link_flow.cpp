#include <cstdio>

#include "channel/chan_file.h"
#include "channel/hydraulic_structures.h"
#include "core/model_state.h"
#include "input/elev_series.h"
#include "input/time_series.h"

namespace
{

bool captured(int type)
{
    return (type & 128) && (type & (4 | 8 | 16));
}

} // namespace

double structure_link_flow(model_state& s, int i, double dt)
{
    const int h = s.uslinks[i][1];
    const int ds = s.dslink[i];
    const int hn = s.nx[h];
    const bool h_lake = (s.ltype[h] & 32) != 0;
    const double U = h_lake ? s.lake_elev[s.lake2link[h]] : s.bel[hn][h] + s.chan_depth[hn][h];
    const double D = s.bel[1][ds] + s.chan_depth[1][ds];
    if (U - s.bel[hn][h] < 1e-16 && D - s.bel[1][ds] < 1e-16)
        return 0.0;
    const link_struct_range& range = s.chan_struct_table[static_cast<std::size_t>(i)];
    double Q = 0.0;
    for (int j = range.first; j <= range.last; ++j) {
        const chan_struct_rec& e = s.chan_structures[static_cast<std::size_t>(j)];
        switch (e.type) {
        case 1:
            Q += weir_flow(e, U, D);
            break;
        case 2:
            Q += sag_weir_flow(e, U, D);
            break;
        case culvert_round:
        case culvert_oval:
        case culvert_box: {
            if (U - e.up_elev < 1e-16 && D - culvert_outlet_invert(e) < 1e-16)
                break;
            const culvert_result r = culv_flow(s.chan_structures, j, U, D);
            if (r.q == culvert_failed) {
                std::printf("Error in link number %d: ", i);
                chan_stop(); // the run stops after the channel step
                break;
            }
            Q += r.q;
            break;
        }
        case 6:
            Q += elev_series_interp(U, e.rating);
            break;
        case 7:
            Q += ts_value_at(s.current_time, e.schedule);
            break;
        case 8:
            Q += elev_series_step(U, e.rating);
            break;
        default:
            break;
        }
    }
    // No more than the water on the side the flow draws from.
    if (!h_lake && !captured(s.ltype[h])) {
        const double up_vol = s.area[hn][h] * s.link_dx[h];
        const double down_vol = s.area[1][ds] * s.link_dx[ds];
        if (Q > 1e-16 && up_vol < Q * dt)
            Q = up_vol / dt;
        if (Q < -1e-16 && Q * dt + down_vol < 0.0)
            Q = -down_vol / dt;
    }
    return Q;
}
