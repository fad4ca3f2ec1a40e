// A channel lake that floods a cell takes up the sediment suspended over it,
// as sediment carried into a lake by overland flow: every class joins the
// lake's inflow from the land, and sand also settles on the cell at the
// lake's edge.
#include <algorithm>

#include "core/model_state.h"
#include "quality/sediment_steps.h"

void lake_takes_cell_sediment(model_state& s, int lake, int cell)
{
    if (!s.chan_sed_on || !s.ov_sed || lake < 1 || lake > s.sed_vol_overland_to_lake.rows() ||
        s.event_lake_depo_in.size() < lake || s.tot_lake_depo_in.size() < lake)
        return;
    sediment_table& t = *s.ov_sed;
    const int classes = std::min(s.sed.num_sed, s.sed_vol_overland_to_lake.cols());
    if (cell < 1 || cell > t.cell_tally.rows() || classes > t.cell_tally.cols())
        return;
    sed_tally* from = t.cell_tally[cell];
    for (int m = 1; m <= classes; ++m) {
        const double v = from[m].suspended;
        if (!(v > 0.0))
            continue;
        s.sed_vol_overland_to_lake[lake][m] += v;
        s.sed_vol_overland_to_lake[0][m] += v;
        if (s.sand[m]) {
            from[m].deposited += v;
            s.event_lake_depo_in[lake] += v;
            s.event_lake_depo_in[0] += v;
            s.tot_lake_depo_in[lake] += v;
            s.tot_lake_depo_in[0] += v;
        }
        from[m].suspended = 0.0;
    }
}
