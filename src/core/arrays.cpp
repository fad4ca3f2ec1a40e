// Allocation of the 1-based arrays. Running out of memory stops the run in
// an orderly way (code 4000) instead of leaving an absent array behind.
// TODO: the remaining allocators of the numeric-array family (char
// matrices, three-dimensional arrays, fills, the channel tables).
#include "core/arrays.h"

#include <cstdio>
#include <new>
#include <stdexcept>

#include "core/error_state.h"

namespace {

void allocation_failed(const char* name)
{
    std::printf("Error allocating memory for variable %s\n", name ? name : "");
    error_set(err_stop);
    report_error(error_state);
}

template <class F>
bool guarded(const char* name, F&& make)
{
    try {
        make();
        return true;
    } catch (const std::bad_alloc&) {
        allocation_failed(name);
        return false;
    } catch (const std::length_error&) {
        allocation_failed(name);
        return false;
    }
}

} // namespace

bool dvector_alloc_zero(dvec& out, int n, const char* name)
{
    out.reset();
    if (n == 0) return true;
    if (n < 0) {
        std::printf("Error: Attempting to allocate array of size 0\n");
        return false;
    }
    return guarded(name, [&] { out.assign(n, 0.0); });
}

bool ivector_alloc_zero(ivec& out, int n, const char* name)
{
    out.reset();
    if (n == 0) return true;
    if (n < 0) {
        std::printf("Error: Attempting to allocate array of size 0\n");
        std::printf("Error allocating memory for variable %s\n", name ? name : "");
        return false;
    }
    return guarded(name, [&] { out.assign(n, 0); });
}

bool dmatrix_alloc_zero(int n, int m, dmat& out, const char* name)
{
    out.reset();
    if (n <= 0 || m <= 0) {
        std::printf("Error: Attempting to allocate array of size 0\n");
        std::printf("Error allocating memory for variable %s\n", name ? name : "");
        return false;
    }
    return guarded(name, [&] { out.assign(n, m, 0.0); });
}

bool imatrix_alloc_zero(imat& out, int n, int m, const char* name)
{
    out.reset();
    if (n <= 0 || m <= 0) {
        std::printf("Error: Attempting to allocate array of size 0\n");
        std::printf("Error allocating memory for variable %s\n", name ? name : "");
        return false;
    }
    return guarded(name, [&] { out.assign(n, m, 0); });
}
