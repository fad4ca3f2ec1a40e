#include <cmath>

#include "calibration/calib_objective.h"
#include "calibration/sce_ctx.h"
#include "core/proc_group.h"

// The search minimises the absolute cost: a cost of -1 (nothing weighted)
// counts as 1, a failed trial as 999999.99.
double sce_evaluate(sce_ctx& ctx, const double* x)
{
    const double cost =
        calib_objective(ctx.replace_file, ctx.project_file, x, ctx.objective, ctx.nopt, "temp");
    ctx.objective.write_results(group_ctx.rank, group_ctx.member, group_ctx.group_id);
    if (!calib_trial_failed(cost))
        ++ctx.trials_scored;
    return std::fabs(cost);
}
