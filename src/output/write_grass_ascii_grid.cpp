#include "output/grid_writers.h"
#include "output/text_writer.h"

void write_grass_ascii_grid(std::FILE* fp, const imat& mask, double north, double south, double east,
                            double west, int rows, int cols, const double* values)
{
    std::fprintf(fp, "north: %9.2lf\n", north);
    std::fprintf(fp, "south: %9.2lf\n", south);
    std::fprintf(fp, "east: %9.2lf\n", east);
    std::fprintf(fp, "west: %9.2lf\n", west);
    std::fprintf(fp, "rows: %5d\n", rows);
    std::fprintf(fp, "cols: %5d\n", cols);
    // Each value as "%lf ".
    text_writer out(fp);
    int k = 0;
    for (int r = 1; r <= rows; ++r) {
        for (int c = 1; c <= cols; ++c) {
            out.put_fixed(grid_cell_active(mask, r, c) ? values[++k] : 0.0, 6);
            out.put(' ');
        }
        out.put('\n');
    }
}
