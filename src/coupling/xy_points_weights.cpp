// Inverse-distance-squared weights of every XY output point over the (up to
// four) cells of this model around it.
#include <cmath>
#include <cstdio>

#include "coupling/coupling_services.h"

namespace
{

constexpr double same_point = 1e-5;
constexpr double min_distance = 1e-4;

int active_cell(const xy_output& out, int r, int c)
{
    if (r < 1 || c < 1 || r > out.rows || c > out.cols)
        return 0;
    return (*out.mask)[r][c];
}

double centre_distance(const xy_output& out, int r, int c, double x, double y)
{
    const double h = out.cell_size;
    const double dx = x - (out.west + (c - 0.5) * h);
    const double dy = y - (out.north - (r - 0.5) * h);
    if (std::fabs(dx) < same_point && std::fabs(dy) < same_point)
        return 0.0;
    return std::hypot(dx, dy);
}

void add_candidate(xy_out_point& p, int cell, double d)
{
    if (p.count >= 4)
        return;
    d = std::max(d, min_distance);
    p.cells[p.count] = cell;
    p.weights[p.count] = 1.0 / (d * d);
    ++p.count;
}

// The nearest active cell centre (row by row, the first of equal
// distances), or 0 when the grid has no active cell.
int nearest_active(const xy_output& out, double x, double y)
{
    int best = 0;
    double best_d = 0.0;
    for (int r = 1; r <= out.rows; ++r)
        for (int c = 1; c <= out.cols; ++c) {
            const int cell = active_cell(out, r, c);
            if (cell == 0)
                continue;
            const double d = centre_distance(out, r, c, x, y);
            if (best == 0 || d < best_d) {
                best = cell;
                best_d = d;
            }
        }
    return best;
}

} // namespace

void xy_points_weights(xy_output& out)
{
    const double h = out.cell_size;
    for (xy_out_point& p : out.points) {
        p.count = 0;
        p.weight_sum = 0.0;
        const int r = static_cast<int>(std::floor((out.north - p.y) / h)) + 1;
        const int c = static_cast<int>(std::floor((p.x - out.west) / h)) + 1;
        if (active_cell(out, r, c)) {
            const bool right = std::fmod(p.x - out.west, h) / h >= 0.5;
            const bool lower = std::fmod(out.north - p.y, h) / h >= 0.5;
            const int r1 = lower ? r : r - 1;
            const int c1 = right ? c : c - 1;
            for (const int rr : {r1, r1 + 1})
                for (const int cc : {c1, c1 + 1})
                    if (const int cell = active_cell(out, rr, cc))
                        add_candidate(p, cell, centre_distance(out, rr, cc, p.x, p.y));
        } else {
            std::fprintf(
                stderr,
                "Warning... an XY output point (x=%8.2lf, y=%8.2lf) is not located in an active cell. \n"
                "    The result will be the value of the single nearest neighbor.\n",
                p.x, p.y);
            std::printf(
                "Warning... an XY output point (x=%8.2lf, y=%8.2lf) is not located in an active cell. \n"
                "    The result will be the value of the single nearest neighbor.\n",
                p.x, p.y);
            int cell = nearest_active(out, p.x, p.y);
            if (cell == 0) {
                const char* text =
                    "Error: unable to find nearest neighbor for out-of-bound x/y value. Something "
                    "is really messed up with your input. Reverting to cell id 1.\n";
                std::fputs(text, stderr);
                std::fputs(text, stdout);
                cell = 1;
            }
            add_candidate(p, cell, 1.0);
        }
        if (p.count < 2) {
            p.weights[0] = 1.0;
            p.weight_sum = 1.0;
        } else {
            for (int k = 0; k < p.count; ++k)
                p.weight_sum += p.weights[k];
        }
    }
}
