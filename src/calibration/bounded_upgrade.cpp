// Composite sensitivities and the upgrade applied within the parameter
// bounds, with parameters that cannot move frozen for the iteration.
#include <cmath>
#include <cstdio>
#include <vector>

#include "calibration/numerical_routines.h"
#include "calibration/slm_routines.h"

namespace
{

constexpr double bound_tol = 1e-8;

void say(std::FILE* rec, const char* format, const std::string& name)
{
    std::printf(format, name.c_str());
    if (rec)
        std::fprintf(rec, format, name.c_str());
}

const char* const frozen_gradient =
    "      parameter \"%s\" frozen: gradient and update vectors out of bounds\n";
const char* const frozen_update = "      parameter \"%s\" frozen: update vectors out of bounds\n";

void freeze(pest_control& pc, pest_param& p, const char* message, std::FILE* rec)
{
    if (p.frozen)
        return;
    p.frozen = 1;
    ++pc.num_frozen;
    say(rec, message, p.name);
}

// Upgrade over the columns still free (neither frozen nor insensitive);
// the others get component 0.
int reduced_upgrade(double** jac, const double* q, const double* r, pest_control& pc, const int* adjustable,
                    double* u)
{
    const int n = pc.num_adjustable;
    const int rows = pc.nobs + pc.nprior;
    std::vector<int> free_cols;
    for (int c = 1; c <= n; ++c) {
        const pest_param& p = pc.params[adjustable[c]];
        if (!p.frozen && !p.insensitive)
            free_cols.push_back(c);
    }
    const int k = static_cast<int>(free_cols.size());
    for (int c = 1; c <= n; ++c)
        u[c] = 0.0;
    // With every parameter frozen or insensitive there is nothing to solve:
    // the upgrade is zero (and a matrix of no columns cannot be made).
    if (k == 0)
        return 0;
    double** red = matrix(1, rows, 1, k);
    for (int i = 1; i <= rows; ++i)
        for (int j = 1; j <= k; ++j)
            red[i][j] = jac[i][free_cols[j - 1]];
    double* v = dvector(1, k);
    int rc = MarquardtSolve(red, rows, k, q, r, pc.lambda, v);
    if (rc == 0)
        OptimumLengthSolve(red, rows, k, q, r, v);
    for (int j = 1; j <= k && rc == 0; ++j)
        u[free_cols[j - 1]] = v[j];
    free_dvector(v, 1);
    free_matrix(red, 1, 1);
    return rc;
}

} // namespace

double composite_sensitivity(const pest_control& pc, double** jac, double** prior, int c,
                             const std::string* group, int* weighted_rows)
{
    const bool estimation = pc.mode == "estimation";
    double sum = 0.0;
    int count = 0, rows = 0;
    for (int r = 1; r <= pc.nobs; ++r) {
        const double w = pc.obs[r].weight;
        if (w > 0.0 && (!group || pc.obs[r].group == *group)) {
            sum += (w * jac[r][c]) * (w * jac[r][c]);
            ++count;
        }
    }
    rows = count;
    for (int i = 1; i <= pc.nprior; ++i) {
        const double w = pc.priors[i].weight;
        if (!(w > 0.0) || (group && pc.priors[i].group != *group))
            continue;
        ++rows;
        const double term = estimation ? w * jac[pc.nobs + i][c] : prior[i][c] * pc.weight_factor * w;
        sum += term * term;
    }
    if (weighted_rows)
        *weighted_rows = rows;
    // With no weighted observation the parameter has no effect to measure.
    return count > 0 ? std::sqrt(sum) / count : 0.0;
}

int CompositeSensitivities(pest_control& pc, double** jac, double** prior, const int* adjustable,
                           std::FILE* rec)
{
    for (int c = 1; c <= pc.num_adjustable; ++c) {
        pest_param& p = pc.params[adjustable[c]];
        p.composite_sensitivity = composite_sensitivity(pc, jac, prior, c, nullptr, nullptr);
        if (std::fabs(p.composite_sensitivity) < 1e-8) {
            p.insensitive = 1;
            ++pc.num_insensitive;
            say(rec, "   Parameter \"%s\" has no effect on observations.\n", p.name);
        }
    }
    return 0;
}

