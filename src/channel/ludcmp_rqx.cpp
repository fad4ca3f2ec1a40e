#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

#include "channel/superlink_matrix.h"
#include "core/error_state.h"

void superlink_lu_failure(const char* reason)
{
    std::fprintf(stderr, "Numerical Recipes run-time error...\n");
    std::fprintf(stderr, "%s\n", reason);
    std::fprintf(stderr, "...now exiting to system...\n");
    // The run stops at the driver's next check; a batch or a calibration
    // goes on with its next run.
    error_set(err_stop);
}

bool superlink_lu_alloc(superlink_lu_work& w, int n)
{
    const char* reason = "allocation failure 2 in matrix()";
    try {
        w.a.assign(n, n, 0.0);
        reason = "allocation failure in ivector()";
        w.perm.assign(n, 0);
        reason = "allocation failure in vector()";
        w.rhs.assign(n, 0.0);
        w.scale.assign(n, 0.0);
    } catch (const std::bad_alloc&) {
        superlink_lu_failure(reason);
        return false;
    }
    w.n = n;
    return true;
}

int ludcmp_rqx(superlink_lu_work& w, int n)
{
    dmat& a = w.a;
    dvec& scale = w.scale;
    for (int i = 1; i <= n; ++i) {
        double big = 0.0;
        const double* row = a[i];
        for (int j = 1; j <= n; ++j)
            big = std::max(big, std::fabs(row[j]));
        if (big == 0.0) {
            superlink_lu_failure("Singular matrix in routine ludcmp_rqx");
            return -1;
        }
        scale[i] = 1.0 / big;
    }
    w.parity = 1.0;
    for (int j = 1; j <= n; ++j) {
        for (int i = 1; i < j; ++i) {
            double* ai = a[i];
            double sum = ai[j];
            for (int k = 1; k < i; ++k)
                sum -= ai[k] * a[k][j];
            ai[j] = sum;
        }
        double big = 0.0;
        int imax = j;
        for (int i = j; i <= n; ++i) {
            double* ai = a[i];
            double sum = ai[j];
            for (int k = 1; k < j; ++k)
                sum -= ai[k] * a[k][j];
            ai[j] = sum;
            const double merit = scale[i] * std::fabs(sum);
            if (merit >= big) {
                big = merit;
                imax = i;
            }
        }
        if (j != imax) {
            double* rm = a[imax];
            double* rj = a[j];
            for (int k = 1; k <= n; ++k)
                std::swap(rm[k], rj[k]);
            w.parity = -w.parity;
            scale[imax] = scale[j];
        }
        w.perm[j] = imax;
        if (a[j][j] == 0.0)
            a[j][j] = 1e-20;
        if (j != n) {
            const double inv = 1.0 / a[j][j];
            for (int i = j + 1; i <= n; ++i)
                a[i][j] *= inv;
        }
    }
    return 0;
}
