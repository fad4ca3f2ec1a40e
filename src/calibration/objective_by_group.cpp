// The objective phi, split by observation group, and the prior terms.
#include "calibration/slm_routines.h"

namespace
{

pest_obs_group* find_group(pest_control& pc, const std::string& name)
{
    for (int g = 1; g <= pc.nobsgp; ++g)
        if (pc.obs_groups[g].name == name)
            return &pc.obs_groups[g];
    return nullptr;
}

} // namespace

int ObjectiveByGroup(pest_control& pc, int slot, double& phi)
{
    for (int g = 1; g <= pc.nobsgp; ++g)
        pc.obs_groups[g].contribution = 0.0;
    for (int i = 1; i <= pc.nobs; ++i) {
        const pest_obs& o = pc.obs[i];
        const double d = (o.measured - o.simulated[slot]) * o.weight;
        if (pest_obs_group* g = find_group(pc, o.group))
            g->contribution += d * d;
    }
    phi = 0.0;
    for (int g = 1; g <= pc.nobsgp; ++g)
        phi += pc.obs_groups[g].contribution;
    return 0;
}

int PriorObjective(pest_control& pc, double** prior, double& prior_phi)
{
    prior_phi = 0.0;
    for (int i = 1; i <= pc.nprior; ++i) {
        double computed = 0.0;
        int col = 0;
        for (int j = 1; j <= pc.npar; ++j)
            if (is_adjustable(pc.params[j]))
                computed += prior[i][++col] * pc.params[j].value;
        const pest_prior& pr = pc.priors[i];
        const double d = (pr.provided - computed) * pr.weight;
        if (pest_obs_group* g = find_group(pc, pr.group))
            g->contribution += d * d;
        prior_phi += d * d;
    }
    return 0;
}
