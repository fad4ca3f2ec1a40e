// Timed driver of one hour of energy-balance evapotranspiration on a
// synthetic grid of 1,000 x 1,000 cells with varied slopes and vegetation,
// Penman-Monteith, at mid-afternoon of a June day. Prints the time of one
// evapo_trans call and the cells per second at 1, 2, 4 and all threads.
//
//   torva_bench_evapo_trans [rows] [cols] [calls]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "core/model_state.h"
#include "core/platform.h"
#include "hydromet/hmet_services.h"

namespace
{

std::unique_ptr<model_state> make_grid(int n)
{
    auto state = std::make_unique<model_state>();
    model_state& s = *state;
    s.num_cells = n;
    for (dvec* v : {&s.slope_x, &s.slope_y, &s.pet_rate, &s.et_rate, &s.dist_albedo, &s.dist_veg_height,
                    &s.dist_trans_coeff, &s.dist_canopy_resist, &s.ov_depth})
        v->assign(n, 0.0);
    for (int i = 1; i <= n; ++i) {
        s.slope_x[i] = 0.01 * (i % 7);
        s.slope_y[i] = 0.02 * (i % 5);
        s.dist_albedo[i] = 0.15 + 0.01 * (i % 10);
        s.dist_veg_height[i] = 0.1 + 0.1 * (i % 9);
        s.dist_canopy_resist[i] = 50.0 + 10.0 * (i % 11);
    }
    s.et_calc_penman = 1;
    s.latitude = 40.0;
    s.cur_year = 1998;
    s.cur_month = 6;
    s.cur_day = 1;
    s.cur_hour = 15;
    s.hmet_pressure = 1013.25;
    s.hmet_air_temp = 20.0;
    s.hmet_rel_hum = 50.0;
    s.hmet_wind = 3.0;
    s.hmet_cloud = 5.0;
    s.hmet_global_rad = 600.0;
    return state;
}

} // namespace

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int cols = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int calls = argc > 3 ? std::atoi(argv[3]) : 5;
    if (rows < 1 || cols < 1 || calls < 1) {
        std::printf("usage: torva_bench_evapo_trans [rows] [cols] [calls]\n");
        return 1;
    }
    auto s = make_grid(rows * cols);
    const int cores = processor_count();
    std::printf(
        "Evapotranspiration (Penman-Monteith, 15:00 on 1 June), %d x %d cells, %d calls, %d processors\n",
        rows, cols, calls, cores);
    std::printf("threads  s per call  cells/s\n");

    std::vector<int> counts = {1, 2, 4};
    if (cores != 1 && cores != 2 && cores != 4)
        counts.push_back(cores);
    for (int threads : counts) {
        set_thread_count(threads);
        evapo_trans(*s); // the first call starts the ground temperatures and warms the caches
        const auto t0 = std::chrono::steady_clock::now();
        for (int k = 0; k < calls; ++k)
            evapo_trans(*s);
        const double secs =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / calls;
        std::printf("%7d  %10.4f  %9.3e\n", threads, secs, static_cast<double>(rows) * cols / secs);
    }
    return 0;
}
