// The fatal-error routine and the 1-based allocators of the numerical
// routines.
#include <cstdio>
#include <cstdlib>
#include <new>

#include "calibration/numerical_routines.h"

void nr_fatal_error(const char* message)
{
    std::fprintf(stderr, "Numerical Recipes run-time error...\n");
    std::fprintf(stderr, "%s\n", message);
    std::fprintf(stderr, "...now exiting to system...\n");
    std::exit(1);
}

int* ivector(int nl, int nh)
{
    int* v = new (std::nothrow) int[static_cast<std::size_t>(nh - nl + 2)]();
    if (!v)
        nr_fatal_error("allocation failure in ivector()");
    return v + 1 - nl;
}

double* dvector(int nl, int nh)
{
    double* v = new (std::nothrow) double[static_cast<std::size_t>(nh - nl + 2)]();
    if (!v)
        nr_fatal_error("allocation failure in dvector()");
    return v + 1 - nl;
}

double** matrix(int nrl, int nrh, int ncl, int nch)
{
    const int nrow = nrh - nrl + 1;
    const int ncol = nch - ncl + 1;
    double** m = new (std::nothrow) double*[static_cast<std::size_t>(nrow + 1)]();
    if (!m)
        nr_fatal_error("allocation failure 1 in matrix()");
    m += 1 - nrl;
    double* block = new (std::nothrow) double[static_cast<std::size_t>(nrow) * ncol + 1]();
    if (!block)
        nr_fatal_error("allocation failure 2 in matrix()");
    m[nrl] = block + 1 - ncl;
    for (int i = nrl + 1; i <= nrh; ++i)
        m[i] = m[i - 1] + ncol;
    return m;
}

void free_ivector(int* v, int nl)
{
    if (v)
        delete[](v + nl - 1);
}

void free_dvector(double* v, int nl)
{
    if (v)
        delete[](v + nl - 1);
}

void free_matrix(double** m, int nrl, int ncl)
{
    if (!m)
        return;
    delete[](m[nrl] + ncl - 1);
    delete[](m + nrl - 1);
}
