// Refuses by-cell XY boundary files whose cell numbers lie outside the
// watershed's cells, or name one cell twice, before any step writes to them.
#include <cstdio>
#include <vector>

#include "core/error_state.h"
#include "coupling/coupling_services.h"

bool check_xy_bdy_cells(const xy_input& in, int num_cells)
{
    for (const xy_cell_block& b : in.cell_blocks) {
        const checked_array<xy_point>& pts = b.groundwater ? in.gwpts : in.ovpts;
        // Point of the file that named each cell first; two series cannot
        // both set one cell.
        std::vector<int> named_by(static_cast<std::size_t>(num_cells > 0 ? num_cells : 0) + 1, 0);
        for (int k = b.first; k < b.first + b.count; ++k) {
            const int cell = pts[k].cell;
            const int point = k - b.first + 1;
            if (cell < 1 || cell > num_cells) {
                std::printf(
                    "Error: point %d of the xy boundary input file %s names cell %d; the watershed's cells "
                    "are 1 to %d.\n",
                    point, b.path.c_str(), cell, num_cells);
                error_set(err_stop);
                return false;
            }
            int& first = named_by[static_cast<std::size_t>(cell)];
            if (first != 0) {
                std::printf("Error: points %d and %d of the xy boundary input file %s both name cell %d.\n", first,
                            point, b.path.c_str(), cell);
                error_set(err_stop);
                return false;
            }
            first = point;
        }
    }
    return true;
}
