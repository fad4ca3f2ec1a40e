// The scaled Marquardt upgrade, its optimum length and Broyden's rank-one
// update of the Jacobian. The weight matrix is diagonal and held as the
// vector of squared weights; the products run over its rows.
#include <cmath>
#include <cstdio>

#include "calibration/numerical_routines.h"
#include "calibration/slm_routines.h"

void Residuals(const pest_control& pc, double** prior, double* r)
{
    for (int i = 1; i <= pc.nobs; ++i)
        r[i] = pc.obs[i].measured - pc.obs[i].simulated[0];
    for (int i = 1; i <= pc.nprior; ++i) {
        double computed = 0.0;
        int col = 0;
        for (int j = 1; j <= pc.npar; ++j)
            if (is_adjustable(pc.params[j]))
                computed += prior[i][++col] * pc.params[j].value;
        r[pc.nobs + i] = pc.priors[i].provided - computed;
    }
}

void SquaredWeights(const pest_control& pc, double* q)
{
    for (int i = 1; i <= pc.nobs; ++i)
        q[i] = pc.obs[i].weight * pc.obs[i].weight;
    for (int i = 1; i <= pc.nprior; ++i)
        q[pc.nobs + i] = pc.priors[i].weight * pc.priors[i].weight;
}

int MarquardtSolve(double** jac, int rows, int n, const double* q, const double* r, double lambda, double* u)
{
    double** a = matrix(1, n, 1, n);
    double* s = dvector(1, n);
    double* b = dvector(1, n);
    double* p = dvector(1, n);
    double* y = dvector(1, n);
    for (int i = 1; i <= n; ++i) {
        for (int j = i; j <= n; ++j) {
            double sum = 0.0;
            for (int k = 1; k <= rows; ++k)
                sum += jac[k][i] * q[k] * jac[k][j];
            a[i][j] = a[j][i] = sum;
        }
        double g = 0.0;
        for (int k = 1; k <= rows; ++k)
            g += jac[k][i] * q[k] * r[k];
        b[i] = g;
    }
    double max_inv = 0.0;
    bool insensitive = false;
    for (int i = 1; i <= n; ++i)
        insensitive = insensitive || !(a[i][i] > 0.0);
    if (insensitive) {
        // A zero column has no scale; such parameters must be left out first.
        std::printf(
            "The upgrade cannot be computed: a parameter has no effect on the weighted observations.\n");
        free_dvector(y, 1);
        free_dvector(p, 1);
        free_dvector(b, 1);
        free_dvector(s, 1);
        free_matrix(a, 1, 1);
        return 1;
    }
    for (int i = 1; i <= n; ++i) {
        s[i] = 1.0 / std::sqrt(a[i][i]);
        max_inv = std::fmax(max_inv, 1.0 / a[i][i]);
    }
    const double lam = lambda / max_inv;
    for (int i = 1; i <= n; ++i) {
        const double diag = 1.0 / a[i][i];
        for (int j = 1; j <= n; ++j)
            a[i][j] *= s[i] * s[j];
        a[i][i] += lam * diag;
        b[i] *= s[i];
    }
    choldc(a, n, p);
    chol_solve(a, n, p, b, y);
    for (int i = 1; i <= n; ++i)
        u[i] = s[i] * y[i];
    free_dvector(y, 1);
    free_dvector(p, 1);
    free_dvector(b, 1);
    free_dvector(s, 1);
    free_matrix(a, 1, 1);
    return 0;
}

int OptimumLengthSolve(double** jac, int rows, int n, const double* q, const double* r, double* u)
{
    double num = 0.0, den = 0.0;
    for (int k = 1; k <= rows; ++k) {
        double t = 0.0;
        for (int j = 1; j <= n; ++j)
            t += jac[k][j] * u[j];
        num += q[k] * r[k] * t;
        den += q[k] * t * t;
    }
    if (den <= 0.0)
        return 0;
    const double beta = num / den;
    for (int j = 1; j <= n; ++j)
        u[j] *= beta;
    return 0;
}

int MarquardtUpgrade(double** jac, double** prior, const double* q, const pest_control& pc, double* u)
{
    const int rows = pc.nobs + pc.nprior;
    double* r = dvector(1, rows);
    Residuals(pc, prior, r);
    const int rc = MarquardtSolve(jac, rows, pc.num_adjustable, q, r, pc.lambda, u);
    free_dvector(r, 1);
    return rc;
}

int OptimumLength(double** jac, double** prior, const double* q, const pest_control& pc, double* u)
{
    const int rows = pc.nobs + pc.nprior;
    double* r = dvector(1, rows);
    Residuals(pc, prior, r);
    OptimumLengthSolve(jac, rows, pc.num_adjustable, q, r, u);
    free_dvector(r, 1);
    return 0;
}

int BroydenUpdate(const pest_control& pc, double** jac, double** prior)
{
    const int n = pc.num_adjustable;
    const int rows = pc.nobs + pc.nprior;
    double* s = dvector(1, n);
    double ss = 0.0;
    int c = 0;
    for (int j = 1; j <= pc.npar; ++j)
        if (is_adjustable(pc.params[j])) {
            ++c;
            s[c] = pc.params[j].value - pc.params[j].start_value;
            ss += s[c] * s[c];
        }
    if (ss > 0.0) {
        for (int k = 1; k <= rows; ++k) {
            double dy = 0.0;
            if (k <= pc.nobs) {
                dy = pc.obs[k].simulated[1] - pc.obs[k].simulated[0];
            } else {
                for (int j = 1; j <= n; ++j)
                    dy += prior[k - pc.nobs][j] * s[j];
            }
            double js = 0.0;
            for (int j = 1; j <= n; ++j)
                js += jac[k][j] * s[j];
            const double f = (dy - js) / ss;
            for (int j = 1; j <= n; ++j)
                jac[k][j] += f * s[j];
        }
    }
    free_dvector(s, 1);
    return 0;
}
