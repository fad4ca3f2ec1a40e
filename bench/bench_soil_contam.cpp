// Timed driver of the soil constituent step (soil_contam_step) on a
// synthetic grid of 1,000 x 1,000 cells: Green-Ampt with redistribution,
// three constituent layers, two sorbing and decaying contaminants, hourly
// soil steps with percolation and infiltrated mass handed in. Prints
// cell-updates per second (cells x constituents x steps) at 1, 2, 4 and all
// threads.
//
//   torva_bench_soil_contam [rows] [cols] [steps]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "core/model_state.h"
#include "core/platform.h"
#include "quality/quality_steps.h"

namespace
{

constexpr int constituents = 2;
constexpr int layers = 3;

std::unique_ptr<model_state> make_grid(int n)
{
    auto state = std::make_unique<model_state>();
    model_state& s = *state;
    s.num_cells = n;
    s.gridsize = 30.0;
    s.soil_con_trans = s.inf_redist = 1;
    s.soil_moist_depth = 50.0;
    s.top_layer_depth = 20.0;
    s.mixing_layer_depth = 5.0;
    s.soil_con_layers = layers;
    s.time_tol = 1.1574074074074074e-7;
    s.num_constituents = constituents;
    checked_int_array_grow_fill(s.constituent_type, constituents, 1);
    for (checked_array<double>* a :
         {&s.soil_exfil_mass,       &s.event_soil_exfil_mass,  &s.event_soil_infil_mass,
          &s.soil_infil_mass,       &s.event_soil_to_ov_mass,  &s.event_ov_to_soil_mass,
          &s.qbn_uptake_mass,       &s.event_soil_neg_mass,    &s.soil_gw_out_step,
          &s.soil_gw_in_step,       &s.soil_decay_step,        &s.soil_gw_out_mass,
          &s.GLOBAL_MASS_OUT,       &s.event_soil_gw_out_mass, &s.soil_gw_in_mass,
          &s.event_soil_gw_in_mass, &s.GLOBAL_GW_MASS,         &s.soil_decay_mass,
          &s.event_soil_decay_mass, &s.GLOBAL_MASS_DECAY,      &s.soil_neg_mass_run})
        checked_array_grow(*a, constituents);
    checked_array_grow(s.soil_con_layer_depth, layers);
    s.soil_con_layer_depth[1] = 0.05;
    s.soil_con_layer_depth[2] = 0.15;
    s.soil_con_layer_depth[3] = 0.30;
    for (matrix_stack* m : {&s.soil_mass, &s.soil_conc, &s.soil_sed_con})
        matrix_stack_add(*m, constituents, 0.0, n, layers);
    for (row_array<double>* r : {&s.soil_kd, &s.soil_decay, &s.soil_con_inflow, &s.ov_soil_exch_mass,
                                 &s.soil_exfil_cell_mass, &s.soil_con_work, &s.land_mass, &s.soil_group_rows})
        row_array_add_rows(*r, constituents, n);
    for (dvec* v : {&s.soil_water_top, &s.soil_water_low, &s.dist_porosity, &s.soil_flux_top,
                    &s.soil_flux_bottom, &s.soil_con_exfil})
        v->assign(n, 0.0);
    s.yes_exfil.assign(n, 0);
    s.THETA.assign(n, layers, 0.0);
    for (int i = 1; i <= constituents; ++i)
        for (int j = 1; j <= n; ++j) {
            s.soil_kd[i][j] = i == 1 ? 0.0 : 0.5 + 0.1 * (j % 7);
            s.soil_decay[i][j] = 1e-6 * (j % 5);
        }
    for (int j = 1; j <= n; ++j) {
        s.dist_porosity[j] = 0.4 + 0.01 * (j % 9);
        s.soil_water_top[j] = 20.0 * (0.15 + 0.02 * (j % 11));
        s.soil_water_low[j] = 30.0 * (0.15 + 0.02 * (j % 13));
    }
    return state;
}

void reset(model_state& s)
{
    for (int i = 1; i <= constituents; ++i)
        for (int j = 1; j <= s.num_cells; ++j)
            for (int k = 1; k <= layers; ++k)
                s.soil_mass.table[i][j][k] = 100.0 / k;
}

// Hands in one hour of percolation and infiltrated mass.
void feed(model_state& s)
{
    for (int j = 1; j <= s.num_cells; ++j) {
        s.soil_flux_top[j] = 0.1 + 0.01 * (j % 3);
        s.soil_flux_bottom[j] = 0.05;
        for (int i = 1; i <= constituents; ++i)
            s.soil_con_inflow[i][j] = 0.5;
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int cols = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int steps = argc > 3 ? std::atoi(argv[3]) : 10;
    const double step_days = 1.0 / 24.0;
    if (rows < 1 || cols < 1 || steps < 1) {
        std::printf("usage: torva_bench_soil_contam [rows] [cols] [steps]\n");
        return 1;
    }
    auto s = make_grid(rows * cols);
    const int cores = processor_count();
    std::printf("Soil constituent step, %d x %d cells, %d contaminants in %d layers, %d hourly steps, %d "
                "processors\n",
                rows, cols, constituents, layers, steps, cores);
    std::printf("threads  seconds  cell-updates/s\n");

    std::vector<int> counts = {1, 2, 4};
    if (cores != 1 && cores != 2 && cores != 4)
        counts.push_back(cores);
    for (int threads : counts) {
        set_thread_count(threads);
        reset(*s);
        double secs = 0.0;
        for (int k = 0; k <= steps; ++k) { // step 0 sizes the work record
            feed(*s);
            s->soil_con_last = s->current_time;
            s->current_time = s->soil_con_next = s->current_time + step_days;
            s->et_next = s->current_time + step_days;
            const auto t0 = std::chrono::steady_clock::now();
            soil_contam_step(*s);
            if (k > 0)
                secs += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        }
        const double updates = static_cast<double>(rows) * cols * constituents * steps;
        std::printf("%7d  %7.3f  %14.3e\n", threads, secs, updates / secs);
    }
    return 0;
}
