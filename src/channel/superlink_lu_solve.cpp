#include "channel/superlink_matrix.h"

void superlink_lu_solve(superlink_lu_work& w, int n)
{
    const dmat& a = w.a;
    dvec& x = w.rhs;
    int first = 0; // first row with a non-zero right-hand side
    for (int i = 1; i <= n; ++i) {
        const int p = w.perm[i];
        double sum = x[p];
        x[p] = x[i];
        if (first) {
            const double* ai = a[i];
            for (int k = first; k < i; ++k)
                sum -= ai[k] * x[k];
        } else if (sum != 0.0) {
            first = i;
        }
        x[i] = sum;
    }
    for (int i = n; i >= 1; --i) {
        const double* ai = a[i];
        double sum = x[i];
        for (int k = i + 1; k <= n; ++k)
            sum -= ai[k] * x[k];
        x[i] = sum / ai[i];
    }
}
