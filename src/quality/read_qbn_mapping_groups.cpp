// The nutrient soil tables of the mapping-table file: the thirteen soil
// pools' first-layer amounts (through the land rows of their constituents,
// scaled from kg to g) and the per-cell soil sorption records.
#include "core/error_state.h"
#include "core/model_state.h"
#include "input/mapping_table.h"
#include "input/mapping_table_checks.h"
#include "quality/qbn_services.h"

namespace
{

bool present(const model_state& s, int flag)
{
    return s.mapping_table_given && s.mapping_table_flags[flag];
}

// Layer 1 of pool `pool` takes land row `slot` cell by cell.
void copy_soil_pool_layer1(model_state& s, int slot, qbn_soil& soil, int pool)
{
    const double* land = row_array_get(s.land_mass, slot);
    row_array<double>* table = pool + 1 <= soil.pools.cap ? soil.pools[pool + 1] : nullptr;
    if (!land || !table || table->width < 1)
        return;
    for (int i = 1; i <= s.num_cells && i <= table->count && i <= s.land_mass.width; ++i)
        (*table)[i][1] = land[i];
}

// One soil table into the land rows first + offset.., then into its pools.
bool read_soil_table(model_state& s, qbn_soil& soil, int code, int columns, int offset, int first_pool)
{
    const int first = s.first_qbn_constituent;
    std::vector<dvec> values(static_cast<std::size_t>(columns));
    table_destinations dest{};
    for (int c = 0; c < columns; ++c) {
        if (!dvector_alloc_zero(values[static_cast<std::size_t>(c)], s.num_cells, "nutrient soil table"))
            return false;
        dest[static_cast<std::size_t>(c)] = &values[static_cast<std::size_t>(c)];
    }
    read_state_mapping_table(s, code, dest);
    if (run_stopped())
        return false;
    for (int c = 0; c < columns; ++c) {
        double* land = row_array_get(s.land_mass, first + offset + c);
        if (!land)
            continue;
        for (int i = 1; i <= s.num_cells && i <= s.land_mass.width; ++i)
            land[i] = values[static_cast<std::size_t>(c)][i];
        copy_soil_pool_layer1(s, first + offset + c, soil, first_pool + c);
    }
    return true;
}

// Six per-cell columns into slots base.. of every cell's sorption record.
bool read_sorption_table(model_state& s, qbn_soil& soil, int code, int base)
{
    dvec cells[6];
    table_destinations dest{};
    for (int c = 0; c < 6; ++c) {
        if (!dvector_alloc_zero(cells[c], s.num_cells, "nutrient soil sorption"))
            return false;
        dest[static_cast<std::size_t>(c)] = &cells[c];
    }
    read_state_mapping_table(s, code, dest);
    if (run_stopped())
        return false;
    for (int i = 1; i <= s.num_cells && i <= soil.cell_recs.cap; ++i)
        for (int c = 0; c < 6; ++c)
            soil.cell_recs[i].values[base + c] = cells[c][i];
    return true;
}

} // namespace

void read_qbn_mapping_groups(model_state& s)
{
    if (!s.qbn_object)
        return;
    qbn_soil& soil = s.qbn_object->soil;
    if (present(s, mt_qbn_soil_n) && s.cards.soils_qbn_n && !read_soil_table(s, soil, tc_qbn_soil_n, 5, 2, 2))
        return;
    if (present(s, mt_qbn_soil_p) && s.cards.soils_qbn_p && !read_soil_table(s, soil, tc_qbn_soil_p, 6, 7, 7))
        return;
    if (present(s, mt_qbn_soil_c) && s.cards.soils_qbn_c && !read_soil_table(s, soil, tc_qbn_soil_c, 2, 0, 0))
        return;
    // The tables give kg; the pools hold g.
    for (int k = 1; k <= qbn_soil_pool_count && k <= soil.pools.cap; ++k) {
        row_array<double>* table = soil.pools[k];
        for (int i = 1; table && table->width >= 1 && i <= table->count; ++i)
            (*table)[i][1] *= 1000.0;
    }
    if (present(s, mt_qbn_soil_km) && !read_sorption_table(s, soil, tc_qbn_soil_km, 0))
        return;
    if (present(s, mt_qbn_soil_koc))
        read_sorption_table(s, soil, tc_qbn_soil_koc, 6);
}
