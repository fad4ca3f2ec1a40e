// One model call of the toolbox. Each call depends only on the values it is
// given: the values file is rewritten, old model outputs are removed, and
// the outputs are read afresh after the run.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "calibration/slm_routines.h"
#include "core/run_simulation.h"

namespace
{

double chosen_value(const pest_param& p, pest_values which)
{
    if (which == pest_values::perturbed1)
        return p.perturbed1;
    if (which == pest_values::perturbed2)
        return p.perturbed2;
    return p.value;
}

} // namespace

int WriteValuesFile(const pest_control& pc, pest_values which)
{
    std::FILE* fp = std::fopen("values.in", "w");
    if (!fp) {
        std::printf("Cannot write values.in\n");
        return 1;
    }
    for (int i = 1; i <= pc.npar; ++i)
        std::fprintf(fp, "%.7E ", natural_value(pc.params[i], chosen_value(pc.params[i], which)));
    const bool ok = std::fclose(fp) == 0;
    if (!ok)
        std::printf("Cannot write values.in\n");
    return ok ? 0 : 1;
}

int ToolboxModelCall(toolbox_model& tm, pest_control& pc, pest_values which, int slot)
{
    ++tm.calls;
    if (WriteValuesFile(pc, which) != 0)
        return 1;
    for (int k = 1; k <= pc.ninsfle; ++k)
        std::remove(pc.instructions[k].model_file.c_str());
    const pest_model_runner& run =
        tm.run ? tm.run : pest_model_runner([](const std::string& project, const std::string& mode) {
            return run_simulation(project, nullptr, mode);
        });
    if (run(pc.project_file, tm.mode) != 0) {
        std::printf("Model run %d of the calibration stopped on an error; the search ends.\n", tm.calls);
        return 1;
    }
    if (!pc.post_run_batch.empty()) {
        std::fflush(stdout);
        const int status = std::system(pc.post_run_batch.c_str());
        if (status != 0) {
            std::printf("The post-run program %s failed after model run %d (status %d); the search ends.\n",
                        pc.post_run_batch.c_str(), tm.calls, status);
            return 1;
        }
    }
    for (int k = 1; k <= pc.ninsfle; ++k)
        if (ReadModelOutput(pc, k, slot, *tm.handles) != 0)
            return 1;
    return 0;
}
