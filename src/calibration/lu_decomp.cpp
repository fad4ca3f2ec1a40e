// LU decomposition (Crout, implicit partial pivoting), back substitution,
// the inverse and the 3 x 3 solve built on them.
#include <cmath>

#include "calibration/numerical_routines.h"

namespace
{
constexpr double tiny_pivot = 1.0e-20;
}

void lu_decomp(double** a, int n, int* indx, double& d, int& singular)
{
    double* scale = dvector(1, n);
    d = 1.0;
    for (int i = 1; i <= n; ++i) {
        double big = 0.0;
        for (int j = 1; j <= n; ++j)
            big = std::fmax(big, std::fabs(a[i][j]));
        if (big == 0.0) {
            singular = 1;
            free_dvector(scale, 1);
            return;
        }
        scale[i] = 1.0 / big;
    }
    for (int j = 1; j <= n; ++j) {
        for (int i = 1; i < j; ++i) {
            double sum = a[i][j];
            for (int k = 1; k < i; ++k)
                sum -= a[i][k] * a[k][j];
            a[i][j] = sum;
        }
        double big = 0.0;
        int imax = j;
        for (int i = j; i <= n; ++i) {
            double sum = a[i][j];
            for (int k = 1; k < j; ++k)
                sum -= a[i][k] * a[k][j];
            a[i][j] = sum;
            const double candidate = scale[i] * std::fabs(sum);
            if (candidate >= big) { // a later row wins a tie
                big = candidate;
                imax = i;
            }
        }
        if (j != imax) {
            for (int k = 1; k <= n; ++k) {
                const double t = a[imax][k];
                a[imax][k] = a[j][k];
                a[j][k] = t;
            }
            d = -d;
            scale[imax] = scale[j];
        }
        indx[j] = imax;
        if (a[j][j] == 0.0)
            a[j][j] = tiny_pivot;
        if (j != n) {
            const double inv = 1.0 / a[j][j];
            for (int i = j + 1; i <= n; ++i)
                a[i][j] *= inv;
        }
    }
    free_dvector(scale, 1);
}

void lu_backsub(double** a, int n, const int* indx, double* b)
{
    int first = 0;
    for (int i = 1; i <= n; ++i) {
        const int ip = indx[i];
        double sum = b[ip];
        b[ip] = b[i];
        if (first) {
            for (int j = first; j <= i - 1; ++j)
                sum -= a[i][j] * b[j];
        } else if (sum != 0.0) {
            first = i;
        }
        b[i] = sum;
    }
    for (int i = n; i >= 1; --i) {
        double sum = b[i];
        for (int j = i + 1; j <= n; ++j)
            sum -= a[i][j] * b[j];
        b[i] = sum / a[i][i];
    }
}

void dminverse(double** a, int n, double** y, int& singular)
{
    int* indx = ivector(1, n);
    double* col = dvector(1, n);
    double d = 0.0;
    int flag = 0;
    lu_decomp(a, n, indx, d, flag);
    if (flag) {
        singular = 1;
    } else {
        for (int j = 1; j <= n; ++j) {
            for (int i = 1; i <= n; ++i)
                col[i] = 0.0;
            col[j] = 1.0;
            lu_backsub(a, n, indx, col);
            for (int i = 1; i <= n; ++i)
                y[i][j] = col[i];
        }
    }
    free_dvector(col, 1);
    free_ivector(indx, 1);
}

void dmsolve3(double** a, int /*n*/, double** b, double** x)
{
    int* indx = ivector(1, 3);
    double* col = dvector(1, 3);
    double d = 0.0;
    int singular = 0;
    lu_decomp(a, 3, indx, d, singular);
    if (!singular) {
        for (int i = 1; i <= 3; ++i)
            col[i] = b[i][1];
        lu_backsub(a, 3, indx, col);
        for (int i = 1; i <= 3; ++i)
            x[i][1] = col[i];
    }
    free_dvector(col, 1);
    free_ivector(indx, 1);
}
