// The toolbox's local search from the command line: "-slm case.pst [/r]".
// Reads and checks the control, template and instruction files, classifies
// the parameters, opens the four output files and runs the search with
// every trial a complete model run in this process.
#include <cstdio>
#include <cstring>

#include "calibration/calibration_modes.h"
#include "calibration/slm_routines.h"

namespace
{

// The template and instruction streams and the four output files, closed
// whichever way the driver returns.
struct slm_files {
    const pest_control& pc;
    pest_handles templates, instructions;
    std::FILE* out[4] = {nullptr, nullptr, nullptr, nullptr}; // rec, sen, mtt, par
    explicit slm_files(const pest_control& c) : pc(c) {}
    ~slm_files()
    {
        CloseTemplateFiles(pc, templates);
        CloseInstructionFiles(pc, instructions);
        for (std::FILE* fp : out)
            if (fp)
                std::fclose(fp);
    }
};

} // namespace

int slm_main(int argc, char** argv)
{
    if (argc < 3) {
        std::printf("\n");
        std::printf("No command line arguments.\n");
        std::printf("At the command prompt, please also enter the name\n");
        std::printf("of the input control file following the program name, slm_vbq.\n");
        return 1;
    }
    std::printf("\nUsing the (Secant) Levenberg-Marquardt local search method,\n");
    std::printf("as implemented directly in TORVA, to calibrate the current TORVA model.\n");

    pest_control pc;
    int rc = ReadControlFile(pc, argc, argv);
    if (rc != 0)
        return rc;
    slm_files files(pc);
    if ((rc = OpenTemplateFiles(pc, files.templates)) != 0 ||
        (rc = ScanTemplateFiles(pc, files.templates)) != 0 ||
        (rc = OpenInstructionFiles(pc, files.instructions)) != 0)
        return rc;
    std::remove("pest.stp");

    if (pc.mode == "prediction") {
        std::printf("\n");
        std::printf(
            "Currently, slm_vbq does not support prediction capabilities similar to that within the PEST.\n");
        std::printf("Please change the MODE parameter in the control\n");
        std::printf("file to 'estimation' or 'regularization' and recommence execution of slm_vbq.\n");
        std::printf("\n");
        return 1;
    }
    if (pc.mode != "estimation" && pc.mode != "regularization" && pc.mode != "regularisation") {
        std::printf(
            "\nThe MODE parameter of the control file, \"%s\", is not 'estimation', 'regularization' or "
            "'regularisation'.\n",
            pc.mode.c_str());
        return 1;
    }

    ClassifyParameters(pc);
    if (ParametersCannotStart(pc))
        return 0;

    SetTieRatios(pc);
    toolbox_names names;
    if ((rc = FilesNamesForWrite(argc, argv, names)) != 0)
        return rc;
    const bool resume = argc >= 4 && std::strcmp(argv[3], "/r") == 0;
    const char* const paths[4] = {names.rec.c_str(), names.sen.c_str(), names.mtt.c_str(), names.par.c_str()};
    const char* const modes[4] = {resume ? "a" : "w", resume ? "a" : "w", "w", "w"};
    for (int k = 0; k < 4; ++k) {
        files.out[k] = std::fopen(paths[k], modes[k]);
        if (!files.out[k]) {
            std::printf("Cannot open %s for writing\n", paths[k]);
            return 1;
        }
    }
    std::FILE* rec = files.out[0];
    WriteRecordHeader(argv, pc, rec);

    toolbox_model tm;
    tm.handles = &files.instructions;
    tm.mode = argv[1];
    const pest_model_call model = [&tm](pest_control& c, pest_values which, int slot) {
        return ToolboxModelCall(tm, c, which, slot);
    };
    rc = LMInversion(argc, argv, pc, names, rec, files.out[1], files.out[2], files.out[3], model);
    if (rc != 0)
        return rc;
    for (int k = 0; k < 4; ++k) {
        const int closed = std::fclose(files.out[k]);
        files.out[k] = nullptr;
        if (closed != 0) {
            std::printf("Cannot write %s\n", paths[k]);
            rc = 1;
        }
    }
    return rc;
}
