// Channel lakes over the grid: each lake's stage, surface area and flooded
// cells brought in line with its volume. A rating-curve lake takes its
// stage and area from the curve and floods (or releases) the cells of its
// search list below (above) that stage; a lake without a curve walks its
// search list cell by cell, rising over the cells it fills and releasing
// them from the end of the list as it falls.
//
// The lakes are updated one after another in lake order: the cell sets of
// two lakes can touch, and the first lake to reach a cell keeps it whatever
// the thread count.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "channel/channel_input.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "overland/lake_files.h"
#include "quality/sediment_steps.h"

namespace
{

constexpr double level_margin = 1e-7; // m
constexpr double beyond_extent = 999.9; // m: height of the cell past a full search list

int search_cell(const model_state& s, int k, int entry)
{
    const int row = s.lake_search[k][1][entry];
    const int col = s.lake_search[k][2][entry];
    if (row < 1 || col < 1 || row > s.mask.rows() || col > s.mask.cols())
        return 0;
    const int cell = s.mask[row][col];
    return cell >= 1 && cell <= s.num_cells ? cell : 0;
}

// The dissolved mass of a flooded cell waits in the lake's overland
// inflow; the cell keeps none.
void cell_constituents_to_lake(model_state& s, int k, int cell)
{
    if (!s.con_any)
        return;
    const int c =
        std::min({s.num_constituents, s.ov_mass.count, s.ov_conc.count, s.lake_ov_inflow_mass.count});
    if (cell > s.ov_mass.width || cell > s.ov_conc.width || k > s.lake_ov_inflow_mass.width)
        return;
    for (int m = 1; m <= c; ++m) {
        s.lake_ov_inflow_mass[m][k] += s.ov_mass[m][cell];
        s.ov_mass[m][cell] = 0.0;
        s.ov_conc[m][cell] = 0.0;
    }
}

// Lake concentrations from the lake masses; a lake without water holds no
// concentration.
void lake_concentrations(model_state& s, int k, double volume)
{
    if (!s.con_any)
        return;
    const int c = std::min({s.num_constituents, s.lake_mass.count, s.lake_conc.count});
    if (k > s.lake_mass.width || k > s.lake_conc.width)
        return;
    for (int m = 1; m <= c; ++m)
        s.lake_conc[m][k] = volume > 0.0 ? s.lake_mass[m][k] / volume : 0.0;
}

// Cell joins lake k; its water joins the lake (deeper than `wet` m).
// Returns the volume added.
double flood_cell(model_state& s, int k, int cell, double wet)
{
    s.lake_mask[cell] = k;
    s.new_flooded_grid[cell] = 1;
    if (s.gw_simulation && s.gwbound.size() >= cell)
        s.gwbound[cell] = 7;
    const double h = s.ov_depth[cell];
    double v = 0.0;
    if (h > wet) {
        v = s.gridsize * s.gridsize * h;
        s.lake_in_dv[k] += v;
        cell_constituents_to_lake(s, k, cell);
        lake_takes_cell_sediment(s, k, cell);
    }
    std::printf("Lake %d is taking cell %d with depth %lf\n", k, cell, h);
    s.ov_depth[cell] = 0.0;
    return v;
}

void release_cell(model_state& s, int cell)
{
    s.lake_mask[cell] = 0;
    s.new_flooded_grid[cell] = -1;
    s.ov_depth[cell] = 0.0;
    if (s.gw_simulation && s.og_gwbound_type.size() >= cell && s.gwbound.size() >= cell)
        s.gwbound[cell] = s.og_gwbound_type[cell];
}

void rating_lake(model_state& s, int k, double& V, double W, int& C, double& P, double& A)
{
    const int n = s.numrate[k];
    P = lake_rating_interp(k, V, n, s.lake_rate_volume[k], s.lake_rate_elev[k], &s.lake_rating_warned[k]);
    A = lake_rating_interp(k, V, n, s.lake_rate_volume[k], s.lake_rate_area[k], &s.lake_rating_warned[k]);
    if (s.yes_static_lake[k])
        return;
    const int C0 = C;
    if (W >= 0.0) {
        for (int e = 1; e <= s.numpts[k]; ++e) {
            const int cell = search_cell(s, k, e);
            if (cell && s.lake_mask[cell] == 0 && s.ground_elev[cell] + level_margin < P) {
                V += flood_cell(s, k, cell, 1e-16);
                ++C;
            }
        }
        return;
    }
    for (int e = 1; e <= C0 && e <= s.numpts[k]; ++e) {
        const int cell = search_cell(s, k, e);
        if (cell && s.lake_mask[cell] == k && s.ground_elev[cell] > P) {
            release_cell(s, cell);
            std::printf("Removing cell %d from lake %d \n", cell, k);
            --C;
        }
    }
}

// False after the merge stop.
bool stepped_lake(model_state& s, int k, double& V, double W, int& C, double& P, double& A)
{
    const double cell_area = s.gridsize * s.gridsize;
    P = s.lake_elev[k];
    A = s.lake_area[k];
    const int np = s.numpts[k];
    while (W > 0.0 && np >= 1) {
        int entry = C + 1;
        double Q;
        if (entry > np) {
            entry = np;
            Q = beyond_extent;
            if (!lake_extent_warning_given()) {
                lake_extent_warning_given() = 1;
                const int row = s.lake_search[k][1][np];
                const int col = s.lake_search[k][2][np];
                char text[3][160];
                std::snprintf(text[0], sizeof text[0],
                              "Warning: Lake #%d has reached your specified maximum areal extent\n", k);
                std::snprintf(text[1], sizeof text[1],
                              "This likely means you should increase the maximum water surface elevation\n");
                std::snprintf(text[2], sizeof text[2],
                              "The last grid cell coordinates defined in your input file are: [%d][%d] \n", row,
                              col);
                std::FILE* sum = s.summary_file.fp;
                if (sum)
                    std::fprintf(sum, "\n");
                for (const char* line : text) {
                    std::fputs(line, stdout);
                    if (sum)
                        std::fputs(line, sum);
                }
                if (sum)
                    std::fprintf(sum, "\n");
            }
        } else {
            const int cell = search_cell(s, k, entry);
            Q = (cell ? s.ground_elev[cell] : P) - P;
        }
        if (W / A < Q + level_margin) {
            P += W / A;
            break;
        }
        const int cell = search_cell(s, k, entry);
        ++C;
        P += Q;
        W -= Q * A;
        if (cell && s.lake_mask[cell] != 0) {
            std::printf("Your lake has potentially merged with another lake.....\n");
            std::printf("Current TORVA formulation is not up for this. Will be soon.\n");
            std::printf("TORVA Terminating.\n");
            error_set(err_stop);
            report_error(error_state);
            return false;
        }
        A = C * cell_area;
        if (cell) {
            const double v = flood_cell(s, k, cell, 0.0);
            V += v;
            W += v;
        }
    }
    while (W < 0.0 && C >= 1) {
        const int cell = C <= np ? search_cell(s, k, C) : 0;
        const double d = P - (cell ? s.ground_elev[cell] : P);
        if (std::fabs(W / A) < d) {
            P -= std::fabs(W / A);
            break;
        }
        if (cell) {
            release_cell(s, cell);
            std::printf("Removing cell %d from lake\n", cell);
        }
        --C;
        W += d * A;
        P -= d;
        A = C * cell_area;
    }
    A = C * cell_area;
    return true;
}

} // namespace

int& lake_extent_warning_given()
{
    static int given = 0;
    return given;
}

void lake_extent_fork(model_state& s)
{
    const int n = s.num_cells;
    for (int i = 1; i <= n && i <= s.new_flooded_grid.size(); ++i)
        s.new_flooded_grid[i] = 0;
    if (s.lake_mask.size() < n || s.new_flooded_grid.size() < n || s.ov_depth.size() < n ||
        s.ground_elev.size() < n)
        return;
    for (int k = 1; k <= s.num_lakes; ++k) {
        double V = s.lake_volume[k];
        int C = s.lake_cells[k];
        const double W = V - s.prevlake_volume[k];
        double P = 0.0;
        double A = 0.0;
        if (s.yes_defined_curve_lake[k]) {
            rating_lake(s, k, V, W, C, P, A);
        } else if (!stepped_lake(s, k, V, W, C, P, A)) {
            return;
        }
        s.lake_volume[k] = s.prevlake_volume[k] = V;
        s.lake_area[k] = A;
        s.lake_elev[k] = P;
        s.lake_cells[k] = C;
        lake_concentrations(s, k, V);
    }
}
