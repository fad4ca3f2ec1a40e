// Allocation of the nutrient module's overland part: nine constituents of
// one slot per cell, the per-cell carbon, dispersion and temperature arrays,
// the ammonia equilibrium constant and the part's copy of the sorption block.
#include <cstdio>

#include "core/model_state.h"
#include "quality/qbn_services.h"

qbn_sorption_params qbn_sorption_block(const model_state& s)
{
    // Without any Km/Koc card every part gets a block of zeros.
    qbn_sorption_params p;
    const std::vector<double>& given = s.cards.no2_km;
    for (std::size_t k = 0; k < given.size() && k < static_cast<std::size_t>(qbn_sorption_count); ++k)
        p.values[k] = given[k];
    return p;
}

void qbn_overland_alloc(model_state& s, qbn_overland& o)
{
    std::printf("Allocating memory for overland QBN...");
    const int n = s.num_cells;
    const double temp = s.cards.water_temp;
    o.num_cells = n;
    o.dx = s.gridsize;
    o.cell_area = s.gridsize * s.gridsize;
    o.spare[0] = o.spare[1] = 0.0;
    checked_array_grow(o.list, qbn_constituent_count);
    for (int k = 0; k < qbn_constituent_count; ++k) {
        o.list[k] = &o.species[k];
        qbn_constituent_alloc(o.species[k], n);
    }
    o.depth = &s.ov_depth;
    for (checked_array<double>* a : {&o.doc, &o.foc, &o.dispersion, &o.work})
        checked_array_grow(*a, n);
    checked_array_grow_fill(o.water_temp, n, temp);
    o.ka = qbn_ammonia_ka(temp);
    checked_array_grow(o.total_n, n);
    checked_array_grow(o.total_p, n);
    checked_array_grow(o.cell_block, n + 1);
    checked_int_array_grow_fill(o.cell_flags, n, 1);
    checked_int_array_grow_fill(o.cell_flags_b, n, 1);
    o.sorption = qbn_sorption_block(s);
    o.single = 0.0;
    std::printf("Done\n");
}
