// The junction matrix in banded form: a superlink couples only its two
// superjunctions, so with junctions numbered along the network the matrix
// is a band, and elimination with partial pivoting keeps the lower factor
// within the band and the upper one within twice its width.
#include <algorithm>
#include <cmath>
#include <new>

#include "channel/superlink_matrix.h"

bool superlink_band_alloc(superlink_lu_work& w, int n, int b)
{
    try {
        w.ab.assign(n, 3 * b + 1, 0.0);
        w.al.assign(n, std::max(b, 1), 0.0);
        w.perm.assign(n, 0);
        w.rhs.assign(n, 0.0);
    } catch (const std::bad_alloc&) {
        superlink_lu_failure("allocation failure 2 in matrix()");
        return false;
    }
    w.n = n;
    w.band = b;
    return true;
}

int superlink_band_factor(superlink_lu_work& w, int n)
{
    const int b = w.band;
    for (int i = 1; i <= n; ++i) {
        const double* row = w.ab[i];
        bool any = false;
        for (int c = 0; c <= 3 * b && !any; ++c)
            any = row[c] != 0.0;
        if (!any) {
            superlink_lu_failure("Singular matrix in routine ludcmp_rqx");
            return -1;
        }
    }
    for (int k = 1; k <= n; ++k) {
        const int last_row = std::min(n, k + b);
        const int last_col = std::min(n, k + 2 * b);
        int p = k;
        double big = std::fabs(superlink_band_at(w, k, k));
        for (int i = k + 1; i <= last_row; ++i) {
            const double v = std::fabs(superlink_band_at(w, i, k));
            if (v > big) {
                big = v;
                p = i;
            }
        }
        w.perm[k] = p;
        if (p != k)
            for (int c = k; c <= last_col; ++c)
                std::swap(superlink_band_at(w, k, c), superlink_band_at(w, p, c));
        double& pivot = superlink_band_at(w, k, k);
        if (pivot == 0.0)
            pivot = 1e-20;
        const double* urow = &superlink_band_at(w, k, k);
        for (int i = k + 1; i <= last_row; ++i) {
            double* arow = &superlink_band_at(w, i, k);
            const double m = arow[0] / urow[0];
            w.al[k][i - k] = m;
            arow[0] = 0.0;
            if (m != 0.0)
                for (int c = 1; c <= last_col - k; ++c)
                    arow[c] -= m * urow[c];
        }
    }
    return 0;
}

void superlink_band_solve(superlink_lu_work& w, int n)
{
    const int b = w.band;
    dvec& x = w.rhs;
    for (int k = 1; k <= n; ++k) {
        std::swap(x[k], x[w.perm[k]]);
        const double xk = x[k];
        for (int i = k + 1; i <= std::min(n, k + b); ++i)
            x[i] -= w.al[k][i - k] * xk;
    }
    for (int k = n; k >= 1; --k) {
        const double* urow = &superlink_band_at(w, k, k);
        double sum = x[k];
        for (int c = 1; c <= std::min(n, k + 2 * b) - k; ++c)
            sum -= urow[c] * x[k + c];
        x[k] = sum / urow[0];
    }
}
