// The wells' rates at the time of a groundwater step, per cell area: the
// list is walked from the well bound last to the well bound first, so where
// several wells share a cell the first bound is written last and wins.
#include "input/time_series.h"
#include "subsurface/groundwater.h"
#include "subsurface/wells.h"

void wells_apply_rates(dvec& pumping, int cells, double time, double dx)
{
    const double area = dx * dx;
    for (const well_rec& w : well_list) {
        double rate = w.flux;
        if (w.kind != 0)
            rate = ts_value_by_index(w.ts_id,
                                     time); // prints the message, stops the run and gives 0 when unknown
        if (w.id >= 1 && w.id <= cells && w.id <= pumping.size())
            pumping[w.id] = rate / area;
    }
}
