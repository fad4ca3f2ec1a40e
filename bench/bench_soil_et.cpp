// Timed driver of the accounting-column pass of the redistribution scheme
// (soil_moisture_et_cells) on a synthetic long-term grid of 1,000 x 1,000
// cells: a third of them ponded, soils varying from cell to cell, hourly
// steps with potential ET. Prints cell updates per second at 1, 2, 4 and
// all threads.
//
//   torva_bench_soil_et [rows] [cols] [steps]
#include <cstdio>
#include <memory>

#include "bench_threads.h"
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
    bench_run_size size;
    if (!read_bench_run_size(argc, argv, "torva_bench_soil_et", 1, size))
        return 1;
    const double step = 3600.0; // soil-ET step, s
    auto s = make_grid(size.rows * size.cols);
    const int cores = processor_count();
    std::printf(
        "Soil-water accounting column, %d x %d cells, a third ponded, %d steps of %.0f s, %d processors\n",
        size.rows, size.cols, size.steps, step, cores);
    time_cell_passes(
        size, cores,
        [&] {
            reset(*s);
            soil_moisture_et_cells(*s, step); // warms the caches
            return true;
        },
        [&](int) {
            soil_moisture_et_cells(*s, step);
            return true;
        });
    return 0;
}
