// A Richards column re-fitted to a moved water table: the nodes of the soil
// layers above the table are kept, nodes are cut or added at the table and
// the saturated bottom node is placed below it; the water of removed or
// stretched nodes is carried over, over-saturated nodes are capped and the
// saturated part is made hydrostatic. Returns the water (cm) the column
// gave to the saturated zone (negative: took from it).
#include <algorithm>

#include "core/model_state.h"
#include "subsurface/soil_properties.h"
#include "subsurface/soil_tables.h"

namespace
{

// Head of node j from its content below saturation, else half its
// thickness.
void head_or_saturated(model_state& s, int c, int j, int model)
{
    if (s.THETA[c][j] < s.THETAS[c][j])
        head_from_moisture(s, c, j, model);
    else
        s.PHEAD[c][j] = s.DZ[c][j] / 2.0;
}

// The whole column becomes one saturated node under a table at or above
// the ground.
void one_saturated_node(model_state& s, int c, double table, double dz1)
{
    s.numcells[c] = 1;
    s.DZ[c][1] = dz1;
    s.PHEAD[c][1] = (table - s.ground_elev[c]) * 100.0 + dz1 / 2.0;
    s.THETA[c][1] = s.THETAS[c][1];
    s.yes_exfil[c] = 1;
}

// Node j merged into node j - 1: thicknesses added, the water of both in
// the merged node.
void merge_up(model_state& s, int c, int j, double water, int model)
{
    s.DZ[c][j - 1] += s.DZ[c][j];
    s.THETA[c][j - 1] = water / s.DZ[c][j - 1];
    head_or_saturated(s, c, j - 1, model);
}

} // namespace

