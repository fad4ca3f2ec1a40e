// The trajectory-repulsion global search from the command line:
// "-tr case.pst". Reads "tr.in" and the toolbox's control, template and
// instruction files, classifies the parameters, opens the case files, the
// record and the seed file, and runs TrajrepSearch with every run a
// complete model run in this process.
#include <cstdio>

#include "calibration/calibration_modes.h"
#include "calibration/global_search.h"
#include "calibration/toolbox_run.h"

int trajrep_calibrate(int argc, char** argv)
{
    trajrep_settings settings;
    toolbox_driver d = GlobalStrategyDriver("trajectory repulsion", "Trajectory repulsion",
                                            "trajectory repulsion", "slm_vbq_ms2");
    d.read_strategy = [&settings] { return ReadTrajrepControl("tr.in", settings); };
    d.check_tables = [&settings](const pest_control& pc) {
        return CheckStrategyTables("tr.in", "trajectory repulsion", pc, settings.runs,
                                   settings.max_inversions);
    };
    toolbox_run run;
    bool go_on = false;
    int rc = OpenToolboxRun(argc, argv, d, run, go_on);
    if (!go_on)
        return rc;
    std::FILE* rec = OpenRunFile(run, "slm_vbq_ms2.rec");
    sample_seeds seeds;
    if (!rec || StartSampleSeeds(seeds, settings.choice, settings.seed, settings.runs) != 0)
        return 1;
    rc = TrajrepSearch(argc, argv, run.pc, run.names, run.files.data(), settings, seeds, rec, run.model);
    return CloseToolboxRun(run, rc);
}
