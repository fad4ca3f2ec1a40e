#include "output/grid_writers.h"
#include "output/text_writer.h"

void write_esri_ascii_grid(std::FILE* fp, const imat& mask, double north, double south, double east,
                           double west, int rows, int cols, const double* values, double cell_size)
{
    const double nodata = -9999.99;
    const double xll = (east < west ? east : west) + 0.5 * cell_size;
    const double yll = (north < south ? north : south) + 0.5 * cell_size;
    std::fprintf(fp, "ncols \t%d\n", cols);
    std::fprintf(fp, "nrows \t%d\n", rows);
    std::fprintf(fp, "xllcenter %9.2lf\n", xll);
    std::fprintf(fp, "yllcenter %9.2lf\n", yll);
    std::fprintf(fp, "cellsize %9.2lf\n", cell_size);
    std::fprintf(fp, "NODATA_value -9999.99\n");
    // Each value as "%6.4lf ".
    text_writer out(fp);
    int k = 0;
    for (int r = 1; r <= rows; ++r) {
        for (int c = 1; c <= cols; ++c) {
            out.put_fixed(grid_cell_active(mask, r, c) ? values[++k] : nodata, 4, 6);
            out.put(' ');
        }
        out.put('\n');
    }
}
