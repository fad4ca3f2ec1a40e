// Timed driver of the saturated groundwater solver: an aquifer of 1,000 x
// 1,000 cells of 10 m (K 1e-4 m/s, specific yield 0.2, 20 m saturated),
// fixed heads of 20 m on the left edge and 18 m on the right edge, a well
// pumping 0.05 m3/s at the centre, solved over steps of one hour with line
// relaxation by rows and by columns at 1, 2, 4 and all threads. Prints the
// time per solve, the Picard passes per solve and the line sweeps per pass.
//
//   torva_bench_groundwater [rows] [cols] [solves]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "core/model_state.h"
#include "core/platform.h"
#include "overland/overland_steps.h"
#include "subsurface/groundwater.h"

namespace
{

std::unique_ptr<model_state> make_aquifer(int rows, int cols, int direction)
{
    auto state = std::make_unique<model_state>();
    model_state& s = *state;
    const int n = rows * cols;
    s.num_rows = s.rows = rows;
    s.num_cols = s.cols = cols;
    s.num_cells = n;
    s.gridsize = 10.0;
    s.gw_simulation = 1;
    s.gw_relax_coeff = 1.0;
    s.gw_lsor_con = 1e-5;
    s.gw_lsor_dir = direction;
    s.gw_sweep_order = 1;
    s.mask.assign(rows + 1, cols + 1, 0);
    for (ivec* v : {&s.rightcon, &s.belowcon, &s.abovecon, &s.leftcon, &s.gwbound})
        v->assign(n, 0);
    for (dvec* v : {&s.elevgw, &s.bottom_elev, &s.ground_elev, &s.gw_ksat_x, &s.gw_ksat_y, &s.gw_cell_dx,
                    &s.gw_cell_dy, &s.gw_spec_yield, &s.well_flux})
        v->assign(n, 0.0);
    int k = 0;
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c) {
            s.mask[r][c] = ++k;
            s.elevgw[k] = 20.0;
            s.ground_elev[k] = 30.0;
            s.gw_ksat_x[k] = s.gw_ksat_y[k] = 1e-4;
            s.gw_cell_dx[k] = s.gw_cell_dy[k] = 10.0;
            s.gw_spec_yield[k] = 0.2;
            if (c == 1 || c == cols) {
                s.gwbound[k] = 2;
                s.elevgw[k] = c == 1 ? 20.0 : 18.0;
            }
        }
    build_neighbour_lists(rows, cols, s.rightcon, s.belowcon, s.abovecon, s.leftcon, s.mask);
    s.well_flux[s.mask[(rows + 1) / 2][(cols + 1) / 2]] = 0.05 / 100.0;
    return state;
}

} // namespace

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int cols = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int solves = argc > 3 ? std::atoi(argv[3]) : 3;
    const double step = 3600.0;
    if (rows < 3 || cols < 3 || solves < 1) {
        std::printf("usage: torva_bench_groundwater [rows] [cols] [solves]\n");
        return 1;
    }
    const int cores = processor_count();
    std::printf(
        "Groundwater solver, %d x %d cells, fixed-head edges, one well, %d solves of %.0f s, %d processors\n",
        rows, cols, solves, step, cores);
    std::printf("lines    threads  s/solve  passes/solve  sweeps/pass\n");
    std::vector<int> counts = {1, 2, 4};
    if (cores != 1 && cores != 2 && cores != 4)
        counts.push_back(cores);
    for (int direction : {1, 2})
        for (int threads : counts) {
            set_thread_count(threads);
            auto s = make_aquifer(rows, cols, direction);
            const auto t0 = std::chrono::steady_clock::now();
            for (int k = 0; k < solves; ++k) {
                groundwater_solve(*s, s->num_cells, step);
                s->gw_sweep_order = s->gw_sweep_order == 1 ? 2 : 1;
            }
            const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            const double passes = static_cast<double>(s->gw_pass_count);
            std::printf("%-8s %7d  %7.3f  %12.2f  %11.1f\n", direction == 1 ? "rows" : "columns", threads,
                        secs / solves, passes / solves, static_cast<double>(s->gw_sweep_count) / passes);
        }
    return 0;
}
