// Active wells from the well table's index map: one well per cell whose
// index-map ID is not 0. A well on a cell outside the watershed is refused.
#include <cstdio>
#include <vector>

#include "core/error_state.h"
#include "subsurface/soil_tables.h"
#include "subsurface/wells.h"

void wells_from_index_map(const imat& well_ids, const imat& cell_numbers, int rows, int cols)
{
    std::vector<well_rec> placed;
    bool ok = well_ids && cell_numbers && well_ids.rows() >= rows && well_ids.cols() >= cols &&
              cell_numbers.rows() >= rows && cell_numbers.cols() >= cols;
    for (int r = 1; ok && r <= rows; ++r) {
        for (int c = 1; c <= cols; ++c) {
            const int id = well_ids[r - 1][c - 1];
            if (id == 0)
                continue;
            const well_rec* found = nullptr;
            for (const well_rec& w : well_table_list)
                if (w.id == id) {
                    found = &w;
                    break;
                }
            if (!found) {
                std::printf("Error: A well was found in the index map (cell [%d,%d]) that \n"
                            "  was not found in the well table.\n",
                            r, c);
                error_set(err_stop);
                report_error(error_state);
                ok = false;
                break;
            }
            well_rec w = *found;
            w.id = cell_numbers[r][c];
            if (w.id <= 0) {
                std::printf(
                    "Error: well %d of the well table is placed in the index map at cell [%d,%d], which lies "
                    "outside the watershed.\n",
                    id, r, c);
                error_set(err_stop);
                report_error(error_state);
                ok = false;
                break;
            }
            placed.push_back(w);
        }
    }
    // Each well goes to the head of the list, so the last placed comes first.
    well_list.insert(well_list.begin(), placed.rbegin(), placed.rend());
    std::vector<well_rec>().swap(well_table_list);
}
