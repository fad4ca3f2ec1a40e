// The analyzer file and the analyzers it describes: one analyzer per line
// (kind, variable, triggers, operator, threshold, actions, then the interval
// with trigger "t" and the output file with action "f"). Lines are read
// whole, whatever their length.
#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/clock_state.h"
#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/model_state.h"
#include "core/text_parse.h"
#include "output/analyzer.h"

unsigned analyzer_op_code(const std::string& w)
{
    // Two-character operators first, so "<=" is never read as "<".
    if (w.compare(0, 2, "<=") == 0)
        return op_le;
    if (w.compare(0, 2, ">=") == 0)
        return op_ge;
    if (w.compare(0, 2, "==") == 0)
        return op_eq;
    if (w.compare(0, 1, "<") == 0)
        return op_lt;
    if (w.compare(0, 1, ">") == 0)
        return op_gt;
    if (w == "+")
        return op_plus;
    if (w == "-")
        return op_minus;
    if (w == "*")
        return op_times;
    if (w == "\\")
        return op_divide;
    return op_other;
}

// ---- analyzer ---------------------------------------------------------------

namespace
{

// The bit of each letter of a TRIGGERS or ACTIONS word; 0 for a letter
// that has none.
unsigned trigger_bit(char c)
{
    switch (c) {
    case 't': return analyzer_step_end;
    case 'E': return analyzer_rain_start;
    case 'e': return analyzer_event_end;
    case 'S': return analyzer_init_done;
    case 's': return analyzer_run_done;
    case 'c': return analyzer_run_error;
    default: return 0;
    }
}

unsigned action_bit(char c)
{
    switch (c) {
    case 't': return print_list;
    case 'v': return print_rows;
    case 's': return print_screen;
    case 'f': return print_file;
    case 'c': return print_summary;
    case 'd': return print_values;
    default: return 0;
    }
}

// The first letter of a word that has no bit, or 0.
char unknown_letter(const std::string& word, unsigned (*bit)(char))
{
    for (char c : word)
        if (bit(c) == 0)
            return c;
    return 0;
}

} // namespace

bool analyzer::configure(model_state& s, std::string& line, std::string& fault)
{
    std::string variable;
    pop_token(line, variable);
    if (variable.empty()) {
        fault = "the line ends after its kind; an analyzer names its variable, triggers, operator, threshold "
                "and actions";
        return false;
    }
    if (!create_logic(s, variable)) {
        fault = "the variable \"" + variable + "\" names no array this run keeps (see above)";
        return false;
    }

    std::string word;
    pop_token(line, word);
    if (word.empty()) {
        fault = "the line ends before its TRIGGERS letters (t, E, e, S, s, c)";
        return false;
    }
    if (const char c = unknown_letter(word, trigger_bit)) {
        fault = "the TRIGGERS word \"" + word + "\" holds '" + std::string(1, c) +
                "', which is none of the letters t, E, e, S, s and c";
        return false;
    }
    trigger_flags = 0;
    for (char c : word)
        trigger_flags |= trigger_bit(c);

    word.clear();
    pop_token(line, word);
    op = analyzer_op_code(word);
    if (op == op_other) {
        fault = word.empty() ? "the line ends before its OPERATOR"
                             : "the OPERATOR \"" + word + "\" is none of <, >, ==, <=, >=, +, -, * and \\";
        return false;
    }
    std::string_view rest(line);
    const std::string_view before = rest;
    const num_status st = pop_double_strict(rest, threshold);
    if (st != num_status::ok) {
        std::string_view at = before;
        pop_token(at, word);
        fault = st == num_status::empty ? "the line ends before its THRESHOLD"
                                        : "the THRESHOLD \"" + printable(word) + "\" " + num_status_text(st);
        return false;
    }
    line = std::string(rest);

    word.clear();
    pop_token(line, word);
    if (word.empty()) {
        fault = "the line ends before its ACTIONS letters (t, v, s, f, c, d)";
        return false;
    }
    if (const char c = unknown_letter(word, action_bit)) {
        fault = "the ACTIONS word \"" + word + "\" holds '" + std::string(1, c) +
                "', which is none of the letters t, v, s, f, c and d";
        return false;
    }
    print_flags = 0;
    for (char c : word) {
        // Of t (list) and v (rows) the one that comes last wins.
        if (c == 't')
            print_flags &= ~static_cast<unsigned>(print_rows);
        if (c == 'v')
            print_flags &= ~static_cast<unsigned>(print_list);
        print_flags |= action_bit(c);
    }

    if (trigger_flags & analyzer_step_end) {
        // Seconds between examinations; without the word, every step.
        int seconds = 0;
        rest = line;
        const std::string_view at = rest;
        const num_status sv = pop_int_strict(rest, seconds);
        if (sv != num_status::ok && sv != num_status::empty) {
            std::string_view w = at;
            pop_token(w, word);
            fault = "the INTERVAL \"" + printable(word) + "\" " + num_status_text(sv) + " (whole seconds)";
            return false;
        }
        if (seconds < 0) {
            fault = "the INTERVAL " + std::to_string(seconds) + " is negative";
            return false;
        }
        line = std::string(rest);
        now = &s.current_time;
        interval = seconds / 86400.0;
        next_time = s.current_time;
        tolerance = process_time_tol;
    }
    if (print_flags & print_file) {
        pop_token(line, out_name);
        if (out_name.empty()) {
            fault = "the ACTIONS letter f asks for an output file, and the line names none";
            return false;
        }
        if (!file_rec_open(out, out_name, "w")) {
            fault = "its output file \"" + out_name + "\" cannot be opened for writing";
            return false;
        }
    }
    word.clear();
    if (pop_token(line, word)) {
        fault = "\"" + printable(word) + "\" follows the last token of the line's layout";
        return false;
    }
    return true;
}

