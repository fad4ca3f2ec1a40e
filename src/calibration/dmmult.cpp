// Products, transpose, scaling and sums of 1-based dense matrices.
#include <cstdio>
#include <cstdlib>

#include "calibration/numerical_routines.h"

void dmmult(double** a, int m, int n, double** b, int nb, int p, double** c)
{
    if (n != nb) {
        std::fprintf(stderr, "a_cols <> b_rows (%d,%d): dmmult\n", n, nb);
        std::exit(1);
    }
    for (int i = 1; i <= m; ++i)
        for (int j = 1; j <= p; ++j) {
            double sum = 0.0;
            for (int k = 1; k <= n; ++k)
                sum += a[i][k] * b[k][j];
            c[i][j] = sum;
        }
}

void dmvmult(double** a, int m, int n, const double* x, int /*nx*/, double* y)
{
    for (int i = 1; i <= m; ++i) {
        double sum = 0.0;
        for (int j = 1; j <= n; ++j)
            sum += a[i][j] * x[j];
        y[i] = sum;
    }
}

void dmtrans(double** a, int m, int n, double** t)
{
    for (int i = 1; i <= m; ++i)
        for (int j = 1; j <= n; ++j)
            t[j][i] = a[i][j];
}

void dmscale(double** a, int m, int n, double s, double** b)
{
    for (int i = 1; i <= m; ++i)
        for (int j = 1; j <= n; ++j)
            b[i][j] = s * a[i][j];
}

void dmadd(double** a, int m, int n, double** b, double** c)
{
    for (int i = 1; i <= m; ++i)
        for (int j = 1; j <= n; ++j)
            c[i][j] = a[i][j] + b[i][j];
}
