// The parameter-sensitivity file of the toolbox.
#include <cstdio>

#include "calibration/slm_routines.h"

namespace
{

void rows(std::FILE* sen, const pest_control& pc, const int* adjustable)
{
    std::fprintf(sen, " Parameter name    Group          Current value    Sensitivity       \n");
    for (int c = 1; c <= pc.num_adjustable; ++c) {
        const pest_param& p = pc.params[adjustable[c]];
        std::fprintf(sen, "%s\t%s\t%lf\t%lf\n", p.name.c_str(), p.group.c_str(), natural_value(p, p.value),
                     p.composite_sensitivity);
    }
}

} // namespace

int WriteSensitivities(pest_control& pc, double** jac, double** prior, const int* adjustable,
                       const toolbox_names& names, int iteration, std::FILE* sen, int final_flag)
{
    if (final_flag == 0) {
        if (iteration == 1)
            std::fprintf(sen, "                        PARAMETER SENSITIVITIES: CASE %s\n\n\n",
                         names.base.c_str());
        std::fprintf(sen, " OPTIMISATION ITERATION NO.\t%d ----->\n", iteration);
        rows(sen, pc, adjustable);
        std::fprintf(sen, "\n\n");
        return 0;
    }
    std::fprintf(sen, "\n                        COMPLETION OF OPTIMISATION PROCESS\n\n");
    for (int g = 1; g <= pc.nobsgp; ++g) {
        const std::string& group = pc.obs_groups[g].name;
        std::fprintf(sen, " Composite sensitivities for observation group \"%s\" ----->\n\n", group.c_str());
        int weighted = 0;
        for (int c = 1; c <= pc.num_adjustable; ++c)
            pc.params[adjustable[c]].composite_sensitivity =
                composite_sensitivity(pc, jac, prior, c, &group, &weighted);
        if (weighted > 0) {
            std::fprintf(sen, " Number of observations with non-zero weight =\t%d\n", weighted);
            rows(sen, pc, adjustable);
        } else {
            std::fprintf(sen, "\n No observations/prior_info with non-zero weight belong to this group.\n\n");
        }
        std::fprintf(sen, "\n\n");
    }
    std::fprintf(sen, " Composite sensitivities for all observations/prior info ----->\n\n");
    int weighted = 0;
    for (int c = 1; c <= pc.num_adjustable; ++c)
        pc.params[adjustable[c]].composite_sensitivity =
            composite_sensitivity(pc, jac, prior, c, nullptr, &weighted);
    std::fprintf(sen, " Number of observations with non-zero weight =\t%d\n", weighted);
    rows(sen, pc, adjustable);
    return 0;
}