void analyzer::trigger(model_state& /*state*/, int event_bits)
{
    const unsigned f = trigger_flags & static_cast<unsigned>(event_bits);
    if ((f & analyzer_step_end) && now && *now >= next_time - tolerance) {
        next_time = *now + interval;
        evaluate(event_bits);
        return;
    }
    if (f & (analyzer_rain_start | analyzer_event_end | analyzer_init_done | analyzer_run_done |
             analyzer_run_error))
        evaluate(event_bits);
}

void analyzer::evaluate(int event_bits)
{
    if (!logic)
        return;
    switch (op) {
    case op_lt:
        logic->test_lt(threshold);
        break;
    case op_gt:
        logic->test_gt(threshold);
        break;
    case op_eq:
        logic->test_eq(threshold);
        break;
    case op_le:
        logic->test_le(threshold);
        break;
    case op_ge:
        logic->test_ge(threshold);
        break;
    default:
        return; // arithmetic and unknown operators test nothing
    }
    logic->report(print_flags, event_bits, out.fp);
}

bool stanalyzer_2dst::create_logic(model_state& s, const std::string& variable)
{
    std::string name = variable;
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    auto test = std::make_unique<st2d_logical_OP>();
    const dnode_mat* target = nullptr;
    if (name.compare(0, 5, "depth") == 0) {
        target = &s.yp;
        test->set_operand(op_minus, &s.bel);
    } else if (name.compare(0, 4, "area") == 0) {
        target = &s.area;
    } else if (name.compare(0, 4, "flow") == 0) {
        target = &s.qp;
    }
    if (!target) {
        std::printf("Error: unable to find 2DS array [%s]; the names are depth, area and flow.\n",
                    variable.c_str());
        return false;
    }
    test->bind(s, target, variable);
    logic = std::move(test);
    return true;
}

