// The head of the record file: the case, the method and the counts.
#include <cstdio>

#include "calibration/slm_routines.h"

int WriteRecordHeader(char** argv, const pest_control& pc, std::FILE* rec)
{
    std::fprintf(rec, "\n                            RECORD FILE \n\n");
    std::fprintf(rec, "\nINPUT INFORMATION \n\n");
    std::fprintf(rec, "\nINPUT CONTROL FILE \n\n");
    std::fprintf(rec, "Input control file case name: %s\n\n", argv[2]);
    std::fprintf(rec, "\nALGORITHM \n\n");
    if (pc.method == 0) {
        std::fprintf(rec, "The LM method is employed for this case.");
    } else if (pc.method == 1) {
        std::fprintf(rec, "The SLM method is employed for this case.");
        std::fprintf(
            rec,
            "\n\nThe number of columns used for cyclic updating with the SLM method for this case is: %d.",
            pc.cyclic_columns);
        if (pc.full_update == 1) {
            std::fprintf(
                rec, "\n\nFull updating of the model sensitivity matrix was activated with the SLM method "
                     "for this case.");
            std::fprintf(
                rec,
                "\n\nThe threshold value (i.e., the ratio of the current to the previous objective "
                "function value) specified to activate a full update with the SLM method for this case "
                "is %lf.",
                pc.full_update_threshold);
        }
    }
    std::fprintf(rec, "\n\n\nCONTROL DATA INPUT");
    std::fprintf(rec, "\n\nThe number of parameters specified in the input control file is:\t\t\t\t%d",
                 pc.npar);
    std::fprintf(rec,
                 "\nThe number of adjustable model parameters specified in the input control file is:\t\t%d",
                 pc.num_adjustable);
    std::fprintf(rec,
                 "\nThe number of fixed model parameters specified in the input control file is:\t\t\t%d",
                 pc.num_fixed);
    std::fprintf(rec, "\nThe number of tied model parameters specified in the input control file is:\t\t\t%d",
                 pc.num_tied);
    std::fprintf(rec, "\nThe number of observations specified in the input control file is:\t\t\t\t%d",
                 pc.nobs);
    std::fprintf(rec,
                 "\nThe number of pieces of prior information specified in the input control file is:\t\t%d",
                 pc.nprior);
    std::fprintf(rec, "\nThe number of parameter groups specified in the input control file is:\t\t\t\t%d",
                 pc.npargp);
    std::fprintf(rec, "\nThe number of observation groups specified in the input control file is:\t\t\t%d",
                 pc.nobsgp);
    std::fprintf(rec, "\n\n\n");
    return 0;
}
