// The parameter files of the two lumped subsurface models.
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/subsurface_inputs.h"
#include "subsurface/soil_tables.h"

namespace
{

void stop_run()
{
    error_set(err_stop);
    report_error(error_state);
}

} // namespace

void load_sacramento_params(model_state& s)
{
    if (s.sacramento != 1)
        return;
    file_rec file;
    if (!file_rec_open(file, s.sacramento_name, "r")) {
        std::printf("Cannot open Sacramento input parameter file: %s\n", s.sacramento_name.c_str());
        stop_run();
        return;
    }
    read_sacramento_input(s, file, s.sac);
    file_rec_close(file);
    if (run_stopped())
        return;
    // The start-of-run storages, in this order: UZTWC, UZFWC, LZTWC, LZFPC, LZFSC.
    const double start[5] = {s.sac.uztwc, s.sac.uzfwc, s.sac.lztwc, s.sac.lzfpc, s.sac.lzfsc};
    for (int i = 0; i < 5; ++i)
        s.sac_initial_contents[i] = start[i];
    s.sac.residual = 0.0;
}

void load_conceptual_gw_params(model_state& s)
{
    if (s.conceptual_gw != 1)
        return;
    file_rec file;
    if (!file_rec_open(file, s.conceptual_gw_name, "r")) {
        std::printf("Cannot open Conceptual GW input parameter file: %s\n", s.conceptual_gw_name.c_str());
        stop_run();
        return;
    }
    dvector_alloc_zero(s.upslope_area, s.num_cells, "upslope_area");
    read_conceptual_gw(s, file, s.cgw, s.upslope_area);
    file_rec_close(file);
}
