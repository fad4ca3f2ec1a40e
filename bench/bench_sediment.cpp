// Timed driver of the overland sediment step on a sloping grid of 1,000 x
// 1,000 cells with three size classes (clay, silt, sand) under 50 mm/h of
// rain and a steady sheet flow. One cell through one sediment step, all
// classes and passes, is one cell update. Prints the rate at 1, 2, 4 and
// all threads.
//
//   torva_bench_sediment [rows] [cols] [steps]
#include <cstdio>
#include <memory>

#include "bench_grid.h"
#include "bench_threads.h"
#include "core/platform.h"
#include "quality/sediment_block.h"
#include "quality/sediment_steps.h"

namespace
{

const double diam[4] = {0.0, 0.002, 0.03, 0.25}; // mm
const double parent[4] = {0.0, 0.2, 0.5, 0.3};

void add_sediment(model_state& s)
{
    const int n = s.num_cells;
    const int nc = 3;
    s.sed.soil_erosion = 1;
    s.sed.erosion_method = 3;
    s.sed.num_sed = nc;
    s.ov_sed_scheme = 1;
    s.ov_sed = std::make_unique<sediment_table>();
    sediment_table& t = *s.ov_sed;
    t.num_classes = nc;
    t.cell_tally.assign(n, nc, sed_tally());
    t.class_tally.assign(nc, sed_tally());
    t.ov_qsvol.assign(n, nc, 0.0);
    t.ws_slope_x.assign(n, 0.0);
    t.ws_slope_y.assign(n, 0.0);
    t.q_out_mag.assign(n, 0.0);
    s.part_diam.assign(nc, 0.0);
    s.spec_grav.assign(nc, 2.65);
    s.fall_velocity.assign(nc, 0.0);
    for (int m = 1; m <= nc; ++m) {
        s.part_diam[m] = diam[m];
        const double d = diam[m] / 1000.0;
        s.fall_velocity[m] = 1.65 * 9.81 * d * d / (18.0 * 1e-6);
    }
    s.fall_velocity[3] = 0.03;
    s.sed_fract.assign(n, nc, 4, 0.0);
    s.ov_sed_vol_eroded.assign(n, nc, 0.0);
    s.ov_sed_vol_deposited.assign(n, nc, 0.0);
    for (dvec* v : {&s.qsx, &s.qsy, &s.splash_K, &s.sed_K, &s.detach_coef, &s.detach_crit, &s.detach_exp})
        v->assign(n, 0.0);
    s.rain_rate.assign(n, 50.0);
    s.ov_qx.assign(n, 0.0);
    s.ov_qy.assign(n, 0.0);
    const int cols = s.num_cols;
    for (int i = 1; i <= n; ++i) {
        for (int m = 1; m <= nc; ++m)
            s.sed_fract[i][m][1] = parent[m];
        s.splash_K[i] = 60.0;
        s.detach_coef[i] = 2e-5;
        s.detach_exp[i] = 1.0;
        s.detach_crit[i] = 0.5;
        // Sheet flow growing down the plane.
        const int c = (i - 1) % cols + 1;
        if (s.rightcon[i])
            s.ov_qx[i] = 1e-4 * c;
        if (s.belowcon[i])
            s.ov_qy[i] = 2e-5 * c;
    }
}

} // namespace

int main(int argc, char** argv)
{
    bench_run_size size;
    if (!read_bench_run_size(argc, argv, "torva_bench_sediment", 2, size))
        return 1;
    const double step = 10.0; // overland step, s
    auto s = make_bench_grid(size.rows, size.cols, 2);
    reset_bench_depths(*s, size.rows, size.cols);
    add_sediment(*s);
    const int cores = processor_count();
    std::printf("Overland sediment step, %d x %d cells, 3 classes, %d steps of %.0f s, %d processors\n",
                size.rows, size.cols, size.steps, step, cores);
    time_cell_passes(
        size, cores,
        [&] {
            ov_sediment_transport(*s, step); // warms the caches
            return true;
        },
        [&](int) {
            ov_sediment_transport(*s, step);
            ov_sediment_book_step(*s);
            return true;
        });
    return 0;
}
