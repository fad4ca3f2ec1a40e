// Statistics of the estimate: covariance, correlation and the t value of
// the 95 percent confidence limits.
#include <cmath>
#include <cstdio>

#include "calibration/numerical_routines.h"
#include "calibration/slm_routines.h"

void StudentT95(int d, double& t)
{
    static const double table[] = {4.303, 3.182, 2.776, 2.571, 2.447, 2.365, 2.306, 2.262, 2.228, 2.201,
                                   2.179, 2.16,  2.145, 2.131, 2.12,  2.11,  2.101, 2.093, 2.086, 2.08,
                                   2.074, 2.069, 2.064, 2.06,  2.056, 2.052, 2.048, 2.045, 2.042};
    static const double knot_d[] = {30.0, 40.0, 60.0, 120.0, 9999999.0};
    static const double knot_t[] = {2.042, 2.021, 2.0, 1.98, 1.96};
    if (d < 2)
        return;
    if (d <= 30) {
        t = table[d - 2];
        return;
    }
    if (d >= 9999999) {
        t = 1.96;
        return;
    }
    int k = 0;
    while (d > knot_d[k + 1])
        ++k;
    t = knot_t[k] + (d - knot_d[k]) * (knot_t[k + 1] - knot_t[k]) / (knot_d[k + 1] - knot_d[k]);
}

int CovarianceMatrix(double** jac, const double* q, double phi, double** cov, const pest_control& pc,
                     int& singular)
{
    const int n = pc.num_adjustable;
    const int rows = pc.mode == "estimation" ? pc.nobs + pc.nprior : pc.nobs;
    int m = 0;
    for (int i = 1; i <= pc.nobs; ++i)
        m += pc.obs[i].weight > 0.0;
    for (int i = 1; i <= pc.nprior; ++i)
        m += pc.priors[i].weight > 0.0;
    singular = 0;
    if (m - n <= 0) {
        std::printf("The covariance matrix needs more weighted observations and prior items (%d) than "
                    "adjustable parameters (%d).\n",
                    m, n);
        singular = 1;
        return 0;
    }
    double** a = matrix(1, n, 1, n);
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) {
            double sum = 0.0;
            for (int k = 1; k <= rows; ++k)
                sum += jac[k][i] * q[k] * jac[k][j];
            a[i][j] = sum;
        }
    dminverse(a, n, cov, singular);
    free_matrix(a, 1, 1);
    if (singular)
        return 0;
    const double f = phi / (m - n);
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j)
            cov[i][j] *= f;
    return 0;
}

int CorrelationMatrix(double** cov, double** cor, const pest_control& pc)
{
    const int n = pc.num_adjustable;
    // A parameter without variance (phi 0) correlates with nothing but itself.
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) {
            const double vv = cov[i][i] * cov[j][j];
            cor[i][j] = vv > 0.0 ? cov[i][j] / std::sqrt(vv) : (i == j ? 1.0 : 0.0);
        }
    return 0;
}

std::string format_statistic(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, std::fabs(v) > 1e-4 ? "%lf" : "%.4E", v);
    return buf;
}
