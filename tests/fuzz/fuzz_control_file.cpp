// The toolbox's control file on arbitrary bytes: the reader with its table
// checks, then the start checks of a driver, the template scan and the
// instruction check over the example's template and instruction files.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "calibration/pest_control.h"
#include "calibration/slm_routines.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    torva_fuzz::start_case();
    torva_fuzz::write_text("plane.tpl", "ptf #\nMANNING_N       #n       #\n");
    torva_fuzz::write_text("plane.ins", "pif @\nl2 w w !Q05!\nl1 w w !Q10!\n");
    const std::string path = torva_fuzz::write_input("case.pst", data, size);
    std::vector<std::string> words{"torva", "-slm", path};
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    pest_control pc;
    if (ReadControlFile(pc, 3, argv.data()) != 0)
        return 0;
    ClassifyParameters(pc);
    ParametersCannotStart(pc);
    SetTieRatios(pc);
    pest_handles templates, instructions;
    if (OpenTemplateFiles(pc, templates) == 0) {
        ScanTemplateFiles(pc, templates);
        CloseTemplateFiles(pc, templates);
    }
    if (OpenInstructionFiles(pc, instructions) == 0) {
        CheckInstructionFiles(pc, instructions);
        CloseInstructionFiles(pc, instructions);
    }
    return 0;
}
