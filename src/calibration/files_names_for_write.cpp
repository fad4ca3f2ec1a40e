// The output names of a calibration, from the control-file name.
#include <cstdio>

#include "calibration/slm_routines.h"

int FilesNamesForWrite(int argc, char** argv, toolbox_names& names)
{
    if (argc < 3) {
        std::printf("No control file named on the command line.\n");
        return 1;
    }
    const std::string control = argv[2];
    // The base ends at the first '.' of the file name itself, so that a
    // folder such as "../runs/" keeps its dots.
    const std::size_t slash = control.find_last_of('/');
    const std::size_t from = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = control.find('.', from);
    names.base = dot == std::string::npos ? control : control.substr(0, dot);
    if (names.base.size() > 95) {
        std::printf("The case name %s is longer than 95 characters.\n", names.base.c_str());
        return 1;
    }
    names.rec = names.base + ".rec";
    names.sen = names.base + ".sen";
    names.mtt = names.base + ".mtt";
    names.par = names.base + ".par";
    names.rst = names.base + ".rst";
    return 0;
}
