// The start check shared by the toolbox drivers: a control file without
// adjustable parameters, or with a start value outside its bounds, is
// reported (the toolbox's own lines, then one naming the control file, the
// line and the values) and the driver ends without a model run.
#include <cstdio>

#include "calibration/pest_control.h"
#include "calibration/slm_routines.h"

bool ParametersCannotStart(const pest_control& pc)
{
    if (pc.num_adjustable == 0) {
        std::printf("\n");
        std::printf("\n");
        std::printf("The number of adjustable model parameters is zero. \n");
        std::printf("Modify the input control file and try again. \n");
        std::printf("\n");
        std::printf("\n");
        std::printf(
            "Error in the control file %s, parameter data: every one of its %d parameters is fixed or "
            "tied.\n",
            pc.control_file.c_str(), pc.npar);
        return true;
    }
    bool outside = false;
    for (int i = 1; i <= pc.npar; ++i) {
        const pest_param& p = pc.params[i];
        if (p.value < p.lower || p.value > p.upper) {
            std::printf(
                "\nThe intial value for the following parameter is outside of its specified bounds: %s",
                p.name.c_str());
            outside = true;
        }
    }
    if (!outside)
        return false;
    std::printf("\nModify the input control file and try again.\n");
    for (int i = 1; i <= pc.npar; ++i) {
        const pest_param& p = pc.params[i];
        if (p.value < p.lower || p.value > p.upper)
            std::printf(
                "Error in the control file %s, parameter data, line %d: the initial value %g of parameter "
                "%s lies outside its bounds %g to %g.\n",
                pc.control_file.c_str(), p.line, natural_value(p, p.value), p.name.c_str(),
                natural_value(p, p.lower), natural_value(p, p.upper));
    }
    return true;
}
