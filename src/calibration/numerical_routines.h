// Dense 1-based linear algebra, index sorting and the uniform random
// generator shared by the calibration tools. Vectors and matrices are
// addressed through offset base pointers so that v[nl] (m[nrl][ncl]) is the
// first element used; each allocation carries one spare element in front.
#pragma once

#include <cstdint>

// Prints the three-line message on the error stream and ends the process
// with status 1.
[[noreturn]] void nr_fatal_error(const char* message);

int* ivector(int nl, int nh);
double* dvector(int nl, int nh);
double** matrix(int nrl, int nrh, int ncl, int nch);
void free_ivector(int* v, int nl);
void free_dvector(double* v, int nl);
void free_matrix(double** m, int nrl, int ncl);

// c = a b for a (m x n) and b (nb x p); n must equal nb.
void dmmult(double** a, int m, int n, double** b, int nb, int p, double** c);
// y = a x for a (m x n).
void dmvmult(double** a, int m, int n, const double* x, int nx, double* y);
void dmtrans(double** a, int m, int n, double** t);
void dmscale(double** a, int m, int n, double s, double** b);
void dmadd(double** a, int m, int n, double** b, double** c);

// Cholesky factor of the upper triangle into the strict lower triangle and p.
void choldc(double** a, int n, double* p);
void chol_solve(double** a, int n, const double* p, const double* b, double* x);

// LU decomposition with implicit partial pivoting; singular is set to 1 for
// a zero row (a is then untouched) and never cleared.
void lu_decomp(double** a, int n, int* indx, double& d, int& singular);
void lu_backsub(double** a, int n, const int* indx, double* b);
// y = a^-1 (a is overwritten by its factors); y untouched when singular.
void dminverse(double** a, int n, double** y, int& singular);
// Solves a 3 x 3 system; b and x are 3 x 1 matrices; x untouched when singular.
void dmsolve3(double** a, int n, double** b, double** x);

// Eigenvalues and eigenvectors (columns of v) of a symmetric matrix.
void jacobi(double** a, int n, double* d, double** v, int& nrot);
// Eigenvalues descending, eigenvector columns moved alike.
void eigen_sort(double* d, double** v, int n);

// indx[1..n] such that arr[indx[1]] <= arr[indx[2]] <= ...
void indexx(int n, const double* arr, int* indx);

// Shuffle table and last output of one uniform generator.
struct uniform_table {
    std::int32_t iy = 0;
    std::int32_t iv[32] = {};
};

// Park-Miller minimal standard generator with a Bays-Durham shuffle; a state
// of 0 or below (or a fresh table) starts the sequence. Uniform in (0, 1).
double uniform_deviate(int& state, uniform_table& table);
// The same on the process-wide table of the toolbox.
double uniform_deviate(int& state);
