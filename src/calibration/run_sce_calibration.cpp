#include <cstdio>

#include "calibration/calib_objective.h"
#include "calibration/calibration_modes.h"
#include "calibration/sce_ctx.h"
#include "core/proc_group.h"

int run_sce_calibration(proc_group& /*group*/, const std::string& control_file)
{
    sce_ctx ctx;
    ctx.trial = sce_evaluate;
    sce_setup(ctx, control_file, "sce_output.out");
    if (sce_read_observations(ctx) == -1) {
        std::printf("Error: unable to open the observation file for reading or problem while reading it.\n"
                    "Attempted to read file: %s\n",
                    ctx.obs_file.c_str());
        return 1;
    }
    // What every trial needs is checked once, before the first: the project
    // file, and a replacement list with one parameter per trial value.
    if (ctx.input_ok &&
        (!calib_project_found(ctx.project_file, "on line 1 of the SCE input file " + control_file) ||
         !replace_list_matches(ctx.replace_file, ctx.nopt)))
        ctx.input_ok = 0;
    const int r = SCEUA(ctx);
    if (r <= 0) {
        std::printf("Error: unable to successfully run the SCE method\n");
        return 1;
    }
    if (ctx.trials_scored == 0) {
        std::printf(
            "Error: none of the %d trials of the SCE calibration gave a result (each model run stopped on "
            "an error or stored no value for a weighted observation); there is no best parameter set.\n",
            r);
        return 1;
    }
    const std::vector<double> best = ctx.bestx;
    file_rec out;
    file_rec_open(out, std::string("sce_best.out"), "w");
    std::printf("The best results of the SCE calibration after %d runs:\n", r);
    if (out.fp)
        std::fprintf(out.fp, "The best results of the SCE calibration %d runs:\n", r);
    for (int i = 1; i <= ctx.nopt; ++i) {
        const double v = best[static_cast<std::size_t>(i)];
        if (out.fp)
            std::fprintf(out.fp, "%le\n", v);
        std::printf("%le\n", v);
    }
    file_rec_close(out);
    return 0;
}
