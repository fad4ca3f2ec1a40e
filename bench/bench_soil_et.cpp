// Timed driver of the accounting-column pass of the redistribution scheme
// (soil_moisture_et_cells) on a synthetic long-term grid of 1,000 x 1,000
// cells: a third of them ponded, soils varying from cell to cell, hourly
// steps with potential ET. Prints cell updates per second at 1, 2, 4 and
// all threads.
//
//   torva_bench_soil_et [rows] [cols] [steps]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "core/model_state.h"
#include "core/platform.h"
#include "subsurface/soil_accounting.h"

namespace
{

std::unique_ptr<model_state> make_grid(int n)
{
    auto state = std::make_unique<model_state>();
    model_state& s = *state;
    s.num_cells = n;
    s.gridsize = 30.0;
    s.inf_redist = s.soil_water_acct = s.long_term = 1;
    s.soil_moist_depth = 50.0;
    s.top_layer_depth = 10.0;
    for (dvec* v : {&s.dist_ksat,          &s.dist_pore_index, &s.dist_porosity,
                    &s.dist_resid_sat,     &s.dist_inf_col6,   &s.dist_wilting_point,
                    &s.soil_depth,         &s.soil_water,      &s.soil_water_top,
                    &s.soil_water_low,     &s.et_removed,      &s.soil_bottom_drain_acc,
                    &s.soil_top_drain_acc, &s.soil_acct_input, &s.soil_et_array,
                    &s.unsat_down_flux,    &s.ov_depth,        &s.direct_evap,
                    &s.rain_rate,          &s.pet_rate,        &s.et_rate})
        v->assign(n, 0.0);
    s.yes_exfil.assign(n, 0);
    for (int i = 1; i <= n; ++i) {
        s.dist_ksat[i] = 1e-6 * (1.0 + (i % 23) / 5.0);
        s.dist_pore_index[i] = 0.25 + 0.05 * (i % 7);
        s.dist_porosity[i] = 0.45;
        s.dist_resid_sat[i] = 0.05;
        s.dist_inf_col6[i] = 0.2;
        s.dist_wilting_point[i] = 0.1;
        s.soil_depth[i] = 50.0;
        s.pet_rate[i] = s.et_rate[i] = 0.05 / 3600.0;
    }
    return state;
}

void reset(model_state& s)
{
    for (int i = 1; i <= s.num_cells; ++i) {
        s.soil_water_top[i] = 10.0 * (0.2 + 0.02 * (i % 11));
        s.soil_water_low[i] = 40.0 * (0.15 + 0.02 * (i % 13));
        s.ov_depth[i] = i % 3 ? 0.0 : 0.0005;
        s.et_removed[i] = i % 5 ? 0.0 : 0.001;
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int cols = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int steps = argc > 3 ? std::atoi(argv[3]) : 10;
    const double step = 3600.0; // soil-ET step, s
    if (rows < 1 || cols < 1 || steps < 1) {
        std::printf("usage: torva_bench_soil_et [rows] [cols] [steps]\n");
        return 1;
    }
    auto s = make_grid(rows * cols);
    const int cores = processor_count();
    std::printf(
        "Soil-water accounting column, %d x %d cells, a third ponded, %d steps of %.0f s, %d processors\n",
        rows, cols, steps, step, cores);
    std::printf("threads  seconds  cell-updates/s\n");

    std::vector<int> counts = {1, 2, 4};
    if (cores != 1 && cores != 2 && cores != 4)
        counts.push_back(cores);
    for (int threads : counts) {
        set_thread_count(threads);
        reset(*s);
        soil_moisture_et_cells(*s, step); // warms the caches
        const auto t0 = std::chrono::steady_clock::now();
        for (int k = 0; k < steps; ++k)
            soil_moisture_et_cells(*s, step);
        const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const double updates = static_cast<double>(rows) * cols * steps;
        std::printf("%7d  %7.3f  %14.3e\n", threads, secs, updates / secs);
    }
    return 0;
}
