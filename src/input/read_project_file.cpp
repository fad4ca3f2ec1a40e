// The project file: its header line, then one card per line.
#include <cstdio>
#include <cstring>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "input/input_steps.h"
#include "input/project_cards.h"

namespace {

// Reads one line without its trailing newline; false at end of file.
bool read_raw_line(std::FILE* f, std::string& line)
{
    line.clear();
    int ch;
    bool any = false;
    while ((ch = std::fgetc(f)) != EOF) {
        any = true;
        if (ch == '\n') break;
        line += static_cast<char>(ch);
    }
    return any;
}

} // namespace

void read_project_file(const std::string& path, project_cards& /*cards*/, run_params& run,
                       precip_settings& /*precip*/, int /*toolbox_trial*/)
{
    run.project_not_found = 0;
    file_rec project;
    if (!file_rec_open(project, path, "r")) {
        std::fprintf(stderr, "Error opening project file named: %s\n", path.c_str());
        run.project_not_found = 1;
        return;
    }

    std::string line;
    if (!read_raw_line(project.fp, line) || (line != "TORVAPROJECT" && line != "ORLENTPROJECT")) {
        std::fputs("File Does not Appear to be a Valid TORVA/ORLENT Project file\n", stderr);
        std::fputs("Perhaps you Should Issue a 'dos2unix' Command if you are on a Unix machine?\n", stderr);
        std::fputs("TORVA Terminating....\n", stderr);
        file_rec_close(project);
        error_set(err_stop);
        report_error(error_state);
        return;
    }
    // TODO: clear the card records, set their defaults and apply every card.
    file_rec_close(project);
}