double refit_richards_column(model_state& s, int c, double table)
{
    if (s.gwbound.size() >= c && (s.gwbound[c] == 2 || s.gwbound[c] == 5))
        return 0.0;
    const int model = s.richards_c_option;
    const int type = s.soiltype[c];
    const soil_layer_rec& r = s.soil_layers[static_cast<std::size_t>(type)];
    const double ground = s.ground_elev[c];
    const double bottom = s.bottom_elev[c];
    const double a = s.aquifer_delta_z;
    const int last = s.PHEAD.cols() - 1; // deepest node the matrices hold
    const int m = s.numcells[c];
    s.yes_exfil[c] = 0;

    // Old thicknesses and contents, in the run's work vectors (sized by the
    // run's deepest column).
    double* old_dz = s.rich_work_1.data();
    double* old_th = s.rich_work_2.data();
    double span = 0.0;
    for (int j = 0; j <= m; ++j) {
        old_dz[j] = s.DZ[c][j];
        old_th[j] = s.THETA[c][j];
        if (j >= 1)
            span += s.DZ[c][j];
    }
    const double old_base = ground - span / 100.0; // u
    const double old_bottom_dz = s.DZ[c][m];      // X

    const double* dzl = r.node_spacing;
    if (table >= ground) {
        one_saturated_node(s, c, table, dzl[0]);
        return 0.0;
    }

    // The layer that holds the table decides the kept nodes, the spacing of
    // new nodes and the bottom node.
    const double d1 = r.depth[0], d2 = r.depth[1], d3 = r.depth[2];
    int kept;
    double d, z, bottom_dz, bottom_h, bottom_th;
    if (table > ground - d1 / 100.0) {
        kept = 0, d = dzl[0], z = ground;
        bottom_dz = dzl[0], bottom_h = dzl[0] / 2.0, bottom_th = r.porosity[0];
    } else if (table > ground - (d1 + d2) / 100.0) {
        kept = s.num1[type], d = dzl[1], z = ground - d1 / 100.0;
        bottom_dz = dzl[1], bottom_h = dzl[1] / 2.0, bottom_th = r.porosity[1];
    } else if (table > ground - (d1 + d2 + d3) / 100.0) {
        kept = s.num2[type], d = dzl[2], z = ground - (d1 + d2) / 100.0;
        bottom_dz = dzl[2], bottom_h = dzl[2] / 2.0, bottom_th = r.porosity[2];
    } else {
        kept = s.num3[type], d = 100.0 * a, z = ground - (d1 + d2 + d3) / 100.0;
        bottom_dz = 100.0 * a;
        bottom_h = table < bottom ? (bottom - a / 2.0 - table) * 100.0 : 50.0 * a;
        bottom_th = r.porosity[2];
    }
    kept = std::min(kept, last - 1);
    for (int j = 1; j <= kept; ++j)
        s.DZ[c][j] = j <= s.num1[type] ? dzl[0] : j <= s.num2[type] ? dzl[1] : dzl[2];

    int j = kept;
    while (z > table && z > bottom && j + 1 < last) {
        z -= d / 100.0;
        ++j;
        s.DZ[c][j] = d;
        if (table - 1e-16 > z) {
            const double part = (d / 100.0 + z - table) * 100.0;
            s.DZ[c][j] = part;
            if (part < d / 10000.0 && j > 1) {
                s.DZ[c][j - 1] += part;
                --j;
            }
            break;
        }
    }
    int n = j + 1;
    auto place_bottom = [&]() {
        s.DZ[c][n] = bottom_dz;
        s.PHEAD[c][n] = bottom_h;
        s.THETA[c][n] = bottom_th;
    };
    place_bottom();

    double w = 0.0;
    if (n == m) {
        const int k = n - 1;
        if (k >= 1) {
            s.THETA[c][k] = old_dz[k] * old_th[k] / s.DZ[c][k];
            head_or_saturated(s, c, k, model);
            s.PHEAD[c][n] = s.DZ[c][n] / 2.0 + s.DZ[c][k];
        }
    } else if (n < m) {
        for (int k = n; k <= m - 1; ++k)
            w += old_th[k] * old_dz[k];
    } else if (n == 2) {
        if (s.DZ[c][1] < dzl[0]) {
            one_saturated_node(s, c, table, dzl[0]);
            return w;
        }
        if (m <= 1) {
            s.PHEAD[c][1] = s.PHEAD[c][2] - s.DZ[c][2] / 2.0 - s.DZ[c][1] / 2.0;
            moisture_from_head(s, c, 1, model);
            w -= s.DZ[c][1] * s.THETA[c][1];
        }
    } else if (s.DZ[c][n - 1] < s.DZ[c][n - 2] / 2.0) {
        merge_up(s, c, n - 1, old_dz[n - 2] * old_th[n - 2], model);
        --n;
        place_bottom();
    } else {
        // The table fell: the old lowest soil node's water spreads down to it.
        if (m >= 2) {
            const double spread =
                old_dz[m - 1] * old_th[m - 1] / (old_dz[m - 1] - (table - (old_base + old_bottom_dz / 100.0)) * 100.0);
            for (int k = m - 1; k <= n - 1; ++k) {
                s.THETA[c][k] = spread;
                head_or_saturated(s, c, k, model);
            }
        }
        const int k = n - 1;
        const double hydrostatic = s.PHEAD[c][n] - s.DZ[c][n] / 2.0 - s.DZ[c][k];
        if (s.THETA[c][k] < 0.75 * s.THETAS[c][k] && s.PHEAD[c][k] < hydrostatic) {
            const double before = s.THETA[c][k];
            s.PHEAD[c][k] = hydrostatic;
            moisture_from_head(s, c, k, model);
            if (k < s.numtot[c])
                w -= s.DZ[c][k] * (s.THETA[c][k] - before);
        }
    }

    // A thin node above the bottom joins the node above it.
    if (n - 1 > 1 && s.DZ[c][n - 1] < s.DZ[c][n - 2] / 2.0) {
        merge_up(s, c, n - 1, s.THETA[c][n - 2] * s.DZ[c][n - 2] + s.THETA[c][n - 1] * s.DZ[c][n - 1], model);
        --n;
    } else if (s.DZ[c][1] < dzl[0]) {
        w += s.THETA[c][1] * s.DZ[c][1];
        one_saturated_node(s, c, table, dzl[0]);
        return w;
    }

    // Over-saturated nodes give their excess; the saturated part below the
    // first unsaturated node is hydrostatic.
    int q = n - 1;
    bool capped = false;
    for (; q >= 1 && s.THETA[c][q] >= s.THETAS[c][q]; --q) {
        w += (s.THETA[c][q] - s.THETAS[c][q]) * s.DZ[c][q];
        s.THETA[c][q] = s.THETAS[c][q];
        capped = true;
    }
    if (capped) {
        double above = 0.0;
        for (int k = q + 1; k <= n - 1; ++k)
            above += s.DZ[c][k];
        s.PHEAD[c][n] = s.DZ[c][n] / 2.0 + above;
        for (int k = n - 1; k >= q + 1; --k)
            s.PHEAD[c][k] = s.PHEAD[c][k + 1] - s.DZ[c][k + 1] / 2.0 - s.DZ[c][k] / 2.0;
    }
    place_bottom();
    s.numcells[c] = n;
    return w;
}
