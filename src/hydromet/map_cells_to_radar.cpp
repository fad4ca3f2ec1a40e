// Gives every model cell the position of the radar value whose radar cell
// holds the cell's centre.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "core/error_state.h"
#include "hydromet/rain_services.h"
#include "hydromet/rainfall_state.h"

int map_cells_to_radar(const std::string& name, radar_grid& r, const imat& mask)
{
    if (read_radar_header(r, name) != 0) {
        std::printf("Error: unable to read radar header in file %s\n", name.c_str());
        return -1;
    }
    if (r.precip_data.empty()) {
        std::printf("Error: precip data not allocated\n");
        return -1;
    }
    if (r.torva_to_precip.size() != r.num_cells)
        r.torva_to_precip.assign(r.num_cells, 0);

    const double dx = r.model_cell;
    const int rows = std::min(r.model_rows, mask.rows());
    const int cols = std::min(r.model_cols, mask.cols());
    int k = 0;
    for (int i = 1; i <= rows; ++i) {
        for (int j = 1; j <= cols; ++j) {
            if (mask[i][j] == 0)
                continue;
            if (++k > r.num_cells)
                return 0;
            const double x = r.model_west + dx / 2.0 + (j - 1) * dx;
            const double y = r.model_north - dx / 2.0 - (i - 1) * dx;
            const double row = y > r.north ? 0.0 : std::floor((r.north - y) / r.cell);
            const double col = x < r.west ? 0.0 : std::floor((x - r.west) / r.cell);
            if (row > r.rows - 1 || col > r.cols - 1) {
                std::printf("Error!! p_I=%d, p_J=%d\n", static_cast<int>(std::min(row, double(INT_MAX))),
                            static_cast<int>(std::min(col, double(INT_MAX))));
                // The radar grid must cover the watershed to its south and east.
                std::printf("Error: radar grid %s does not cover model cell %d (row %d, column %d; centre x %.10g, "
                            "y %.10g): the grid spans x %.10g to %.10g and y %.10g to %.10g (%d columns and %d rows "
                            "of cell size %.10g), so the cell falls in its row %.0f, column %.0f (the last are %d "
                            "and %d).\n",
                            name.c_str(), k, i, j, x, y, r.west, r.west + r.cols * r.cell, r.north - r.rows * r.cell,
                            r.north, r.cols, r.rows, r.cell, row, col, r.rows - 1, r.cols - 1);
                error_set(err_radar_mapping);
                error_state.raised = 1;
                return -1;
            }
            r.torva_to_precip[k] = static_cast<int>(row) * r.cols + static_cast<int>(col);
        }
    }
    return 0;
}
