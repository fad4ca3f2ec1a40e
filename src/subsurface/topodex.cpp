// Terrain attributes of the lumped models' channel weights, from the
// elevation grid by multiple-flow-direction accumulation of upslope area:
// a cell is finished once every higher neighbour is, and passes its area
// on to its lower neighbours in proportion to slope times contour length.
// topodex gives ln(a / sum(tan b L)) per cell, upslope_area the area.
#include <cmath>
#include <cstdio>
#include <new>
#include <vector>

#include "core/error_state.h"
#include "subsurface/lumped_models.h"

namespace
{

// A rows x cols grid, 1-based, allocated for one call.
struct work_grid {
    int cols = 0;
    std::vector<double> v;
    double& at(int r, int c) { return v[static_cast<std::size_t>(r) * (cols + 1) + c]; }
};

bool make_grid(work_grid& g, int rows, int cols, double value, const char* name)
{
    try {
        g.cols = cols;
        g.v.assign(static_cast<std::size_t>(rows + 1) * (cols + 1), value);
    } catch (const std::bad_alloc&) {
        std::printf("Error allocating memory for variable %s", name);
        return false;
    }
    return true;
}

const int d_row[8] = {-1, -1, -1, 0, 0, 1, 1, 1};
const int d_col[8] = {-1, 0, 1, -1, 1, -1, 0, 1};

void print_pass_failure()
{
    std::fprintf(stderr, "You have specified TOPO_INDEX in your TORVA project file.\n");
    std::fprintf(stderr, "After 1000 iterative passes through the DEM to calculate\n");
    std::fprintf(stderr, "the topographic index map, the routine has not succeeded.\n");
    std::fprintf(stderr, "This is rediculous.  Your DEM must be of very poor quality.\n");
    std::fprintf(stderr, "Please make your DEM more representative of nature in terms\n");
    std::fprintf(stderr, "of flow paths, removing digital dams and pits.  If you do not\n");
    std::fprintf(stderr, "want to do this, you can remove the TOPO_INDEX card from your\n");
    std::fprintf(stderr, "TORVA project file, and the TORVA Sacramento Routine will the\n");
    std::fprintf(stderr, "simply put its output into the channels uniformly.\n");
    std::fprintf(stderr, "Program terminated.\n");
}

// The accumulation shared by both routines. Fills the per-cell output with
// the index (topo) or the area; false after printing a failure.
bool accumulate(const dvec& elev_cell, const imat& mask, dvec& out, int rows, int cols, double dx, bool topo)
{
    work_grid elev, index, area;
    if (!make_grid(elev, rows, cols, 0.0, "elev") ||
        !make_grid(index, rows, cols, 0.0, topo ? "topodex" : "area") ||
        !make_grid(area, rows, cols, dx * dx, "area"))
        return false;
    // Cells still waiting for their higher neighbours.
    std::vector<char> waiting;
    try {
        waiting.assign(static_cast<std::size_t>(rows + 1) * (cols + 1), 0);
    } catch (const std::bad_alloc&) {
        std::printf("Error allocating memory for variable %s", topo ? "topodex" : "area");
        return false;
    }
    auto pending = [&](int r, int c) -> char& {
        return waiting[static_cast<std::size_t>(r) * (cols + 1) + c];
    };
    auto cell_of = [&](int r, int c) { return mask[r][c]; };
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c) {
            const int k = cell_of(r, c);
            elev.at(r, c) = elev_cell[k > 0 ? k : 0];
            if (k > 0) {
                index.at(r, c) = -1.0;
                pending(r, c) = 1;
            }
        }
    const double diag = std::sqrt(2.0) * dx;
    double dist[8], contour[8];
    for (int d = 0; d < 8; ++d) {
        const bool side = d_row[d] == 0 || d_col[d] == 0;
        dist[d] = side ? dx : diag;
        contour[d] = side ? 0.5 * dx : std::sqrt(2.0) * 0.25 * dx;
    }

