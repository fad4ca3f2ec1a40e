// Line successive over-relaxation for the five-point groundwater
// equations: each row (or column) of active cells is solved exactly by the
// Thomas algorithm with the neighbouring lines held at their latest heads,
// then relaxed; sweeps repeat until the largest change falls below the
// limit.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

#include "core/error_state.h"
#include "subsurface/groundwater.h"
#include "subsurface/soil_tables.h"

bool gw_line_work_alloc(gw_line_work& w, int rows, int cols)
{
    const int n = std::max(rows, cols) + 2;
    if (w.a.size() >= n && w.cells.size() >= n)
        return true;
    try {
        for (dvec* v : {&w.a, &w.b, &w.c, &w.d, &w.old})
            v->assign(n, 0.0);
        w.cells.assign(n, 0);
    } catch (const std::bad_alloc&) {
        std::printf("Error: not enough memory for the groundwater line solver (%d entries).\n", n);
        error_set(err_stop);
        return false;
    }
    return true;
}

namespace
{

// One line: gathers its equations, solves them and relaxes the heads;
// returns the largest change before relaxation (0 for a line without
// active cells). Row lines have pitch 1 along the mask row; column lines
// step through the rows.
double solve_line(double* h, double omega, int line, int length, bool rows, const gw_equations& eq,
                  gw_line_work& w, const imat& mask)
{
    double* a = w.a.data();
    double* b = w.b.data();
    double* c = w.c.data();
    double* d = w.d.data();
    int* cells = w.cells.data();
    // Coefficients along the line and across it.
    const double* sub = rows ? eq.left : eq.above;
    const double* super = rows ? eq.right : eq.below;
    const double* before = rows ? eq.above : eq.left;
    const double* after = rows ? eq.below : eq.right;
    int m = 0;
    for (int p = 1; p <= length; ++p) {
        const int k = rows ? mask[line][p] : mask[p][line];
        if (k <= 0)
            continue;
        const int kb = rows ? mask[line - 1][p] : mask[p][line - 1];
        const int ka = rows ? mask[line + 1][p] : mask[p][line + 1];
        double r = eq.rhs[k];
        if (kb > 0)
            r -= before[k] * h[kb];
        if (ka > 0)
            r -= after[k] * h[ka];
        ++m;
        cells[m] = k;
        c[m] = sub[k];
        b[m] = eq.diag[k];
        a[m] = super[k];
        d[m] = r;
    }
    if (m == 0)
        return 0.0;
    // Coefficients toward a gap in the line couple nothing.
    c[1] = 0.0;
    a[m] = 0.0;
    tridiag_solve(1, m, a, b, c, d);
    double e = 0.0;
    for (int i = 1; i <= m; ++i) {
        const int k = cells[i];
        const double old = h[k];
        const double x = d[i];
        h[k] = old + omega * (x - old);
        const double change = std::fabs(x - old);
        if (change > e || std::isnan(change))
            e = std::isnan(change) ? change : std::max(e, change);
    }
    return e;
}

} // namespace

int gw_line_sor(double* head, double omega, int rows, int cols, const gw_equations& eq, double eps,
                gw_line_work& w, int order, int direction, const imat& mask)
{
    if (!(eps > 0.0)) {
        std::printf(
            "Error: the groundwater line solver needs a positive convergence limit (GW_LSOR_CON), not %g.\n",
            eps);
        error_set(err_stop);
        return -1;
    }
    const bool by_rows = direction == 1;
    const int lines = by_rows ? rows : cols;
    const int length = by_rows ? cols : rows;
    for (int sweep = 1; sweep <= gw_sweep_limit; ++sweep) {
        double e = 1e-20;
        for (int i = 1; i <= lines; ++i) {
            const int line = order == 1 ? i : lines + 1 - i;
            const double le = solve_line(head, omega, line, length, by_rows, eq, w, mask);
            if (std::isnan(le)) {
                e = le;
                break;
            }
            e = std::max(e, le);
        }
        // A head that is not a number ends the sweeps; the caller's check
        // of the heads reports it.
        if (std::isnan(e) || e < eps)
            return sweep;
    }
    std::printf("Error: the groundwater line solver did not converge within %d sweeps (GW_LSOR_CON %g).\n",
                gw_sweep_limit, eps);
    error_set(err_stop);
    return -1;
}
