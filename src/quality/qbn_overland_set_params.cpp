// The overland part's options: the first nutrient constituent, the cell
// size, the owner, the rows of the reactions' overland change and the water
// chemistry of the pH.
#include <cmath>

#include "core/model_state.h"
#include "quality/qbn_services.h"

void qbn_overland_set_params(model_state& s, qbn_overland& o)
{
    const int n = s.num_cells;
    o.first_qbn_constituent = s.first_qbn_constituent;
    o.dx = s.gridsize;
    o.cell_area = o.cell_area_b = s.gridsize * s.gridsize;
    o.owner = s.qbn_object.get();
    // The reactions' net overland change goes to the model state's rows,
    // which the overland mass step applies.
    o.qbn_cell_mass = &s.qbn_cell_mass;
    o.ph = s.cards.chan_ph;
    o.h_ion = std::pow(10.0, -o.ph);
    if (o.nh3.cap < n)
        checked_array_grow(o.nh3, n - o.nh3.cap);
    if (o.total_n.cap < n)
        checked_array_grow(o.total_n, n - o.total_n.cap);
    if (o.total_p.cap < n)
        checked_array_grow(o.total_p, n - o.total_p.cap);
}
