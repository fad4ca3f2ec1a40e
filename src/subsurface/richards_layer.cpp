#include "subsurface/richards_layer.h"

richards_cut richards_layer_cut(const double* dz, int n, double depth)
{
    richards_cut cut;
    if (n < 1 || !(depth > 0.0))
        return cut;
    double top = 0.0;
    int l = 1;
    while (l < n && top + dz[l] < depth) {
        top += dz[l];
        ++l;
    }
    cut.node = l;
    cut.part = depth - top;
    return cut;
}

double richards_layer_water(const double* theta, const double* dz, richards_cut cut)
{
    if (cut.node < 1)
        return 0.0;
    double w = 0.0;
    for (int l = 1; l < cut.node; ++l)
        w += theta[l] * dz[l];
    return w + cut.part * theta[cut.node];
}

double richards_cut_flux(const double* q, const double* dz, int n, richards_cut cut)
{
    if (cut.node < 1)
        return 0.0;
    if (cut.node >= n)
        return q[n];
    if (!(dz[cut.node] > 0.0))
        return q[cut.node];
    const double a = cut.part / dz[cut.node];
    return (1.0 - a) * q[cut.node] + a * q[cut.node + 1];
}
