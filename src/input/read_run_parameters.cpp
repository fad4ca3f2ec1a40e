// First step of a run: the project file into the card records, then the
// card values into the working fields of the run.
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/proc_group.h"
#include "input/input_steps.h"

void read_run_parameters(model_state& s, const std::string& project_path)
{
    if (!s.calib_mode && group_ctx.rank == 0)
        std::printf("reading run parameters from project file: %s\n", project_path.c_str());

    read_project_file(project_path, s.cards, s.run, s.precip, s.calib_mode);
    if (s.run.project_not_found) {
        error_set(err_project_not_found);
        error_state.raised = 1;
        return;
    }
    // TODO: card values into the working fields of the run.
}
