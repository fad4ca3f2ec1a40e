// Cyclic Jacobi eigen-analysis of a symmetric matrix and the descending
// sort of its eigenpairs.
#include <cmath>

#include "calibration/numerical_routines.h"

namespace
{

constexpr int max_sweeps = 50;

void rotate(double& e1, double& e2, double s, double tau)
{
    const double g = e1;
    const double h = e2;
    e1 = g - s * (h + g * tau);
    e2 = h + s * (g - h * tau);
}

} // namespace

void jacobi(double** a, int n, double* d, double** v, int& nrot)
{
    double* b = dvector(1, n);
    double* z = dvector(1, n);
    for (int p = 1; p <= n; ++p) {
        for (int q = 1; q <= n; ++q)
            v[p][q] = 0.0;
        v[p][p] = 1.0;
        b[p] = d[p] = a[p][p];
        z[p] = 0.0;
    }
    nrot = 0;
    for (int sweep = 1; sweep <= max_sweeps; ++sweep) {
        double sm = 0.0;
        for (int p = 1; p <= n - 1; ++p)
            for (int q = p + 1; q <= n; ++q)
                sm += std::fabs(a[p][q]);
        if (sm == 0.0) {
            free_dvector(z, 1);
            free_dvector(b, 1);
            return;
        }
        const double threshold = sweep < 4 ? 0.2 * sm / (static_cast<double>(n) * n) : 0.0;
        for (int p = 1; p <= n - 1; ++p) {
            for (int q = p + 1; q <= n; ++q) {
                const double g = 100.0 * std::fabs(a[p][q]);
                if (sweep > 4 && std::fabs(d[p]) + g == std::fabs(d[p]) &&
                    std::fabs(d[q]) + g == std::fabs(d[q])) {
                    a[p][q] = 0.0;
                } else if (std::fabs(a[p][q]) > threshold) {
                    double h = d[q] - d[p];
                    double t;
                    if (std::fabs(h) + g == std::fabs(h)) {
                        t = a[p][q] / h;
                    } else {
                        const double theta = 0.5 * h / a[p][q];
                        t = 1.0 / (std::fabs(theta) + std::sqrt(1.0 + theta * theta));
                        if (theta < 0.0)
                            t = -t;
                    }
                    const double c = 1.0 / std::sqrt(1.0 + t * t);
                    const double s = t * c;
                    const double tau = s / (1.0 + c);
                    h = t * a[p][q];
                    z[p] -= h;
                    z[q] += h;
                    d[p] -= h;
                    d[q] += h;
                    a[p][q] = 0.0;
                    for (int j = 1; j <= p - 1; ++j)
                        rotate(a[j][p], a[j][q], s, tau);
                    for (int j = p + 1; j <= q - 1; ++j)
                        rotate(a[p][j], a[j][q], s, tau);
                    for (int j = q + 1; j <= n; ++j)
                        rotate(a[p][j], a[q][j], s, tau);
                    for (int j = 1; j <= n; ++j)
                        rotate(v[j][p], v[j][q], s, tau);
                    ++nrot;
                }
            }
        }
        for (int p = 1; p <= n; ++p) {
            b[p] += z[p];
            d[p] = b[p];
            z[p] = 0.0;
        }
    }
    nr_fatal_error("Too many iterations in routine jacobi");
}

void eigen_sort(double* d, double** v, int n)
{
    for (int i = 1; i < n; ++i) {
        int k = i;
        double largest = d[i];
        for (int j = i + 1; j <= n; ++j)
            if (d[j] >= largest) { // a later element wins a tie
                largest = d[j];
                k = j;
            }
        if (k != i) {
            d[k] = d[i];
            d[i] = largest;
            for (int j = 1; j <= n; ++j) {
                const double t = v[j][i];
                v[j][i] = v[j][k];
                v[j][k] = t;
            }
        }
    }
}
