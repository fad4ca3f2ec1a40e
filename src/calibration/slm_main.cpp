// The toolbox's local search from the command line: "-slm case.pst [/r]".
// Reads and checks the control, template and instruction files, classifies
// the parameters, opens the four output files and runs the search with
// every trial a complete model run in this process.
#include <cstdio>

#include "calibration/calibration_modes.h"
#include "calibration/toolbox_run.h"

int slm_main(int argc, char** argv)
{
    toolbox_driver d;
    d.usage = {"\n", "No command line arguments.\n", "At the command prompt, please also enter the name\n",
               "of the input control file following the program name, slm_vbq.\n"};
    d.banner = {"\nUsing the (Secant) Levenberg-Marquardt local search method,\n",
                "as implemented directly in TORVA, to calibrate the current TORVA model.\n"};
    d.prediction = {
        "\n",
        "Currently, slm_vbq does not support prediction capabilities similar to that within the PEST.\n",
        "Please change the MODE parameter in the control\n",
        "file to 'estimation' or 'regularization' and recommence execution of slm_vbq.\n", "\n"};
    d.estimation_modes_only = true;
    toolbox_run run;
    bool go_on = false;
    const int rc = OpenToolboxRun(argc, argv, d, run, go_on);
    if (!go_on)
        return rc;
    std::FILE* const* out = run.files.data();
    WriteRecordHeader(argv, run.pc, out[0]);
    return CloseToolboxRun(
        run, LMInversion(argc, argv, run.pc, run.names, out[0], out[1], out[2], out[3], run.model));
}
