// The start-up header of the run summary file.
#include <cstdio>

#include "core/model_state.h"
#include "input/input_steps.h"
#include "input/replace_params.h"

void print_startup_info(model_state& s, const std::string& project_path)
{
    std::FILE* f = s.summary_file.fp;
    if (!f) return;
    std::fprintf(f, "\n\n");
    std::fprintf(f, "_________TORVA start-up information________\n");
    std::fprintf(f, "Run parameters read from VKS project file: %s\n", project_path.c_str());
    if (replace_on) print_replace_values(s.summary_file, s.calib_mode == 0);
}
