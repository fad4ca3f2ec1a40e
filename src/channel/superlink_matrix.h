// The dense junction system of the pipe network: LU factorisation with
// implicit partial pivoting (Crout) in the solver's work space, and the
// forward and back substitution that solves it.
#pragma once

#include "channel/superlink_state.h"

// Sizes the work space for n junctions, once per run. False after an
// allocation failure, which prints its reason and stops the run (code 4000).
bool superlink_lu_alloc(superlink_lu_work& w, int n);

// Factors w.a[1..n][1..n] in place, recording the row interchanges and
// their parity. 0; -1 for a matrix with a zero row, which prints its
// reason and stops the run (code 4000) instead of ending the process.
int ludcmp_rqx(superlink_lu_work& w, int n);

// Replaces w.rhs[1..n] by the solution of the factored system.
void superlink_lu_solve(superlink_lu_work& w, int n);

// The three-line failure banner on the error stream, then code 4000.
void superlink_lu_failure(const char* reason);

// The banded form for n junctions of half bandwidth b, once per run; false
// after an allocation failure (printed, run stopped).
bool superlink_band_alloc(superlink_lu_work& w, int n, int b);

// Entry (i, j) of the banded form, |i - j| <= band before factoring.
inline double& superlink_band_at(superlink_lu_work& w, int i, int j)
{
    return w.ab[i][j - i + w.band];
}

// Gaussian elimination of the banded form with partial pivoting, and the
// solve of w.rhs; the same results as ludcmp_rqx and superlink_lu_solve to
// rounding, in O(n b^2) and O(n b). -1 for a zero row, as ludcmp_rqx.
int superlink_band_factor(superlink_lu_work& w, int n);
void superlink_band_solve(superlink_lu_work& w, int n);
