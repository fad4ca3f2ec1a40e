// A rectangular aquifer for the groundwater tests: rows x cols cells of
// size dx, all active and numbered row by row, uniform conductivity,
// bottom, head and storage, no sources; every cell of boundary type 1.
#pragma once

#include <memory>

#include "core/error_state.h"
#include "core/model_state.h"
#include "overland/overland_steps.h"

inline std::unique_ptr<model_state> make_aquifer(int rows, int cols, double dx, double k, double bottom,
                                                 double head, double storage)
{
    auto s = std::make_unique<model_state>();
    error_state_clear();
    const int n = rows * cols;
    s->num_rows = s->rows = rows;
    s->num_cols = s->cols = cols;
    s->num_cells = n;
    s->gridsize = dx;
    s->gw_simulation = 1;
    s->gw_relax_coeff = 1.0;
    s->gw_lsor_con = 1e-7;
    s->gw_lsor_dir = 1;
    s->gw_sweep_order = 1;
    s->mask.assign(rows + 1, cols + 1, 0);
    int i = 0;
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c)
            s->mask[r][c] = ++i;
    for (ivec* v : {&s->rightcon, &s->belowcon, &s->abovecon, &s->leftcon})
        v->assign(n, 0);
    s->gwbound.assign(n, 1); // ordinary aquifer cells
    build_neighbour_lists(rows, cols, s->rightcon, s->belowcon, s->abovecon, s->leftcon, s->mask);
    for (dvec* v : {&s->elevgw, &s->bottom_elev, &s->ground_elev, &s->gw_ksat_x, &s->gw_ksat_y,
                    &s->gw_cell_dx, &s->gw_cell_dy, &s->gw_spec_yield, &s->well_flux})
        v->assign(n, 0.0);
    for (int c = 1; c <= n; ++c) {
        s->elevgw[c] = head;
        s->bottom_elev[c] = bottom;
        s->ground_elev[c] = head + 100.0;
        s->gw_ksat_x[c] = s->gw_ksat_y[c] = k;
        s->gw_cell_dx[c] = s->gw_cell_dy[c] = dx;
        s->gw_spec_yield[c] = storage;
    }
    return s;
}