    bool left = true;
    for (int pass = 1; left; ++pass) {
        if (pass > 1000) {
            print_pass_failure();
            return false;
        }
        left = false;
        for (int c = 1; c <= cols; ++c)
            for (int r = 1; r <= rows; ++r) {
                if (!pending(r, c))
                    continue;
                const double z = elev.at(r, c);
                bool wait = false;
                for (int d = 0; d < 8 && !wait; ++d) {
                    const int rr = r + d_row[d], cc = c + d_col[d];
                    if (rr >= 1 && rr <= rows && cc >= 1 && cc <= cols && elev.at(rr, cc) > z &&
                        pending(rr, cc))
                        wait = true;
                }
                if (wait) {
                    left = true;
                    continue;
                }
                double w[8] = {};
                double sum = 0.0, rise = 0.0;
                int around = 0;
                for (int d = 0; d < 8; ++d) {
                    const int rr = r + d_row[d], cc = c + d_col[d];
                    if (rr < 1 || rr > rows || cc < 1 || cc > cols || cell_of(rr, cc) <= 0)
                        continue;
                    const double drop = z - elev.at(rr, cc);
                    ++around;
                    rise -= drop / dist[d];
                    if (drop > 0.0) {
                        w[d] = drop / dist[d] * contour[d];
                        sum += w[d];
                    }
                }
                const double a = area.at(r, c);
                if (sum > 0.0) {
                    const double ratio = a / sum;
                    index.at(r, c) = std::log(ratio);
                    for (int d = 0; d < 8; ++d)
                        if (w[d] > 0.0)
                            area.at(r + d_row[d], c + d_col[d]) += ratio * w[d];
                } else {
                    // A pit or a flat: the mean slope up to the neighbours.
                    const double s = around > 0 ? rise / around : 0.0;
                    if (s > 1e-8) {
                        index.at(r, c) = std::log(a / (2.0 * dx * s));
                        if (s < 1e-6)
                            std::printf("sslope<1.0e-6 in read_sacramento : %.10lf\n", s);
                    } else {
                        index.at(r, c) = 0.333;
                    }
                }
                pending(r, c) = 0;
            }
    }

    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c) {
            const int k = cell_of(r, c);
            if (k <= 0 || k > out.size())
                continue;
            out[k] = topo ? index.at(r, c) : area.at(r, c);
            if (topo && out[k] < 0.0) {
                std::fprintf(stderr, "Warning: topodex routine has computed a negative topodex value\n");
                std::fprintf(stderr, "Check your input elevation file for large flat areas with\n");
                std::fprintf(stderr, "either the exact same elevation or nearly so (~0.0000x)\n");
                std::fprintf(stderr,
                             "If you do not want to do this, you can remove the TOPO_INDEX card from your\n");
                std::fprintf(stderr, "TORVA project file, and the TORVA Sacramento Routine will the\n");
                std::fprintf(stderr, "simply put its output into the channels uniformly.\n");
                std::fprintf(stderr, "Program terminated.\n");
                return false;
            }
        }
    return true;
}

} // namespace

bool topodex(const dvec& elev, const imat& mask, dvec& out, int rows, int cols, double dx)
{
    if (!accumulate(elev, mask, out, rows, cols, dx, true)) {
        error_set(err_stop);
        return false;
    }
    return true;
}

bool upslope_area(const dvec& elev, const imat& mask, dvec& out, int rows, int cols, double dx)
{
    std::FILE* fp = std::fopen("upslope.out", "w");
    if (!fp) {
        std::printf("Can't open debug file in produce upslope area\n");
        error_set(err_stop);
        return false;
    }
    if (!accumulate(elev, mask, out, rows, cols, dx, false)) {
        std::fclose(fp);
        error_set(err_stop);
        return false;
    }
    std::fprintf(fp, "north: %f\n", rows * dx + 1000000.0);
    std::fprintf(fp, "south: %f\n", 1000000.0);
    std::fprintf(fp, "east:  %f\n", cols * dx + 100000.0);
    std::fprintf(fp, "west:  %f\n", 100000.0);
    std::fprintf(fp, "rows:  %d\n", rows);
    std::fprintf(fp, "cols:  %d\n", cols);
    for (int r = 1; r <= rows; ++r)
        std::fprintf(fp, "\n");
    std::fclose(fp);
    return true;
}
