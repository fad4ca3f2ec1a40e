// An instruction file on arbitrary bytes: the check made before the first
// model call, then the walk over a model output file. The bytes up to the
// first NUL are the instruction file, the bytes after it the model output.
#include <cstddef>
#include <cstdint>
#include <string>

#include "calibration/pest_control.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    torva_fuzz::start_case();
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = text.find('\0');
    torva_fuzz::write_text("f.ins", text.substr(0, nul));
    torva_fuzz::write_text("f.out", nul == std::string::npos ? std::string("   1.0  2.0\n3.0\n")
                                                             : text.substr(nul + 1));

    static pest_control pc = [] {
        pest_control c;
        const char* names[] = {"Q05", "Q10", "q15", "QX"};
        c.nobs = 4;
        c.obs.assign(5, pest_obs());
        for (int i = 1; i <= 4; ++i)
            c.obs[i].name = names[i - 1];
        c.ninsfle = 1;
        c.instructions.assign(2, pest_instruction());
        c.instructions[1].instruction_file = "f.ins";
        c.instructions[1].model_file = "f.out";
        c.control_file = "case.pst";
        return c;
    }();
    pest_handles handles;
    if (OpenInstructionFiles(pc, handles) != 0)
        return 0;
    CheckInstructionFiles(pc, handles);
    ReadModelOutput(pc, 1, 1, handles);
    CloseInstructionFiles(pc, handles);
    return 0;
}