bool stanalyzer_1dst::create_logic(model_state& s, const std::string& variable)
{
    // "name_index": the array name and the constituent's index.
    std::string token = variable;
    for (char& c : token)
        if (c == '_')
            c = ' ';
    std::string name;
    pop_token(token, name);
    int k = 0;
    pop_int(token, k);
    if (s.num_constituents == 0) {
        std::printf("Error: Setting up 1DS analyzer when no constituents are being modeled.\n");
        return false;
    }
    if (k < 1 || k > s.num_constituents) {
        std::printf(
            "Error: 1DS Analyzer for %s with index %d is out of range. Range for index is %d to %d.\n",
            name.c_str(), k, 1, s.num_constituents);
        return false;
    }
    const row_array<double>* rows = nullptr;
    // The names in their order, each compared over its own length.
    if (name.compare(0, 4, "conc") == 0) {
        rows = &s.chan_conc;
    } else if (name.compare(0, 4, "mass") == 0) {
        rows = &s.chan_node_mass;
    } else if (name.compare(0, 9, "pointconc") == 0) {
        // The channel point inputs' concentrations, per node index.
        if (s.chan_point_conc.empty()) {
            std::printf("Error: the 1DS array [%s] holds the concentrations of the channel point inputs, "
                        "and this run has none (CHAN_POINT_INPUT).\n",
                        name.c_str());
            return false;
        }
        auto test = std::make_unique<st1d_logical_OP>();
        test->bind(s, &s.chan_point_conc, k, variable);
        logic = std::move(test);
        return true;
    } else if (name.compare(0, 8, "qlatconc") == 0) {
        // No part of the model keeps the concentration of the lateral
        // inflow: the routing keeps that inflow only as a mass (qlatmass).
        std::printf("Error: the 1DS array [%s] is not available yet.\n", name.c_str());
        return false;
    } else if (name.compare(0, 8, "qlatmass") == 0) {
        rows = &s.chan_qlat_mass;
    } else if (name.compare(0, 6, "gwmass") == 0) {
        rows = &s.chan_gw_mass;
    } else if (name.compare(0, 9, "qbnsource") == 0) {
        rows = &s.chan_qbn_source;
    }
    if (!rows) {
        std::printf("Error: unable to find 1DS array [%s]\n", name.c_str());
        return false;
    }
    auto test = std::make_unique<st1d_logical_OP>();
    test->bind(s, rows, k, variable);
    logic = std::move(test);
    return true;
}

// ---- the file ---------------------------------------------------------------

void read_analyzer_file(model_state& s, const std::string& path)
{
    file_rec f;
    if (!file_rec_open(f, path, "r")) {
        std::printf("Warning: the analyzer file %s cannot be opened; no analyzers are set up.\n",
                    path.c_str());
        return;
    }
    analyzer* last = s.analyzers_head.get();
    while (last && last->next)
        last = last->next.get();
    int count = 0, line_number = 0;
    std::string line;
    while (read_raw_line(f.fp, line)) {
        ++line_number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (replace_on)
            replace_pairs_in_line(line, static_cast<int>(line.size()) + line_buffer_size);
        if (!line.empty() && line[0] == '#')
            continue;
        std::string kind;
        if (!pop_token(line, kind))
            continue;
        std::unique_ptr<analyzer> a;
        if (kind.compare(0, 3, "1DS") == 0)
            a = std::make_unique<stanalyzer_1dst>();
        else if (kind.compare(0, 3, "2DS") == 0)
            a = std::make_unique<stanalyzer_2dst>();
        // 2DG and the QBN kinds are known words that set up nothing.
        const bool known_idle = kind.compare(0, 3, "2DG") == 0 || kind.compare(0, 6, "QBN_OV") == 0 ||
                                kind.compare(0, 6, "QBN_ST") == 0 || kind.compare(0, 6, "QBN_SL") == 0;
        if (!a && known_idle)
            continue;
        std::string fault;
        if (!a)
            fault = "the kind \"" + printable(kind) + "\" is none of 1DS, 2DS, 2DG, QBN_OV, QBN_ST and QBN_SL";
        else if (!a->configure(s, line, fault) && fault.empty())
            fault = "the analyzer cannot be set up";
        if (!fault.empty()) {
            std::printf("Error in the analyzer file %s, line %d: %s.\n", f.name.c_str(), line_number,
                        fault.c_str());
            error_set(err_stop);
            report_error(error_state);
            return;
        }
        analyzer* added = a.get();
        if (last)
            last->next = std::move(a);
        else
            s.analyzers_head = std::move(a);
        last = added;
        ++count;
    }
    if (!s.super_quiet)
        std::printf("Set up %d analyzers...\n", count);
    file_rec_close(f);
}
