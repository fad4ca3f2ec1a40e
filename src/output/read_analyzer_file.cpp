// The analyzer file and the analyzers it describes: one analyzer per line
// (kind, variable, triggers, operator, threshold, actions, then the interval
// with trigger "t" and the output file with action "f"). Lines are read
// whole, whatever their length.
#include <cctype>
#include <cstdio>
#include <string>

#include "core/clock_state.h"
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

bool analyzer::configure(model_state& s, std::string& line, const std::string& file, int line_number)
{
    std::string variable;
    pop_token(line, variable);
    if (!create_logic(s, variable)) {
        std::printf("The analyzer on line %d of %s is dropped.\n", line_number, file.c_str());
        return false;
    }

    std::string word;
    pop_token(line, word);
    trigger_flags = 0;
    for (char c : word) {
        switch (c) {
        case 't':
            trigger_flags |= analyzer_step_end;
            break;
        case 'E':
            trigger_flags |= analyzer_rain_start;
            break;
        case 'e':
            trigger_flags |= analyzer_event_end;
            break;
        case 'S':
            trigger_flags |= analyzer_init_done;
            break;
        case 's':
            trigger_flags |= analyzer_run_done;
            break;
        case 'c':
            trigger_flags |= analyzer_run_error;
            break;
        default:
            break;
        }
    }
    word.clear();
    pop_token(line, word);
    op = analyzer_op_code(word);
    pop_double(line, threshold);

    word.clear();
    pop_token(line, word);
    print_flags = 0;
    for (char c : word) {
        switch (c) {
        case 't':
            print_flags = (print_flags | print_list) & ~static_cast<unsigned>(print_rows);
            break;
        case 'v':
            print_flags = (print_flags | print_rows) & ~static_cast<unsigned>(print_list);
            break;
        case 's':
            print_flags |= print_screen;
            break;
        case 'f':
            print_flags |= print_file;
            break;
        case 'c':
            print_flags |= print_summary;
            break;
        case 'd':
            print_flags |= print_values;
            break;
        default:
            break;
        }
    }

    if (trigger_flags & analyzer_step_end) {
        int seconds = 0;
        pop_int(line, seconds);
        now = &s.current_time;
        interval = seconds / 86400.0;
        next_time = s.current_time;
        tolerance = process_time_tol;
    }
    if (print_flags & print_file) {
        pop_token(line, out_name);
        if (!file_rec_open(out, out_name, "w")) {
            std::printf(
                "Error: the output file \"%s\" of the analyzer on line %d of %s cannot be opened; its "
                "reports go to the screen only when it prints there.\n",
                out_name.c_str(), line_number, file.c_str());
            print_flags &= ~static_cast<unsigned>(print_file);
        }
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
        if (kind.compare(0, 3, "2DG") == 0)
            continue;
        if (kind.compare(0, 3, "1DS") == 0)
            a = std::make_unique<stanalyzer_1dst>();
        else if (kind.compare(0, 3, "2DS") == 0)
            a = std::make_unique<stanalyzer_2dst>();
        if (!a)
            continue; // QBN kinds and other words set up nothing
        if (!a->configure(s, line, f.name, line_number))
            continue;
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
