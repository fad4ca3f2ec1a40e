// The nutrient groundwater tables of the mapping-table file into the
// constituent rows of soil_group_rows: QBN_GW_N into the first four
// nutrient slots, QBN_GW_P into the next three (its fourth column has no
// slot) and QBN_GW_OTH into slots 8 and 9. A slot without a row is skipped.
#include "core/error_state.h"
#include "core/model_state.h"
#include "input/mapping_table.h"
#include "input/mapping_table_checks.h"
#include "quality/qbn_services.h"

namespace
{

struct gw_table {
    int code;
    int flag;
    int stored; // columns with a slot
    int offset; // slot of the first column after the first nutrient constituent
};
const gw_table gw_tables[] = {
    {tc_qbn_gw_n, mt_qbn_gw_n, 4, 0},
    {tc_qbn_gw_p, mt_qbn_gw_p, 3, 4},
    {tc_qbn_gw_oth, mt_qbn_gw_oth, 2, 8},
};

} // namespace

void read_qbn_soil_groups(model_state& s)
{
    const int first = s.first_qbn_constituent;
    for (const gw_table& g : gw_tables) {
        if (!s.mapping_table_given || !s.mapping_table_flags[g.flag])
            continue;
        dvec columns[4];
        table_destinations dest{};
        for (int c = 0; c < g.stored; ++c) {
            if (!dvector_alloc_zero(columns[c], s.num_cells, "nutrient groundwater table"))
                return;
            dest[static_cast<std::size_t>(c)] = &columns[c];
        }
        read_state_mapping_table(s, g.code, dest);
        if (run_stopped())
            return;
        for (int c = 0; c < g.stored; ++c) {
            double* row = row_array_get(s.soil_group_rows, first + g.offset + c);
            for (int i = 1; row && i <= s.num_cells && i <= s.soil_group_rows.width; ++i)
                row[i] = columns[c][i];
        }
    }
}
