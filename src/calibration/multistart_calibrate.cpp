// The multistart global search from the command line: "-ms case.pst".
// Reads "ms.in" and the toolbox's control, template and instruction files,
// classifies the parameters, opens the case files and the multistart
// records, and runs MultistartSearch with every run a complete model run in
// this process.
#include <cstdio>

#include "calibration/calibration_modes.h"
#include "calibration/global_search.h"
#include "calibration/toolbox_run.h"

int multistart_calibrate(int argc, char** argv)
{
    multistart_settings settings;
    toolbox_driver d = GlobalStrategyDriver("multistart", "Multistart", "multistart", "slm_vbq_ms1");
    d.read_strategy = [&settings] { return ReadMultistartControl("ms.in", settings); };
    d.check_tables = [&settings](const pest_control& pc) {
        return CheckStrategyTables("ms.in", "multistart", pc, settings.runs, 0);
    };
    toolbox_run run;
    bool go_on = false;
    int rc = OpenToolboxRun(argc, argv, d, run, go_on);
    if (!go_on)
        return rc;
    std::FILE* rec = OpenRunFile(run, "slm_vbq_ms1.rec");
    std::FILE* prn = rec ? OpenRunFile(run, "parameters.prn") : nullptr;
    sample_seeds seeds;
    if (!prn || OpenSeedFile(seeds, 'Y', settings.seed) != 0)
        return 1;
    rc = MultistartSearch(argc, argv, run.pc, run.names, run.files.data(), settings, seeds, rec, prn,
                          run.model);
    return CloseToolboxRun(run, rc);
}
