// The multistart global search from the command line: "-ms case.pst".
// Reads "ms.in" and the toolbox's control, template and instruction files,
// classifies the parameters, opens the case files and the multistart
// records, and runs MultistartSearch with every run a complete model run in
// this process.
#include <cstdio>

#include "calibration/calibration_modes.h"
#include "calibration/global_search.h"
#include "calibration/slm_routines.h"

namespace
{

// Everything the driver opens, closed whichever way it returns.
struct ms_files {
    const pest_control& pc;
    pest_handles templates, instructions;
    std::FILE* out[4] = {nullptr, nullptr, nullptr, nullptr}; // rec, sen, mtt, par
    std::FILE* rec = nullptr;                                   // slm_vbq_ms1.rec
    std::FILE* prn = nullptr;                                   // parameters.prn
    explicit ms_files(const pest_control& c) : pc(c) {}
    ~ms_files()
    {
        CloseTemplateFiles(pc, templates);
        CloseInstructionFiles(pc, instructions);
        for (std::FILE* fp : out)
            if (fp)
                std::fclose(fp);
        if (rec)
            std::fclose(rec);
        if (prn)
            std::fclose(prn);
    }
};

int cannot_open(const char* name)
{
    std::printf("Cannot open %s for writing\n", name);
    return 1;
}

} // namespace

int multistart_calibrate(int argc, char** argv)
{
    if (argc < 3) {
        std::printf("\n");
        std::printf("No command line arguments.\n");
        std::printf("At the command prompt, please enter appropriate additional information.\n");
        std::printf("Review the TORVA user's manual as needed.\n");
        return 1;
    }
    std::printf("\nUsing the multistart stochastic global optimization method,\n");
    std::printf("as implemented directly in TORVA, to calibrate the current TORVA model.\n");
    std::printf("Multistart uses the (Secant) Levenberg-Marquardt local search method,\n");
    std::printf("as implemented directly in TORVA, for local search.\n\n");

    // The control file is read first, so that a missing or bad one stops
    // the strategy before any file is written or any model run made.
    multistart_settings settings;
    if (ReadMultistartControl("ms.in", settings) != 0)
        return 1;

    pest_control pc;
    int rc = ReadControlFile(pc, argc, argv);
    if (rc != 0)
        return rc;
    ms_files files(pc);
    if ((rc = OpenTemplateFiles(pc, files.templates)) != 0 ||
        (rc = ScanTemplateFiles(pc, files.templates)) != 0 ||
        (rc = OpenInstructionFiles(pc, files.instructions)) != 0)
        return rc;
    std::remove("pest.stp");

    if (pc.mode == "prediction") {
        std::printf("\n");
        std::printf("Currently, the slm_vbq_ms1 does not support prediction capabilities.\n");
        std::printf("Please change the PESTMODE parameter in the input control\n");
        std::printf("file to 'estimation' and recommence execution of slm_vbq_ms1.\n");
        std::printf("\n");
        return 1;
    }
    ClassifyParameters(pc);
    if (ParametersCannotStart(pc))
        return 0;
    if (CheckGlobalStart(argc, argv, pc, "multistart") != 0)
        return 1;

    SetTieRatios(pc);
    toolbox_names names;
    if ((rc = FilesNamesForWrite(argc, argv, names)) != 0)
        return rc;
    const char* const paths[4] = {names.rec.c_str(), names.sen.c_str(), names.mtt.c_str(), names.par.c_str()};
    for (int k = 0; k < 4; ++k)
        if (!(files.out[k] = std::fopen(paths[k], "w")))
            return cannot_open(paths[k]);
    if (!(files.rec = std::fopen("slm_vbq_ms1.rec", "w")))
        return cannot_open("slm_vbq_ms1.rec");
    if (!(files.prn = std::fopen("parameters.prn", "w")))
        return cannot_open("parameters.prn");
    sample_seeds seeds;
    if (OpenSeedFile(seeds, 'Y', settings.seed) != 0)
        return 1;

    toolbox_model tm;
    tm.handles = &files.instructions;
    tm.mode = argv[1];
    const pest_model_call model = [&tm](pest_control& c, pest_values which, int slot) {
        return ToolboxModelCall(tm, c, which, slot);
    };
    rc = MultistartSearch(argc, argv, pc, names, files.out, settings, seeds, files.rec, files.prn, model);

    const char* const others[2] = {"slm_vbq_ms1.rec", "parameters.prn"};
    std::FILE** const other_fps[2] = {&files.rec, &files.prn};
    for (int k = 0; k < 6; ++k) {
        std::FILE*& fp = k < 4 ? files.out[k] : *other_fps[k - 4];
        const int closed = std::fclose(fp);
        fp = nullptr;
        if (closed != 0) {
            std::printf("Cannot write %s\n", k < 4 ? paths[k] : others[k - 4]);
            rc = 1;
        }
    }
    return rc;
}
