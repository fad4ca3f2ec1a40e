// The MLSL global search from the command line: "-mlsl case.pst". Reads
// "mlsl.in" and the toolbox's control, template and instruction files,
// classifies the parameters, opens the case files, the record
// "slm_vbq_mlsl.rec" and the seed file, and runs MlslSearch with every run a
// complete model run in this process.
#include <cstdio>

#include "calibration/calibration_modes.h"
#include "calibration/global_search.h"
#include "calibration/toolbox_run.h"

int mlsl_calibrate(int argc, char** argv)
{
    mlsl_settings settings;
    toolbox_driver d =
        GlobalStrategyDriver("Multi Level Single Linkage (MLSL)", "MLSL", "MLSL", "slm_vbq_ms2");
    d.read_strategy = [&settings] { return ReadMlslControl("mlsl.in", settings); };
    d.check_tables = [&settings](const pest_control& pc) {
        return CheckStrategyTables("mlsl.in", "MLSL", pc,
                                   static_cast<double>(settings.samples) * settings.max_iterations,
                                   settings.max_searches);
    };
    toolbox_run run;
    bool go_on = false;
    int rc = OpenToolboxRun(argc, argv, d, run, go_on);
    if (!go_on)
        return rc;
    std::FILE* rec = OpenRunFile(run, "slm_vbq_mlsl.rec");
    sample_seeds seeds;
    if (!rec || StartSampleSeeds(seeds, settings.choice, settings.seed, settings.samples) != 0)
        return 1;
    rc = MlslSearch(argc, argv, run.pc, run.names, run.files.data(), settings, seeds, rec, run.model);
    return CloseToolboxRun(run, rc);
}
