// Finite-difference Jacobian: one model run per two-point column, two per
// three-point column; the secant method recomputes only cyclic columns.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "calibration/numerical_routines.h"
#include "calibration/slm_routines.h"

namespace
{

const pest_param_group* group_of(const pest_control& pc, const pest_param& p)
{
    for (int g = 1; g <= pc.npargp; ++g)
        if (pc.param_groups[g].name == p.group)
            return &pc.param_groups[g];
    return nullptr;
}

// Runs per column by the group's FORCEN word.
int runs_for(const pest_param_group* g, int three_point)
{
    if (!g)
        return 1; // no group: two-point differences
    if (g->forcen == "always_2")
        return 1;
    if (g->forcen == "switch")
        return three_point ? 2 : 1;
    return 2;
}

double& chosen(pest_param& p, pest_values which)
{
    if (which == pest_values::perturbed1)
        return p.perturbed1;
    if (which == pest_values::perturbed2)
        return p.perturbed2;
    return p.value;
}

void progress(int run)
{
    if (run >= 10000)
        return;
    std::printf("%d runs completed.", run);
    const int back = run < 10 ? 17 : run < 100 ? 18 : run < 1000 ? 19 : 20;
    for (int i = 0; i < back; ++i)
        std::putchar('\b');
    std::fflush(stdout);
}

} // namespace

void SetTiedValues(pest_control& pc, pest_values which)
{
    for (int i = 1; i <= pc.npar; ++i) {
        pest_param& t = pc.params[i];
        if (!is_tied(t) || t.parent == 0)
            continue;
        pest_param& parent = pc.params[t.parent];
        const double v = t.tie_ratio * natural_value(parent, chosen(parent, which));
        chosen(t, which) = is_log(t) ? std::log10(v) : v;
    }
}

double perturbed_value(const pest_param& p, double x, double frac)
{
    if (is_log(p)) {
        // Natural values of a log parameter are positive: a relative step
        // is always possible and stays small.
        const double v = std::pow(10.0, x);
        return std::log10(v + frac * v);
    }
    return x == 0.0 ? frac : x + frac * std::fabs(x);
}

double two_point_value(const pest_param& p)
{
    const double x = p.value;
    double x1;
    if (!p.at_upper) {
        x1 = perturbed_value(p, x, 0.01);
        if (x1 > p.upper)
            x1 = perturbed_value(p, x, -0.01);
    } else {
        x1 = perturbed_value(p, x, -0.01);
        if (x1 < p.lower)
            x1 = p.lower;
    }
    return x1;
}

void three_point_values(const pest_param& p, double& x1, double& x2)
{
    const double x = p.value;
    if (p.at_upper) {
        x1 = perturbed_value(p, x, -0.01);
        x2 = perturbed_value(p, x, -0.02);
    } else if (p.at_lower) {
        x1 = perturbed_value(p, x, 0.01);
        x2 = perturbed_value(p, x, 0.02);
    } else {
        x1 = perturbed_value(p, x, 0.01);
        x2 = perturbed_value(p, x, -0.01);
        if (x1 > p.upper) {
            x1 = perturbed_value(p, x, -0.01);
            x2 = perturbed_value(p, x, -0.02);
        }
        if (x2 < p.lower) {
            x2 = perturbed_value(p, x, 0.01);
            x1 = perturbed_value(p, x, 0.02);
        }
    }
}

int JacobianColumns(const pest_control& pc, const int* adjustable, int iteration, int& last_cyclic,
                    std::vector<int>& cols)
{
    cols.clear();
    const int n = pc.num_adjustable;
    const bool full_by_ratio = pc.full_update == 1 && pc.phi_ratio > pc.full_update_threshold;
    if (pc.method == 1 && pc.cyclic_columns == 0 && !full_by_ratio)
        return 0;
    if (pc.method == 0 || iteration == 1 || full_by_ratio) {
        for (int c = 1; c <= n; ++c)
            cols.push_back(adjustable[c]);
        return static_cast<int>(cols.size());
    }
    int p = (last_cyclic >= 1 && last_cyclic < pc.npar) ? last_cyclic + 1 : 1;
    const int want = std::min(pc.cyclic_columns, n);
    for (int scanned = 0; static_cast<int>(cols.size()) < want && scanned < pc.npar; ++scanned) {
        if (is_adjustable(pc.params[p])) {
            cols.push_back(p);
            last_cyclic = p;
        }
        p = p == pc.npar ? 1 : p + 1;
    }
    return static_cast<int>(cols.size());
}

int CountJacobianRuns(const pest_control& pc, int three_point, const std::vector<int>& cols, int& runs)
{
    runs = 0;
    for (int p : cols)
        if (!pc.params[p].prefix)
            runs += runs_for(group_of(pc, pc.params[p]), three_point);
    return 0;
}

