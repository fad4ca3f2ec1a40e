// The Richards soil columns: the soil table (SOIL_LAYER_INPUT_FILE or the
// mapping table's Brooks-Corey or Havercamp table), the node matrices sized
// by the deepest column, root depths, and each column's initial state.
#include <algorithm>
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/mapping_table.h"
#include "input/subsurface_inputs.h"
#include "subsurface/soil_tables.h"

namespace
{

void screen_line(const model_state& s, const char* text)
{
    if (!s.super_quiet)
        std::fputs(text, stdout);
}

} // namespace

void alloc_richards_nodes(model_state& s, int nodes)
{
    const int n = s.num_cells;
    if (n < 1 || nodes < 1)
        return;
    struct named {
        dmat* m;
        const char* name;
    };
    const named always[] = {
        {&s.PHEAD, "PHEAD"},   {&s.KHEAD, "KHEAD"},     {&s.THETA, "THETA"},     {&s.WATCAP, "WATCAP"},
        {&s.WATFLUX, "WATFLUX"}, {&s.SOURCE, "SOURCE"}, {&s.DZ, "DZ"},           {&s.KS, "KS"},
        {&s.THETAS, "THETAS"}, {&s.THETAR, "THETAR"},   {&s.THETAWP, "THETAWP"}, {&s.THETAFC, "THETAFC"},
        {&s.LAM, "LAM"},       {&s.BP, "BP"},           {&s.thehac, "thehac"},   {&s.BChc, "BChc"},
    };
    const named havercamp[] = {{&s.AHAV, "AHAV"}, {&s.BHAV, "BHAV"}, {&s.ALPHA, "ALPHA"}, {&s.BETA, "BETA"}};
    for (const named& m : always)
        if (!dmatrix_alloc_zero(n, nodes, *m.m, m.name))
            return;
    if (s.richards_c_option == 2)
        for (const named& m : havercamp)
            if (!dmatrix_alloc_zero(n, nodes, *m.m, m.name))
                return;
}

void read_richards_soil(model_state& s)
{
    if (s.inf_richards != 1)
        return;
    if (s.soil_layer_table_file.fp && s.soil_type_map_file.fp && !read_soil_type_map(s))
        return;
    screen_line(s, "Reading Soil Table");
    int nodes = 0;
    if (s.soil_layer_table_file.fp) {
        nodes = read_richards_soil_table(s, s.soil_layer_table_file, s.richards_c_option, 0);
    } else {
        nodes = read_richards_table(s, s.mapping_table_name, s.richards_c_option);
        if (nodes < 0 && error_state.code != 0 && !error_state.raised)
            report_error(error_state);
    }
    if (run_stopped())
        return;
    s.richards_max_nodes = std::max(nodes, 0);
    std::fputs("   Done\n", stdout);

    const int n = s.num_cells;
    const int m = s.richards_max_nodes;
    alloc_richards_nodes(s, m);
    if (run_stopped())
        return;
    if (!s.root_depth)
        dvector_alloc_zero(s.root_depth, n, "root_depth");
    const int solver_len = s.gw_simulation ? std::max(m, n) : m;
    for (dvec* v : {&s.A, &s.B, &s.C, &s.D})
        dvector_alloc_zero(*v, solver_len, "richards tridiagonal");
    for (dvec* v : {&s.PHEADOLD, &s.theta_start, &s.k_interface, &s.phead_iter})
        dvector_alloc_zero(*v, m, "richards column work");
    dvector_alloc_zero(s.rich_work_1, m, "rich_work_1");
    dvector_alloc_zero(s.rich_work_2, m, "rich_work_2");

    // The card's soil-moisture depth is kept in cm.
    const double moist_depth = s.soil_moist_depth / 100.0;
    for (int i = 1; i <= s.root_depth.size(); ++i) {
        if (s.long_term && s.et_calc_penman && i <= s.dist_veg_height.size())
            s.root_depth[i] = std::min(s.dist_veg_height[i], moist_depth);
        else
            s.root_depth[i] = moist_depth;
    }

    screen_line(s, "Initialize Richards Params");
    init_richards_columns(s);
    if (run_stopped())
        return;
    for (int i = 1; i <= n; ++i) {
        if (i <= s.dtr.size())
            s.dtr[i] = s.timestep / 3600.0;
        if (s.water_table && i <= s.yes_exfil.size() && s.yes_exfil[i] == 1)
            s.gw_exfil_any = 1;
        if (i <= s.soil_moisture.size() && i <= s.THETA.rows() && m >= 1)
            s.soil_moisture[i] = s.THETA[i][1];
    }
    screen_line(s, "   Done\n");
}
