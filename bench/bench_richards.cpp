// Timed driver of the Richards column step: 10,000 columns of 100 nodes of
// a sand under 2 mm of ponded water (12 cm/h over the step, a third of its
// conductivity), advanced through one model step of 60 s. Prints columns x
// sub-steps per second. The columns run serially through shared work
// vectors. A third argument, a mixing-layer depth in cm, switches the soil
// constituents on: the step then also accumulates the flux across that depth.
//
//   torva_bench_richards [columns] [repeats] [mixing_cm]
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "core/model_state.h"
#include "core/platform.h"
#include "input/subsurface_inputs.h"
#include "subsurface/soil_tables.h"

namespace
{

// Three sand layers of 10, 30 and 59 cm in 1 cm nodes: 100 nodes.
std::unique_ptr<model_state> make_columns(int cells)
{
    auto state = std::make_unique<model_state>();
    model_state& s = *state;
    s.num_cells = cells;
    s.gridsize = 10.0;
    s.inf_richards = 1;
    s.richards_c_option = 2;
    s.richards_k_option = 2;
    s.richards_weight = 1.0;
    s.richards_iter_max = 1;
    s.richards_dtheta_max = 0.0025;
    s.richards_upper_option = 1;
    soil_layer_rec& r = s.soil_layers[1];
    const double depth[] = {10.0, 30.0, 59.0};
    for (int L = 0; L < 3; ++L) {
        r.hyd_cond[L] = 33.984;
        r.porosity[L] = 0.287;
        r.residual_sat[L] = 0.075;
        r.init_moisture[L] = 0.10;
        r.wilting_point[L] = 0.08;
        r.field_capacity[L] = 0.15;
        r.depth[L] = depth[L];
        r.hav_alpha[L] = std::pow(1.611e6, 1.0 / 3.96);
        r.hav_beta[L] = 3.96;
        r.hav_a[L] = 1.175e6;
        r.hav_b[L] = 4.74;
        r.node_spacing[L] = 1.0;
    }
    s.num1.assign(1, 0);
    s.num2.assign(1, 0);
    s.num3.assign(1, 0);
    s.num1[1] = 10;
    s.num2[1] = 40;
    s.num3[1] = 100;
    s.soiltype.assign(cells, 1);
    s.numcells.assign(cells, 100);
    s.numtot.assign(cells, 100);
    s.bound_type.assign(cells, 1);
    s.yes_exfil.assign(cells, 0);
    for (dvec* v : {&s.totaldz, &s.avgks, &s.dtr, &s.inf_rate, &s.event_inf_depth, &s.inf_rich, &s.ov_depth,
                    &s.unsat_down_flux, &s.root_depth, &s.bottom_elev})
        v->assign(cells, 0.0);
    s.ground_elev.assign(cells, 100.0);
    s.elevgw.assign(cells, 0.0);
    alloc_richards_nodes(s, 102);
    for (dvec* v : {&s.A, &s.B, &s.C, &s.D, &s.PHEADOLD, &s.theta_start, &s.k_interface, &s.phead_iter})
        v->assign(102, 0.0);
    init_richards_columns(s);
    return state;
}

} // namespace

int main(int argc, char** argv)
{
    const int cells = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int repeats = argc > 2 ? std::atoi(argv[2]) : 3;
    const double mixing = argc > 3 ? std::atof(argv[3]) : 0.0; // cm
    const double step = 60.0; // s
    if (cells < 1 || repeats < 1 || !(mixing >= 0.0)) {
        std::printf("usage: torva_bench_richards [columns] [repeats] [mixing_cm]\n");
        return 1;
    }
    std::printf("Richards columns, %d columns of 100 nodes, 2 mm ponded, one step of %.0f s, %d processors\n", cells,
                step, processor_count());
    if (mixing > 0.0)
        std::printf("with the soil constituents' flux across %.1f cm\n", mixing);
    std::printf("repeat  sub-steps  seconds  column-sub-steps/s\n");
    for (int k = 1; k <= repeats; ++k) {
        auto s = make_columns(cells);
        if (mixing > 0.0) {
            s->soil_con_trans = 1;
            s->mixing_layer_depth = mixing;
            s->soil_flux_bottom.assign(cells, 0.0);
        }
        for (int i = 1; i <= cells; ++i) {
            s->ov_depth[i] = 0.002;
            s->dtr[i] = 10.0 / 3600.0;
        }
        const auto t0 = std::chrono::steady_clock::now();
        richards_solve(*s, step);
        const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const double sub = static_cast<double>(s->richards_substeps);
        std::printf("%6d  %9.0f  %7.3f  %18.3e\n", k, sub, secs, sub / secs);
    }
    return 0;
}
