// Parameter classes, tie ratios and the adjustable list shared by the
// toolbox drivers.
#include <cmath>

#include "calibration/numerical_routines.h"
#include "calibration/slm_routines.h"

double natural_value(const pest_param& p, double stored)
{
    return is_log(p) ? std::pow(10.0, stored) : stored;
}

int ClassifyParameters(pest_control& pc)
{
    pc.num_adjustable = pc.num_fixed = pc.num_tied = pc.num_prefixed = pc.num_frozen = 0;
    for (int i = 1; i <= pc.npar; ++i) {
        pest_param& p = pc.params[i];
        p.prefix = 0;
        if (is_tied(p)) {
            ++pc.num_tied;
        } else if (is_fixed(p)) {
            ++pc.num_fixed;
        } else {
            ++pc.num_adjustable;
            if (p.name.compare(0, 3, "iw_") == 0) {
                p.prefix = 1;
                ++pc.num_prefixed;
            }
        }
    }
    return 0;
}

int SetTieRatios(pest_control& pc)
{
    for (int i = 1; i <= pc.npar; ++i) {
        pc.params[i].parent = 0;
        pc.params[i].tie_ratio = 1.0;
    }
    if (pc.num_tied == 0)
        return 0;
    for (int i = 1; i <= pc.npar; ++i) {
        pest_param& p = pc.params[i];
        if (!is_tied(p))
            continue;
        for (int j = 1; j <= pc.npar; ++j) {
            const pest_param& parent = pc.params[j];
            if (parent.name != p.parent_name)
                continue;
            p.parent = j;
            p.tie_ratio = natural_value(p, p.value) / natural_value(parent, parent.value);
            break;
        }
    }
    return 0;
}

int ListAdjustableParameters(const pest_control& pc, int* list)
{
    int n = 0;
    for (int i = 1; i <= pc.npar; ++i)
        if (is_adjustable(pc.params[i]))
            list[++n] = i;
    return 0;
}

int RandomStartPoint(pest_control& pc, int& seed)
{
    for (int i = 1; i <= pc.npar; ++i) {
        pest_param& p = pc.params[i];
        if (!is_adjustable(p))
            continue;
        const double u = uniform_deviate(seed);
        if (is_log(p)) {
            const double lo = std::pow(10.0, p.lower);
            const double hi = std::pow(10.0, p.upper);
            p.value = std::log10(lo + u * (hi - lo));
        } else {
            p.value = p.lower + u * (p.upper - p.lower);
        }
    }
    return 0;
}
