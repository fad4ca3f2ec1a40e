// Timed driver of the overland constituent mass step on the benchmark plane
// of 1,000 x 1,000 cells with two decaying contaminants carried by a steady
// sheet flow with dispersion. One cell of one constituent through one mass
// step (sources, both sweeps, hand-over and booking) is one cell update.
// Prints the rate at 1, 2, 4 and all threads.
//
//   torva_bench_ov_contam [rows] [cols] [steps]
#include <cstdio>

#include "bench_grid.h"
#include "bench_threads.h"
#include "core/platform.h"
#include "input/quality_inputs.h"
#include "quality/ov_contam.h"
#include "quality/quality_steps.h"

namespace
{

constexpr int constituents = 2;

void add_constituents(model_state& s, double step)
{
    const int n = s.num_cells;
    const int cols = s.num_cols;
    s.ov_con_trans = 1;
    s.contam_table_read = 1;
    s.kinetics_timestep_factor = 1.0;
    grow_constituent_arrays(s, constituents, n, 0);
    row_array_add_rows(s.ov_con_table_1, constituents, n);
    s.ov_qx.assign(n, 0.0);
    s.ov_qy.assign(n, 0.0);
    s.ov_depth_old.assign(n, 0.0);
    for (int i = 1; i <= n; ++i) {
        const int c = (i - 1) % cols + 1;
        if (s.rightcon[i])
            s.ov_qx[i] = 1e-4 * c;
        if (s.belowcon[i])
            s.ov_qy[i] = 2e-5 * c;
        s.ov_depth_old[i] = s.ov_depth[i];
    }
    const double area = s.gridsize * s.gridsize;
    for (int k = 1; k <= constituents; ++k)
        for (int i = 1; i <= n; ++i) {
            s.ov_con_table_1[k][i] = 0.01;
            s.ov_decay[k][i] = 1e-5 * k;
            s.ov_conc[k][i] = 1.0 + (i % 7);
            s.ov_mass[k][i] = s.ov_conc[k][i] * s.ov_depth[i] * area;
        }
    ov_contam_alloc(s);
    s.time_tol = 0.01 / 86400.0;
    s.contam_dt_days = step / 86400.0;
    s.contam_last = 0.0;
    s.contam_next = s.contam_dt_days;
}

// One mass step at its clock, with a decay sub-step filling its
// accumulators as the process step would.
void mass_step(model_state& s)
{
    s.current_time = s.contam_next;
    const double dt = (s.contam_next - s.contam_last) * 86400.0;
    for (int k = 1; k <= constituents; ++k)
        ov_con_decay(s, k, dt);
    s.ov_loss_dt = dt;
    ov_contam_mass_step(s);
}

} // namespace

int main(int argc, char** argv)
{
    bench_run_size size;
    const double step = 10.0; // mass step, s
    if (!read_bench_run_size(argc, argv, "torva_bench_ov_contam", 2, size))
        return 1;
    auto s = make_bench_grid(size.rows, size.cols, 2);
    reset_bench_depths(*s, size.rows, size.cols);
    add_constituents(*s, step);
    const int cores = processor_count();
    std::printf("Overland constituent mass step, %d x %d cells, %d constituents, %d steps of %.0f s, %d "
                "processors\n",
                size.rows, size.cols, constituents, size.steps, step, cores);
    // The first step of each count warms the caches.
    auto step_once = [&] {
        mass_step(*s);
        return true;
    };
    auto timed_step = [&](int) { return step_once(); };
    return time_cell_passes(size, cores, step_once, timed_step, constituents) ? 0 : 1;
}
