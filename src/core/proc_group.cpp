#include "core/proc_group.h"

#include "core/platform.h"

proc_group group_ctx;

void init_process_group()
{
    group_ctx.num_threads = default_thread_count();
    set_thread_count(group_ctx.num_threads);
    group_ctx.rank = 0;
    group_ctx.member = 0;
    group_ctx.proc_number = 0;
    group_ctx.group_size = 1;
    group_ctx.num_parts = 1;
    group_ctx.group_id = 0;
}

std::vector<double> process_group_gather(const proc_group& group, int n, const double* values)
{
    std::vector<double> out;
    if (n <= 0 || !values) return out;
    const int members = group.group_size > 0 ? group.group_size : 1;
    out.reserve(static_cast<size_t>(n) * members);
    for (int m = 0; m < members; ++m) out.insert(out.end(), values, values + n);
    return out;
}

namespace {
// Sets the thread count before main runs.
const bool process_group_started = (init_process_group(), true);
} // namespace
