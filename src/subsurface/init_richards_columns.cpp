// The Richards soil columns at the start of the run: every node takes the
// parameters, spacing and initial water content of the soil layer it lies
// in; with a water table the column ends at the table, its nodes above it
// in hydrostatic equilibrium; the layer interfaces get harmonic-mean
// conductivities. The initial root-zone and column volumes go to the
// summary file. Centimetres and hours; elevations in metres.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/model_state.h"
#include "subsurface/soil_properties.h"
#include "subsurface/soil_tables.h"

namespace
{

int layer_of(const model_state& s, int type, int node)
{
    if (node <= s.num1[type])
        return 0;
    return node <= s.num2[type] ? 1 : 2;
}

// Parameters, spacing and initial content of node j from soil layer L.
void set_node(model_state& s, int c, int j, const soil_layer_rec& r, int L, int model)
{
    s.THETA[c][j] = r.init_moisture[L];
    s.DZ[c][j] = r.node_spacing[L];
    s.KS[c][j] = r.hyd_cond[L];
    s.THETAS[c][j] = r.porosity[L];
    s.THETAR[c][j] = r.residual_sat[L];
    s.THETAWP[c][j] = r.wilting_point[L];
    s.THETAFC[c][j] = r.field_capacity[L];
    if (model == 1) {
        const double lam = r.pore_index[L];
        const double hb = r.bubbling_head[L];
        const double x = (2.0 / lam) / (2.0 / lam + 1.0);
        s.LAM[c][j] = lam;
        s.BP[c][j] = hb;
        s.thehac[c][j] = r.porosity[L] * x;
        s.BChc[c][j] = hb * std::pow(x, -1.0 / lam);
    } else {
        s.ALPHA[c][j] = r.hav_alpha[L];
        s.BETA[c][j] = r.hav_beta[L];
        s.AHAV[c][j] = r.hav_a[L];
        s.BHAV[c][j] = r.hav_b[L];
    }
}

// The column of cell c cut at a water table below the ground: nodes above
// the table hydrostatic, the node holding it shortened to end at it, then
// the saturated bottom node. Returns the new node count.
int cut_at_table(model_state& s, int c, int type, int model, int last)
{
    const double table = s.elevgw[c];
    double z = s.ground_elev[c];
    int j = 1;
    for (; j < last; ++j) {
        z -= s.DZ[c][j] / 100.0;
        const bool keep_own = s.gw_assign_theta && j <= s.num3[type];
        if (table - 1e-16 > z) {
            // The table lies in this node: it ends at the table.
            const double cut = (table - z) * 100.0;
            if (cut > 1e-5)
                s.DZ[c][j] -= cut;
            if (!keep_own) {
                s.PHEAD[c][j] = -s.DZ[c][j] / 2.0;
                moisture_from_head(s, c, j, model);
            }
            break;
        }
        if (!keep_own) {
            s.PHEAD[c][j] = (table - z) * 100.0 - s.DZ[c][j] / 2.0;
            moisture_from_head(s, c, j, model);
        }
    }
    const int n = std::min(j + 1, last);
    s.PHEAD[c][n] = s.DZ[c][n] / 2.0;
    s.THETA[c][n] = s.THETAS[c][n];
    return n;
}

} // namespace

void init_richards_columns(model_state& s)
{
    const int model = s.richards_c_option;
    const int cells = s.num_cells;
    double column_total = 0.0; // cm over cells
    double root_total = 0.0;
    for (int c = 1; c <= cells; ++c) {
        const int type = s.soiltype[c];
        const soil_layer_rec& r = s.soil_layers[static_cast<std::size_t>(type)];
        s.totaldz[c] = r.depth[0] + r.depth[1] + r.depth[2];
        s.avgks[c] = (r.hyd_cond[0] * r.depth[0] + r.hyd_cond[1] * r.depth[1] + r.hyd_cond[2] * r.depth[2]) /
                     s.totaldz[c];
        // The node count fits the matrices: the reader sized them by the
        // deepest column.
        int n = std::min(s.numcells[c], s.PHEAD.cols() - 1);
        for (int j = 0; j <= n; ++j) {
            set_node(s, c, j, r, layer_of(s, type, j), model);
            if (s.water_table && j > s.num3[type])
                s.DZ[c][j] = 100.0 * s.aquifer_delta_z;
        }
        if (s.water_table && s.gw_simulation) {
            // The deepest nodes are nearly impermeable so that the column
            // holds its water above the aquifer bottom.
            for (int j = std::max(n - 10, 1); j <= n - 2; ++j) {
                s.KS[c][j] = r.hyd_cond[2] / 100.0;
                s.THETAS[c][j] = 0.75;
            }
            if (n >= 2) {
                s.KS[c][n - 1] = 1e-5;
                s.THETAS[c][n - 1] = 0.8;
            }
            s.KS[c][n] = 1e-6;
            s.THETAS[c][n] = 1.0;
        }
        for (int j = 0; j <= n; ++j)
            head_from_moisture(s, c, j, model);
        if (s.gw_simulation)
            s.bottom_elev[c] -= 10.0 * s.aquifer_delta_z;

        if (s.water_table) {
            if (s.elevgw[c] < s.ground_elev[c]) {
                s.yes_exfil[c] = 0;
                n = cut_at_table(s, c, type, model, n);
            } else {
                n = 1;
                s.PHEAD[c][1] = s.DZ[c][1] / 2.0 + (s.elevgw[c] - s.ground_elev[c]) * 100.0;
                s.THETA[c][1] = s.THETAS[c][1];
                s.yes_exfil[c] = 1;
            }
            s.numcells[c] = n;
        }
        for (int j = 1; j <= n - 1; ++j)
            column_total += s.THETA[c][j] * s.DZ[c][j];

        // Harmonic-mean conductivities where the layers meet.
        const double* dz = r.node_spacing;
        const double* k = r.hyd_cond;
        const int i1 = s.num1[type] + 1;
        const int i2 = s.num2[type] + 1;
        if (i1 <= n)
            s.KS[c][i1] = (dz[0] + dz[1]) / (dz[0] / k[0] + dz[1] / k[1]);
        if (i2 <= n)
            s.KS[c][i2] = (dz[2] + dz[1]) / (dz[1] / k[1] + dz[2] / k[2]);
        s.DZ[c][0] = s.DZ[c][1];
        s.KS[c][0] = s.KS[c][1];
        s.WATFLUX[c][0] = 0.0;
        if (model == 1)
            brooks_corey_props(s, c);
        else
            havercamp_props(s, c);

        if (s.long_term && c <= s.root_depth.size()) {
            const double root = 100.0 * s.root_depth[c];
            double depth = 0.0, water = 0.0;
            for (int j = 1; j <= n && (j == 1 || depth < root); ++j) {
                depth += s.DZ[c][j];
                water += s.THETA[c][j] * s.DZ[c][j];
            }
            if (c <= s.dist_init_moisture.size())
                s.dist_init_moisture[c] = depth > 0.0 ? std::max(water / depth, 0.0) : 0.0;
            root_total += water;
        }
    }
    const double area = s.gridsize * s.gridsize;
    if (std::FILE* fp = s.summary_file.fp) {
        std::fprintf(fp, "Inital volume of water in root zone= %lf \n \n", root_total * area / 100.0);
        std::fprintf(fp, "Inital volume of water in soil column= %lf \n \n", column_total * area / 100.0);
    }
}
