// The project file: a header line, then one card per line.
#include <cstdio>
#include <string>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/text_parse.h"
#include "input/card_table.h"
#include "input/input_steps.h"
#include "input/project_cards.h"
#include "input/replace_params.h"

namespace {

// Longest project line, after the replacement of bracketed names.
constexpr int project_line_capacity = 255;

// One line of the project file, substituted in replacement mode. False at
// end of file or when the line does not fit (the error is then set). A card
// line's trailing carriage return is never part of a value or a name; the
// header keeps it, so that a CR-LF header is refused as before.
bool read_project_line(std::FILE* f, std::string& line, int line_number, bool& too_long)
{
    too_long = false;
    if (!read_raw_line(f, line)) return false;
    if (line_number > 1 && !line.empty() && line.back() == '\r') line.pop_back();
    if (replace_on && !replace_pairs_in_line(line, project_line_capacity)) {
        too_long = true;
        return false;
    }
    if (static_cast<int>(line.size()) > project_line_capacity) {
        std::printf("Error: line %d of the project file holds more than %d characters.\n", line_number,
                    project_line_capacity);
        too_long = true;
        return false;
    }
    return true;
}

void set_card_defaults(project_cards& c)
{
    c.m_river = 1.0;
    c.m_lake = 10.0;
    c.event_min_q = 0.1;
    c.overtype = 2;
    c.soil_moist_depth = 0.4;
    c.richards_weight = 1.0;
    c.richards_dtheta_max = 0.0025;
    c.richards_k_option = 2;
    c.richards_iter_max = 1;
    c.richards_upper_option = 1;
    c.aquifer_delta_z = -999.9;
    c.max_courant_number = 0.04;
    c.gw_timestep = 1.0;
    c.gw_lsor_con = 0.00001;
    c.gw_relax_coeff = 1.0;
    c.single_unsat_sat = 0.75;
    c.kinetics_timestep_factor = 1.0;
    c.soil_erosion = 1;
    c.qnt_event_num = -1;
    c.calib_comp_data = 2;
    c.calib_obj_func = 2;
    c.chan_ph = 7.2;
}

void stop_on_long_line(file_rec& project)
{
    file_rec_close(project);
    error_set(err_stop);
    report_error(error_state);
}

} // namespace

void read_project_file(const std::string& path, project_cards& cards, run_params& run,
                       precip_settings& precip, int toolbox_trial)
{
    run.project_not_found = 0;
    file_rec project;
    if (!file_rec_open(project, path, "r")) {
        std::fprintf(stderr, "Error opening project file named: %s\n", path.c_str());
        run.project_not_found = 1;
        return;
    }

    std::string line;
    bool too_long = false;
    const bool have_header = read_project_line(project.fp, line, 1, too_long);
    if (too_long) return stop_on_long_line(project);
    if (!have_header || (line != "TORVAPROJECT" && line != "ORLENTPROJECT")) {
        std::fputs("File Does not Appear to be a Valid TORVA/ORLENT Project file\n", stderr);
        std::fputs("Perhaps you Should Issue a 'dos2unix' Command if you are on a Unix machine?\n", stderr);
        std::fputs("TORVA Terminating....\n", stderr);
        file_rec_close(project);
        error_set(err_stop);
        report_error(error_state);
        return;
    }

    clear_card_records(cards, run, precip);
    set_card_defaults(cards);

    card_context ctx{cards, run, precip, toolbox_trial, false, path, 0, "", nullptr};
    int line_number = 1;
    while (read_project_line(project.fp, line, ++line_number, too_long)) {
        const int code = card_code(line, toolbox_trial);
        if (code == card_ignore) continue;
        ctx.line = line_number;
        apply_card(code, ctx, line);
        // A card whose action reported an error (or left its code) ends the reading.
        if (ctx.stop || run_stopped()) break;
    }
    if (too_long) return stop_on_long_line(project);
    file_rec_close(project);
}

void find_project_folder(const std::string& path)
{
    file_rec project;
    if (!file_rec_open(project, path, "r")) {
        std::fprintf(stderr, "Error opening project file named: %s\n", path.c_str());
        return;
    }
    std::string line;
    bool too_long = false;
    int line_number = 1;
    // The first line is the project file's header, not a card.
    read_project_line(project.fp, line, line_number, too_long);
    while (read_project_line(project.fp, line, ++line_number, too_long)) {
        const int code = card_code(line, 0);
        if (code == card_ignore) continue;
        const std::string word = card_word(code);
        if (word != "project_folder" && word != "project_path") continue;
        std::string value;
        pop_token(line, value);
        if (!value.empty()) set_project_path(value);
        return;
    }
    const size_t slash = path.find_last_of(folder_separator);
    if (slash == std::string::npos) return;
    std::string folder = path.substr(0, slash + 1);
    set_project_path(folder);
}
