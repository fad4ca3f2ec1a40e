// Refuses by-cell XY boundary files whose cell numbers lie outside the
// watershed's cells, before any step writes to them.
#include <cstdio>

#include "core/error_state.h"
#include "coupling/coupling_services.h"

bool check_xy_bdy_cells(const xy_input& in, int num_cells)
{
    for (const xy_cell_block& b : in.cell_blocks) {
        const checked_array<xy_point>& pts = b.groundwater ? in.gwpts : in.ovpts;
        for (int k = b.first; k < b.first + b.count; ++k) {
            const int cell = pts[k].cell;
            if (cell >= 1 && cell <= num_cells)
                continue;
            std::printf(
                "Error: point %d of the xy boundary input file %s names cell %d; the watershed's cells "
                "are 1 to %d.\n",
                k - b.first + 1, b.path.c_str(), cell, num_cells);
            error_set(err_stop);
            return false;
        }
    }
    return true;
}
