// Cross-section hydraulics of the channel nodes, both ways: from the flow
// area to depth, stage and conveyance (mode 1), and from the stage to area,
// top width, conveyance and its derivative (mode 2). Runs at every channel
// sub-step for every node: no allocation, no I/O except on failure.
#include "channel/channel_services.h"

#include <cmath>
#include <cstdio>

#include "channel/chan_file.h"
#include "core/model_state.h"

namespace
{

constexpr double small_negative_area = -1e-4;

bool stop_at(const char* where, const char* what, int node, int link)
{
    std::printf("In ex_section - %s\n", where);
    std::printf("program stopped for negative %s, node %d, link %d\n", what, node, link);
    chan_stop();
    return false;
}

bool table_ok(int t, int tables)
{
    if (t >= 1 && t <= tables)
        return true;
    std::fprintf(stderr, "Error in section: Request for table beyond max. table number.\n");
    chan_stop();
    return false;
}

double trap_conveyance(double inv_n, double area, double perimeter)
{
    return inv_n * area * std::pow(area / perimeter, 2.0 / 3.0);
}

// Mode 1, trapezoid. The depth is solved in the rationalised form
// 2A / (sqrt(b^2 + 4zA) + b), equal to (sqrt(4zA + b^2) - b) / 2z, which
// stays exact for small side slopes and gives A / b for a rectangle.
bool trap_from_area(const xsec_arrays& a, int k, int l, int g)
{
    double& area = (*a.area)[k][l];
    const double b = (*a.bottom)[k][g], z = (*a.sslope)[k][g];
    if (area < 0.0) {
        if (area <= small_negative_area)
            return stop_at("1", "area", k, l);
        area = 0.0;
    }
    const double h = area > 0.0 ? 2.0 * area / (std::sqrt(b * b + 4.0 * z * area) + b) : 0.0;
    (*a.chan_depth)[k][l] = h;
    (*a.yp)[k][l] = h + (*a.bel)[k][l];
    (*a.conv)[k][l] =
        h > 0.0 ? trap_conveyance((*a.inv_mannings_n)[l], area, b + 2.0 * h * std::sqrt(1.0 + z * z)) : 0.0;
    return true;
}

// Largest j in 1..n-1 with xarea[j] <= A (areas increase with depth).
int area_interval(const dmat& xarea, int t, int n, double A)
{
    int lo = 1, hi = n - 1;
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (xarea[mid][t] <= A)
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

bool bp_from_area(const xsec_arrays& a, int k, int l, bool& above)
{
    const double A = (*a.area)[k][l];
    if (A < 0.0)
        return stop_at("4", "area", k, l);
    const int t = (*a.table_num)[k][l];
    if (!table_ok(t, a.num_tables))
        return false;
    const dmat& xa = *a.xarea;
    const dmat& xk = *a.xk;
    const int n = (*a.numhts)[t];
    const double d = (*a.ht_spc)[t];
    double h = 0.0, K = 0.0;
    if (A == 0.0) {
    } else if (A < xa[1][t]) {
        h = d * std::pow(A / xa[1][t], 0.6);
        K = xk[1][t] * std::pow(h / d, 5.0 / 3.0);
    } else if (A > xa[n][t]) {
        h = n * d + d * (A - xa[n][t]) / (xa[n][t] - xa[n - 1][t]);
        K = xk[n][t] + (h - n * d) * (xk[n][t] - xk[n - 1][t]) / d;
        above = true;
    } else {
        const int j = area_interval(xa, t, n, A);
        h = j * d + d * (A - xa[j][t]) / (xa[j + 1][t] - xa[j][t]);
        K = xk[j][t] + (h - j * d) * (xk[j + 1][t] - xk[j][t]) / d;
    }
    (*a.chan_depth)[k][l] = h;
    (*a.yp)[k][l] = h + (*a.bel)[k][l];
    (*a.conv)[k][l] = K;
    return true;
}

bool trap_from_stage(const xsec_arrays& a, int k, int l, int g)
{
    const double y = (*a.yp)[k][l] - (*a.bel)[k][l];
    if (y < 0.0)
        return stop_at("1", "depth", k, l);
    const double b = (*a.bottom)[k][g], z = (*a.sslope)[k][g], inv_n = (*a.inv_mannings_n)[l];
    const double root = std::sqrt(1.0 + z * z);
    const double T = b + 2.0 * y * z;
    const double P = b + 2.0 * y * root;
    const double A = y * (b + y * z);
    (*a.topw)[k][l] = T;
    (*a.area)[k][l] = A;
    (*a.conv)[k][l] = trap_conveyance(inv_n, A, P);
    (*a.dconv)[k][l] = inv_n * ((5.0 / 3.0) * std::pow(A, 2.0 / 3.0) * std::pow(P, -2.0 / 3.0) * T -
                                (2.0 / 3.0) * std::pow(A, 5.0 / 3.0) * std::pow(P, -5.0 / 3.0) * 2.0 * root);
    return true;
}

bool bp_from_stage(const xsec_arrays& a, int k, int l)
{
    const double y = (*a.yp)[k][l] - (*a.bel)[k][l];
    if (y < 0.0)
        return stop_at("3", "depth", k, l);
    const int t = (*a.table_num)[k][l];
    if (!table_ok(t, a.num_tables))
        return false;
    const dmat& xa = *a.xarea;
    const dmat& xw = *a.xtw;
    const dmat& xk = *a.xk;
    const int n = (*a.numhts)[t];
    const double d = (*a.ht_spc)[t];
    double& area = (*a.area)[k][l];
    double& topw = (*a.topw)[k][l];
    double& conv = (*a.conv)[k][l];
    if (y < d) {
        const double s = std::pow(y / d, 5.0 / 3.0);
        area = xa[1][t] * s;
        topw = xw[1][t] * s;
        conv = xk[1][t] * s;
        (*a.dconv)[k][l] = xk[1][t] * std::pow(y, 2.0 / 3.0) / std::pow(d, 5.0 / 3.0);
        return true;
    }
    int j = n;
    double r = y - n * d;
    if (y <= n * d) {
        j = std::min(static_cast<int>(y / d), n - 1);
        r = y - j * d;
        area = xa[j][t] + r * (xa[j + 1][t] - xa[j][t]) / d;
        topw = xw[j][t] + r * (xw[j + 1][t] - xw[j][t]) / d;
        conv = xk[j][t] + r * (xk[j + 1][t] - xk[j][t]) / d;
        (*a.dconv)[k][l] = (xk[j + 1][t] - xk[j][t]) / d;
        return true;
    }
    *a.range_flag = 1;
    area = xa[n][t] + r * (xa[n][t] - xa[n - 1][t]) / d;
    topw = xw[n][t] + r * (xw[n][t] - xw[n - 1][t]) / d;
    conv = xk[n][t] + r * (xk[n][t] - xk[n - 1][t]) / d;
    (*a.dconv)[k][l] = (xk[n][t] - xk[n - 1][t]) / d;
    return true;
}

} // namespace

void ex_section(const xsec_arrays& a, int mode)
{
    if (mode != 1 && mode != 2)
        return;
    bool above = false;
    bool ok = true;
    for (int l = 1; ok && l <= a.links; ++l) {
        const int type = (*a.ltype)[l];
        const bool trap = (type & 4) != 0;
        if (!trap && !(type & 8))
            continue;
        const int g = (*a.ldex)[l];
        for (int k = 1; ok && k <= (*a.nx)[l]; ++k) {
            if (mode == 1)
                ok = trap ? trap_from_area(a, k, l, g) : bp_from_area(a, k, l, above);
            else
                ok = trap ? trap_from_stage(a, k, l, g) : bp_from_stage(a, k, l);
        }
    }
    if (above)
        *a.range_flag = 1;
}

bool ex_section_node(const xsec_arrays& a, int mode, int link, int node)
{
    const int type = (*a.ltype)[link];
    const bool trap = (type & 4) != 0;
    if (!trap && !(type & 8))
        return true;
    bool above = false;
    const int g = (*a.ldex)[link];
    bool ok;
    if (mode == 1)
        ok = trap ? trap_from_area(a, node, link, g) : bp_from_area(a, node, link, above);
    else
        ok = trap ? trap_from_stage(a, node, link, g) : bp_from_stage(a, node, link);
    if (above)
        *a.range_flag = 1;
    return ok;
}

xsec_arrays state_xsec_arrays(model_state& s)
{
    xsec_arrays a;
    a.links = s.num_links;
    a.bottom = &s.bottom;
    a.sslope = &s.sslope;
    a.inv_mannings_n = &s.inv_mannings_n;
    a.yp = &s.yp;
    a.bel = &s.bel;
    a.area = &s.area;
    a.conv = &s.conv;
    a.dconv = &s.dconv;
    a.topw = &s.topw;
    a.nx = &s.nx;
    a.ltype = &s.ltype;
    a.ldex = &s.ldex;
    a.range_flag = &s.xsec_range_flag;
    a.xarea = &s.xarea;
    a.xtw = &s.xtw;
    a.xk = &s.xk;
    a.numhts = &s.numhts;
    a.ht_spc = &s.ht_spc;
    a.num_tables = s.num_bp_tables;
    a.table_num = &s.table_num;
    a.chan_depth = &s.chan_depth;
    return a;
}

void ex_section(model_state& s, int mode)
{
    if (s.num_links < 1 || s.area.empty() || s.conv.empty() || s.dconv.empty() || s.topw.empty() ||
        s.chan_depth.empty())
        return;
    ex_section(state_xsec_arrays(s), mode);
}
