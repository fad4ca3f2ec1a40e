// Cholesky decomposition and the solve with its factor.
#include <cmath>

#include "calibration/numerical_routines.h"

void choldc(double** a, int n, double* p)
{
    for (int i = 1; i <= n; ++i)
        for (int j = i; j <= n; ++j) {
            double sum = a[i][j];
            for (int k = i - 1; k >= 1; --k)
                sum -= a[i][k] * a[j][k];
            if (i == j) {
                if (sum <= 0.0)
                    nr_fatal_error("choldc failed");
                p[i] = std::sqrt(sum);
            } else {
                a[j][i] = sum / p[i];
            }
        }
}

void chol_solve(double** a, int n, const double* p, const double* b, double* x)
{
    for (int i = 1; i <= n; ++i) {
        double sum = b[i];
        for (int k = i - 1; k >= 1; --k)
            sum -= a[i][k] * x[k];
        x[i] = sum / p[i];
    }
    for (int i = n; i >= 1; --i) {
        double sum = x[i];
        for (int k = i + 1; k <= n; ++k)
            sum -= a[k][i] * x[k];
        x[i] = sum / p[i];
    }
}
