// Timed driver of the nutrient module's per-step soil-to-water transfer
// (qbn_overland_step: the layer water contents, then the five soil-pool to
// water pairs of every cell) on a synthetic grid of 1,000 x 1,000 cells with
// one soil constituent layer. One cell through one transfer is one cell
// update. Prints the rate at 1, 2, 4 and all threads.
//
//   torva_bench_qbn [rows] [cols] [steps]
#include <cstdio>
#include <memory>

#include "bench_threads.h"
#include "core/model_state.h"
#include "core/platform.h"
#include "quality/qbn_steps.h"

namespace
{

constexpr int pools = 13;

struct bench_state {
    std::unique_ptr<model_state> state = std::make_unique<model_state>();
    row_array<double> pool_amounts[pools];
};

void make_state(bench_state& b, int n)
{
    model_state& s = *b.state;
    s.num_cells = n;
    s.soil_con_layers = 1;
    s.THETA.assign(n, 2, 0.0);
    s.soil_moisture.assign(n, 0.0);
    for (int j = 1; j <= n; ++j)
        s.soil_moisture[j] = 0.2 + 0.01 * (j % 9);
    row_array_add_rows(s.soil_exch_cell_mass, pools, n);
    row_array_add_rows(s.ov_soil_exch_mass, pools, n);
    s.qbn_object = qbn_model_create();
    qbn_model& m = *s.qbn_object;
    qbn_overland& o = m.overland;
    o.num_cells = n;
    o.first_qbn_constituent = 1;
    o.soil = &m.soil;
    o.soil_exch_cell_mass = &s.soil_exch_cell_mass;
    o.ov_soil_exch_mass = &s.ov_soil_exch_mass;
    m.soil.state = &s;
    m.soil.num_cells = n;
    m.soil.num_layers = 1;
    checked_array_grow(m.soil.pools, pools);
    for (int k = 0; k < pools; ++k) {
        row_array_add_rows(b.pool_amounts[k], n, 1);
        for (int j = 1; j <= n; ++j)
            b.pool_amounts[k][j][1] = 100.0 + k + (j % 5);
        m.soil.pools[k + 1] = &b.pool_amounts[k];
    }
}

} // namespace

int main(int argc, char** argv)
{
    bench_run_size size;
    if (!read_bench_run_size(argc, argv, "torva_bench_qbn", 1, size))
        return 1;
    bench_state b;
    make_state(b, size.rows * size.cols);
    const int cores = processor_count();
    std::printf("Nutrient soil-to-water transfer, %d x %d cells, %d steps, %d processors\n", size.rows,
                size.cols, size.steps, cores);
    const dvec rain;
    qbn_overland& o = b.state->qbn_object->overland;
    auto pass = [&](int) {
        qbn_overland_step(o, 0.0, 1.0 / 1440.0, rain);
        return true;
    };
    auto warm = [&] { return pass(0); };
    return time_cell_passes(size, cores, warm, pass) ? 0 : 1;
}