int CalcJacobian(pest_control& pc, const int* adjustable, double** jac, int& model_calls, int three_point,
                 int iteration, int& last_cyclic, const pest_model_call& model)
{
    // Prefix-flagged parameters have zero columns in every iteration.
    for (int c = 1; c <= pc.num_adjustable; ++c)
        if (pc.params[adjustable[c]].prefix)
            for (int r = 1; r <= pc.nobs; ++r)
                jac[r][c] = 0.0;

    std::vector<int> cols;
    JacobianColumns(pc, adjustable, iteration, last_cyclic, cols);
    int runs = 0;
    CountJacobianRuns(pc, three_point, cols, runs);
    std::printf("Calculating Jacobian matrix: running model %d times ...\n", runs);

    int run = 0;
    for (int p : cols) {
        pest_param& par = pc.params[p];
        if (par.prefix)
            continue;
        int c = 1;
        while (adjustable[c] != p)
            ++c;
        const pest_param_group* g = group_of(pc, par);
        for (int i = 1; i <= pc.npar; ++i)
            pc.params[i].perturbed1 = pc.params[i].perturbed2 = pc.params[i].value;
        const double x = par.value;
        if (runs_for(g, three_point) == 1) {
            const double x1 = two_point_value(par);
            if (x1 == x) {
                std::printf(
                    "Parameter %s has no room between its bounds for a derivative step: its column is 0.\n",
                    par.name.c_str());
                for (int r = 1; r <= pc.nobs; ++r)
                    jac[r][c] = 0.0;
                continue;
            }
            par.perturbed1 = x1;
            SetTiedValues(pc, pest_values::perturbed1);
            const int rc = model(pc, pest_values::perturbed1, 1);
            ++model_calls;
            progress(++run);
            if (rc != 0)
                return rc;
            for (int r = 1; r <= pc.nobs; ++r)
                jac[r][c] = (pc.obs[r].simulated[1] - pc.obs[r].simulated[0]) / (x1 - x);
            continue;
        }
        if (g->dermthd == "best_fit") {
            std::printf("\nThe toolbox does not support the 'best_fit' method\n");
            std::printf("of three point derivatives calculation.\n\n");
            std::printf("The toolbox does support the 'outside_pts' and\n");
            std::printf("'parabolic' methods of three point derivatives calculation.\n\n");
            std::printf("If you are using three point derivatives calculation,\n");
            std::printf("please alter DERMTHD in the control file accordingly.\n");
            return 1;
        }
        const bool parabolic = g->dermthd == "parabolic";
        if (!parabolic && g->dermthd != "outside_pts")
            continue;
        double x1 = 0.0, x2 = 0.0;
        three_point_values(par, x1, x2);
        par.perturbed1 = x1;
        par.perturbed2 = x2;
        SetTiedValues(pc, pest_values::perturbed1);
        SetTiedValues(pc, pest_values::perturbed2);
        int rc = model(pc, pest_values::perturbed1, 1);
        ++model_calls;
        progress(++run);
        if (rc != 0)
            return rc;
        rc = model(pc, pest_values::perturbed2, 2);
        ++model_calls;
        progress(++run);
        if (rc != 0)
            return rc;
        double** a = matrix(1, 3, 1, 3);
        double** b = matrix(1, 3, 1, 1);
        double** sol = matrix(1, 3, 1, 1);
        bool reported = false;
        for (int r = 1; r <= pc.nobs; ++r) {
            const pest_obs& o = pc.obs[r];
            const double outside = (o.simulated[1] - o.simulated[2]) / (x1 - x2);
            if (!parabolic) {
                jac[r][c] = outside;
                continue;
            }
            const double t[4] = {0.0, x2, x, x1};
            const double y[4] = {0.0, o.simulated[2], o.simulated[0], o.simulated[1]};
            for (int i = 1; i <= 3; ++i) {
                a[i][1] = t[i] * t[i];
                a[i][2] = t[i];
                a[i][3] = 1.0;
                b[i][1] = y[i];
                sol[i][1] = std::numeric_limits<double>::quiet_NaN();
            }
            dmsolve3(a, 3, b, sol);
            if (std::isnan(sol[1][1]) || std::isnan(sol[2][1])) {
                if (!reported)
                    std::printf("The parabola through the derivative points of %s is singular: the outside "
                                "points give its derivatives.\n",
                                par.name.c_str());
                reported = true;
                jac[r][c] = outside;
            } else {
                jac[r][c] = 2.0 * sol[1][1] * x + sol[2][1];
            }
        }
        free_matrix(a, 1, 1);
        free_matrix(b, 1, 1);
        free_matrix(sol, 1, 1);
    }
    std::printf("\n\n");
    return 0;
}
