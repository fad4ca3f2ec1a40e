// The trajectory-repulsion global search from the command line:
// "-tr case.pst". Reads "tr.in" and the toolbox's control, template and
// instruction files, classifies the parameters, opens the case files, the
// record and the seed file, and runs TrajrepSearch with every run a
// complete model run in this process.
#include <cstdio>

#include "calibration/calibration_modes.h"
#include "calibration/global_search.h"
#include "calibration/slm_routines.h"

namespace
{

// Everything the driver opens, closed whichever way it returns.
struct tr_files {
    const pest_control& pc;
    pest_handles templates, instructions;
    std::FILE* out[4] = {nullptr, nullptr, nullptr, nullptr}; // rec, sen, mtt, par
    std::FILE* rec = nullptr;                                   // slm_vbq_ms2.rec
    explicit tr_files(const pest_control& c) : pc(c) {}
    ~tr_files()
    {
        CloseTemplateFiles(pc, templates);
        CloseInstructionFiles(pc, instructions);
        for (std::FILE* fp : out)
            if (fp)
                std::fclose(fp);
        if (rec)
            std::fclose(rec);
    }
};

int cannot_open(const char* name)
{
    std::printf("Cannot open %s for writing\n", name);
    return 1;
}

} // namespace

int trajrep_calibrate(int argc, char** argv)
{
    if (argc < 3) {
        std::printf("\n");
        std::printf("No command line arguments.\n");
        std::printf("At the command prompt, please enter appropriate additional information.\n");
        std::printf("Review the TORVA user's manual as needed.\n");
        return 1;
    }
    std::printf("\nUsing the trajectory repulsion stochastic global optimization method,\n");
    std::printf("as implemented directly in TORVA, to calibrate the current TORVA model.\n");
    std::printf("Trajectory repulsion uses the (Secant) Levenberg-Marquardt local search method,\n");
    std::printf("as implemented directly in TORVA, for local search.\n\n");

    // The control file is read first, so that a missing or bad one stops
    // the strategy before any file is written or any model run made.
    trajrep_settings settings;
    if (ReadTrajrepControl("tr.in", settings) != 0)
        return 1;

    pest_control pc;
    int rc = ReadControlFile(pc, argc, argv);
    if (rc != 0)
        return rc;
    tr_files files(pc);
    if ((rc = OpenTemplateFiles(pc, files.templates)) != 0 ||
        (rc = ScanTemplateFiles(pc, files.templates)) != 0 ||
        (rc = OpenInstructionFiles(pc, files.instructions)) != 0)
        return rc;
    std::remove("pest.stp");

    if (pc.mode == "prediction") {
        std::printf("\n");
        std::printf("Currently, the slm_vbq_ms2 does not support prediction capabilities.\n");
        std::printf("Please change the PESTMODE parameter in the input control\n");
        std::printf("file to 'estimation' and recommence execution of slm_vbq_ms2.\n");
        std::printf("\n");
        return 1;
    }
    ClassifyParameters(pc);
    if (ParametersCannotStart(pc))
        return 0;
    if (CheckGlobalStart(argc, argv, pc, "trajectory repulsion") != 0)
        return 1;

    std::printf("This program will either generate or read seeds associated with\n");
    std::printf("random sampling - the ability to read thus precludes having\n");
    std::printf("to recompute previously computed pre-inversion runs.\n\n");
    sample_seeds seeds;
    if (OpenSeedFile(seeds, settings.choice, settings.seed) != 0 || CheckSeedsAvailable(seeds, settings.runs) != 0)
        return 1;

    SetTieRatios(pc);
    toolbox_names names;
    if ((rc = FilesNamesForWrite(argc, argv, names)) != 0)
        return rc;
    const char* const paths[4] = {names.rec.c_str(), names.sen.c_str(), names.mtt.c_str(), names.par.c_str()};
    for (int k = 0; k < 4; ++k)
        if (!(files.out[k] = std::fopen(paths[k], "w")))
            return cannot_open(paths[k]);
    if (!(files.rec = std::fopen("slm_vbq_ms2.rec", "w")))
        return cannot_open("slm_vbq_ms2.rec");

    toolbox_model tm;
    tm.handles = &files.instructions;
    tm.mode = argv[1];
    const pest_model_call model = [&tm](pest_control& c, pest_values which, int slot) {
        return ToolboxModelCall(tm, c, which, slot);
    };
    rc = TrajrepSearch(argc, argv, pc, names, files.out, settings, seeds, files.rec, model);

    for (int k = 0; k < 5; ++k) {
        std::FILE*& fp = k < 4 ? files.out[k] : files.rec;
        const int closed = std::fclose(fp);
        fp = nullptr;
        if (closed != 0) {
            std::printf("Cannot write %s\n", k < 4 ? paths[k] : "slm_vbq_ms2.rec");
            rc = 1;
        }
    }
    return rc;
}