int BoundedUpgrade(double** jac, double** prior, const double* q, pest_control& pc, double* u,
                   const int* adjustable, std::FILE* rec)
{
    const int n = pc.num_adjustable;
    const int rows = pc.nobs + pc.nprior;
    std::vector<double> r(rows + 1), g(n + 1, 0.0);
    Residuals(pc, prior, r.data());
    // Steepest-descent direction 2 J'Q r.
    for (int c = 1; c <= n; ++c)
        for (int k = 1; k <= rows; ++k)
            g[c] += 2.0 * jac[k][c] * q[k] * r[k];

    if (pc.num_insensitive != 0) {
        const int rc = reduced_upgrade(jac, q, r.data(), pc, adjustable, u);
        if (rc != 0)
            return rc;
    }

    // Applies u to the free parameters. In the first pass a parameter
    // pushed beyond a bound it stands at is frozen only when the gradient
    // step also leaves the bounds; in later passes always.
    auto apply = [&](bool later_pass) {
        int froze = 0;
        for (int c = 1; c <= n; ++c) {
            pest_param& p = pc.params[adjustable[c]];
            if (p.frozen || p.insensitive)
                continue;
            double& s = u[c];
            p.value += s;
            if (p.value < p.upper)
                p.at_upper = 0;
            if (p.value > p.lower)
                p.at_lower = 0;
            if (p.value > p.upper && !p.at_upper) {
                s -= p.value - p.upper;
                p.value = p.upper;
                p.at_upper = 1;
            } else if (p.value < p.lower && !p.at_lower) {
                s += p.lower - p.value;
                p.value = p.lower;
                p.at_lower = 1;
            } else if ((p.value > p.upper && p.at_upper) || (p.value < p.lower && p.at_lower)) {
                const bool upper = p.value > p.upper;
                const double trial = p.value - s + g[c];
                const bool gradient_out = upper ? trial > p.upper : trial < p.lower;
                if (gradient_out || later_pass) {
                    p.value = upper ? p.upper : p.lower;
                    const int before = pc.num_frozen;
                    freeze(pc, p, gradient_out ? frozen_gradient : frozen_update, rec);
                    froze += pc.num_frozen - before;
                }
            }
        }
        return froze;
    };

    const int frozen_before = pc.num_frozen;
    apply(false);
    if (pc.num_frozen == frozen_before) {
        for (int c = 1; c <= n; ++c) {
            pest_param& p = pc.params[adjustable[c]];
            if (p.at_upper && p.value > p.upper + bound_tol) {
                p.value = p.upper;
                freeze(pc, p, frozen_update, rec);
            } else if (p.at_lower && p.value < p.lower - bound_tol) {
                p.value = p.lower;
                freeze(pc, p, frozen_update, rec);
            }
        }
    }
    while (pc.num_frozen > 0 && pc.num_frozen + pc.num_insensitive < n) {
        for (int c = 1; c <= n; ++c) {
            pest_param& p = pc.params[adjustable[c]];
            if (p.frozen || p.insensitive)
                continue;
            p.value -= u[c];
            p.at_upper = p.value >= p.upper || std::fabs(p.value - p.upper) < bound_tol;
            p.at_lower = p.value <= p.lower || std::fabs(p.value - p.lower) < bound_tol;
        }
        const int rc = reduced_upgrade(jac, q, r.data(), pc, adjustable, u);
        if (rc != 0)
            return rc;
        if (apply(true) == 0)
            break;
    }
    for (int c = 1; c <= n; ++c) {
        pest_param& p = pc.params[adjustable[c]];
        if (p.frozen || p.insensitive) {
            u[c] = 0.0;
            continue;
        }
        if (p.at_upper && p.value > p.upper) {
            p.value = p.upper;
            u[c] = 0.0;
        } else if (p.at_lower && p.value < p.lower) {
            p.value = p.lower;
            u[c] = 0.0;
        }
    }
    SetTiedValues(pc, pest_values::current);
    return 0;
}
