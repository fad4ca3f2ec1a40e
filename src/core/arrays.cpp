// Allocation of the 1-based arrays. Running out of memory stops the run in
// an orderly way (code 4000) instead of leaving an absent array behind for a
// caller that does not check.
#include "core/arrays.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

#include "core/error_state.h"

namespace {

enum class made { ok, zero_dim, no_memory };

void print_size_zero()
{
    std::fputs("Error: Attempting to allocate array of size 0\n", stdout);
}

void print_alloc_failed(const char* name)
{
    std::printf("Error allocating memory for variable %s\n", name ? name : "");
}

void stop_run()
{
    error_set(err_stop);
    report_error(error_state);
}

template <class F>
made guarded(F&& make)
{
    try {
        make();
        return made::ok;
    } catch (const std::bad_alloc&) {
        return made::no_memory;
    } catch (const std::length_error&) {
        return made::no_memory;
    }
}

// Slots of an array with these dimensions, or 0 when the count overflows.
std::size_t slot_count(std::size_t elem_size, int a, int b, int c)
{
    std::size_t total = elem_size;
    for (int d : {a, b, c}) {
        const std::size_t k = static_cast<std::size_t>(d) + 1;
        if (total > std::numeric_limits<std::size_t>::max() / k) return 0;
        total *= k;
    }
    return total / elem_size;
}

template <class T>
made make_matrix(mat1<T>& out, int n, int m)
{
    out.reset();
    if (n <= 0 || m <= 0) return made::zero_dim;
    if (slot_count(sizeof(T), n, m, 0) == 0) return made::no_memory;
    return guarded([&] { out.assign(n, m, T()); });
}

template <class T>
made make_cube(cube1<T>& out, int a, int b, int c)
{
    out.reset();
    if (a <= 0 || b <= 0 || c <= 0) return made::zero_dim;
    if (slot_count(sizeof(T), a, b, c) == 0) return made::no_memory;
    return guarded([&] { out.assign(a, b, c, T()); });
}

// The unnamed makers: the size message, or the maker's own name when
// memory runs out.
template <class A>
A unnamed(made result, A&& out, const char* maker)
{
    if (result == made::zero_dim) print_size_zero();
    if (result == made::no_memory) {
        print_alloc_failed(maker);
        stop_run();
    }
    return std::move(out);
}

bool named(made result, const char* name)
{
    switch (result) {
    case made::ok:
        return true;
    case made::zero_dim:
        print_size_zero();
        print_alloc_failed(name);
        return false;
    case made::no_memory:
        print_alloc_failed(name);
        stop_run();
        return false;
    }
    return false;
}

template <class T>
bool vector_alloc_zero(vec1<T>& out, int n, const char* name, bool name_on_size_error)
{
    out.reset();
    if (n == 0) return true;
    if (n < 0) {
        print_size_zero();
        if (name_on_size_error) print_alloc_failed(name);
        return false;
    }
    if (guarded([&] { out.assign(n, T()); }) == made::ok) return true;
    // Out of memory is always announced: a silent stop would leave the user
    // without a clue.
    print_alloc_failed(name);
    stop_run();
    return false;
}

} // namespace

dmat dmatrix(int n, int m)
{
    dmat out;
    return unnamed(make_matrix(out, n, m), std::move(out), "dmatrix");
}

imat imatrix(int n, int m)
{
    imat out;
    return unnamed(make_matrix(out, n, m), std::move(out), "imatrix");
}

cmat cmatrix(int n, int m)
{
    cmat out;
    return unnamed(make_matrix(out, n, m), std::move(out), "cmatrix");
}

dcube d3tensor(int a, int b, int c)
{
    dcube out;
    return unnamed(make_cube(out, a, b, c), std::move(out), "d3tensor");
}

icube i3tensor_4(int n, int m)
{
    icube out;
    return unnamed(make_cube(out, n, 3, m), std::move(out), "i3tensor_4");
}

bool dmatrix_alloc_zero(int n, int m, dmat& out, const char* name)
{
    return named(make_matrix(out, n, m), name);
}

bool cmatrix_alloc_zero(int n, int m, cmat& out, const char* name)
{
    return named(make_matrix(out, n, m), name);
}

bool imatrix_alloc_zero(imat& out, int n, int m, const char* name)
{
    return named(make_matrix(out, n, m), name);
}

bool d3tensor_alloc_zero(int a, int b, int c, dcube& out, const char* name)
{
    return named(make_cube(out, a, b, c), name);
}

bool lake_search_alloc(int n, int m, icube& out)
{
    return named(make_cube(out, n, 3, m), "lake_search");
}

bool dvector_alloc_zero(dvec& out, int n, const char* name)
{
    return vector_alloc_zero(out, n, name, false);
}

bool ivector_alloc_zero(ivec& out, int n, const char* name)
{
    return vector_alloc_zero(out, n, name, true);
}

bool stream_pointsource_alloc(dmat& out, int n, int m)
{
    if (n == INT_MAX) {
        out.reset();
        return named(made::no_memory, "stream_pointsource");
    }
    return named(make_matrix(out, n <= 0 ? 0 : n + 1, m), "stream_pointsource");
}

bool stream_pumps_alloc(dmat& out, int n, int m)
{
    return named(make_matrix(out, n, m), "stream_pumps");
}

void dmatrix_fill(dmat& mat, int n, int m, double value)
{
    if (mat.empty() || n < 0 || m < 0) return;
    n = std::min(n, mat.rows());
    m = std::min(m, mat.cols());
    for (int i = 0; i <= n; ++i) std::fill(mat[i], mat[i] + m + 1, value);
}

void d3tensor_fill(dcube& arr, int a, int b, int c, double value)
{
    if (arr.empty() || a < 0 || b < 0 || c < 0) return;
    a = std::min(a, arr.dim1());
    b = std::min(b, arr.dim2());
    c = std::min(c, arr.dim3());
    for (int i = 0; i <= a; ++i)
        for (int j = 0; j <= b; ++j) std::fill(arr[i][j], arr[i][j] + c + 1, value);
}
