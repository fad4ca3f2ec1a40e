// Guarded reads of the optional arrays of the model state for the
// summaries: an array a process did not allocate (or allocated smaller)
// reads as 0 and is never written.
#pragma once

#include "core/arrays.h"
#include "core/containers.h"

// v[i], or 0 outside 0..size.
inline double value_at(const dvec& v, int i)
{
    return i >= 0 && i <= v.size() && !v.empty() ? v[i] : 0.0;
}

inline int value_at(const ivec& v, int i)
{
    return i >= 0 && i <= v.size() && !v.empty() ? v[i] : 0;
}

// Slot i of v, or none outside 0..size.
inline double* slot_at(dvec& v, int i)
{
    return i >= 0 && i <= v.size() && !v.empty() ? &v[i] : nullptr;
}

// m[i][j], or 0 outside the matrix.
inline double value_at(const dmat& m, int i, int j)
{
    return i >= 0 && j >= 0 && i <= m.rows() && j <= m.cols() && !m.empty() ? m[i][j] : 0.0;
}

// c[i][j][k], or 0 outside the array.
inline double value_at(const dcube& c, int i, int j, int k)
{
    return i >= 0 && j >= 0 && k >= 0 && i <= c.dim1() && j <= c.dim2() && k <= c.dim3() && !c.empty()
               ? c[i][j][k]
               : 0.0;
}

// Row k of a row array when it holds at least `width` columns, else none.
inline const double* row_of(const row_array<double>& a, int k, int width)
{
    return a.width >= width ? row_array_get(a, k) : nullptr;
}

// Element (k, i, j) of a matrix stack, or 0 outside it.
inline double value_at(const matrix_stack& ms, int k, int i, int j)
{
    if (k < 1 || k > ms.count || !ms.table || i < 1 || j < 0 || j > ms.cols)
        return 0.0;
    const auto slot = static_cast<std::size_t>(k);
    const int rows = slot < ms.matrix_rows_.size() ? ms.matrix_rows_[slot] : ms.rows;
    if (i > rows)
        return 0.0;
    double** matrix = ms.table[k];
    return matrix && matrix[i] ? matrix[i][j] : 0.0;
}
