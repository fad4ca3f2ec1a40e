// The threshold tests of the analyzers: every node of every channel link is
// compared with the threshold, one pass flag kept per node, and the report
// of the last test printed to the analyzer's file and/or the screen.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string>

#include "core/containers.h"
#include "core/julian.h"
#include "core/model_state.h"
#include "output/analyzer.h"

namespace
{

std::string text_of(const char* format, double a)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, format, a);
    return buf;
}

void append(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void append(std::string& out, const char* format, ...)
{
    char buf[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    out += buf;
}

// The links a test visits and their node counts.
int link_count(const model_state& s)
{
    return std::min(s.num_links, s.nx.size());
}

} // namespace

// ---- logical_OP -----------------------------------------------------------

template <class Pass> bool logical_OP::run(Pass pass, const char* format, double t)
{
    desc = text_of(format, t);
    bool any = false;
    if (state && bound()) {
        clear_flags();
        const int links = link_count(*state);
        for (int i = 1; i <= links; ++i)
            for (int j = 1; j <= state->nx[i]; ++j) {
                const double v = tested_value(i, j);
                // A NaN passes no test.
                const bool passed = !std::isnan(v) && pass(v);
                flag(i, j) = passed ? 1 : 0;
                any = any || passed;
            }
    }
    if (state)
        eval_time = state->current_time;
    return any;
}

bool logical_OP::test_lt(double t)
{
    return run([t](double v) { return v < t; }, "< %4.6lf", t);
}
bool logical_OP::test_le(double t)
{
    return run([t](double v) { return v <= t; }, "<= %4.6lf", t);
}
bool logical_OP::test_gt(double t)
{
    return run([t](double v) { return v > t; }, "> %4.6lf", t);
}
bool logical_OP::test_ge(double t)
{
    return run([t](double v) { return v >= t; }, ">= %4.6lf", t);
}
bool logical_OP::test_eq(double t)
{
    return run([t](double v) { return v == t; }, "== %4.6lf", t);
}

void logical_OP::report(unsigned p, int mask, std::FILE* file) const
{
    const bool to_file = (p & print_file) && file;
    const bool to_screen = (p & print_screen) != 0;
    if ((!to_file && !to_screen) || !state || !bound())
        return;

    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    double seconds = 0.0;
    calendar_from_julian(state->current_time, year, month, day, hour, minute, seconds);
    char date[96];
    std::snprintf(date, sizeof date, "%02d-%02d-%4d, %d:%d:%2.0lf", month, day, year, hour, minute, seconds);
    std::string when;
    if (mask & analyzer_step_end)
        append(when, "%s", date);
    else if (mask & analyzer_rain_start)
        append(when, "the beginning of an event at %s", date);
    else if (mask & analyzer_event_end)
        append(when, "the end of an event at %s", date);
    else if (mask & analyzer_init_done)
        append(when, "the beginning of the simulation at %s", date);
    else if (mask & analyzer_run_done)
        append(when, "the end of simulation at %s", date);
    else if (mask & analyzer_run_error)
        append(when, "the program crash point at %s", date);

    std::string text;
    if (p & print_summary)
        text += "\n\nResults for logic test of the 2D stream array " + array_name + " at " + when +
                ".  Nodes with values " + desc + ":\n";
    else
        text += "\n\nValues in the 2D stream array " + array_name + " at " + when + ": \n";
    int passed = 0, visited = 0;
    const int links = link_count(*state);
    for (int i = 1; i <= links; ++i) {
        if (p & print_rows)
            append(text, "%4d:", i);
        for (int j = 1; j <= state->nx[i]; ++j) {
            ++visited;
            const bool f = flag_at(i, j) != 0;
            passed += f ? 1 : 0;
            const double v = reported_value(i, j);
            if (p & print_list) {
                if (!f)
                    continue;
                append(text, "Link %3d, Node %3d", i, j);
                if (p & print_values)
                    append(text, ":  %14.6lf\n", v);
                else
                    text += "\n";
            } else if (p & (print_summary | print_values)) {
                append(text, f ? "[T, %6.4lf]" : "[F, %6.4lf]", v);
            } else {
                text += f ? "T" : "F";
            }
        }
        if (p & print_rows)
            text += "\n";
    }
    if (p & print_summary)
        append(text, "====> %d out of %d nodes passed the logic test.\n", passed, visited);
    if (to_file)
        std::fputs(text.c_str(), file);
    if (to_screen)
        std::fputs(text.c_str(), stdout);
}

// ---- st1d_logical_OP --------------------------------------------------------

void st1d_logical_OP::bind(const model_state& s, const row_array<double>* rows, int k,
                           const std::string& name)
{
    state = &s;
    rows_ = rows;
    matrix_ = nullptr;
    k_ = k;
    stride_ = s.node_dim;
    array_name = name;
    flags_.assign(static_cast<std::size_t>(stride_) * (static_cast<std::size_t>(link_count(s)) + 1), 0);
}

void st1d_logical_OP::bind(const model_state& s, const dmat* matrix, int k, const std::string& name)
{
    bind(s, static_cast<const row_array<double>*>(nullptr), k, name);
    matrix_ = matrix;
}

const double* st1d_logical_OP::values() const
{
    const int width = stride_ * (link_count(*state) + 1) - 1; // the last flat node index
    if (matrix_)
        return k_ >= 1 && k_ <= matrix_->rows() && matrix_->cols() >= width ? (*matrix_)[k_] : nullptr;
    if (!rows_ || rows_->width < width)
        return nullptr;
    return row_array_get(*rows_, k_);
}

bool st1d_logical_OP::bound() const
{
    return state && values() != nullptr;
}
double st1d_logical_OP::tested_value(int link, int node)
{
    return values()[link * stride_ + node];
}
double st1d_logical_OP::reported_value(int link, int node) const
{
    return values()[link * stride_ + node];
}
unsigned char& st1d_logical_OP::flag(int link, int node)
{
    return flags_[static_cast<std::size_t>(link) * stride_ + node];
}
unsigned char st1d_logical_OP::flag_at(int link, int node) const
{
    return flags_[static_cast<std::size_t>(link) * stride_ + node];
}
void st1d_logical_OP::clear_flags()
{
    std::fill(flags_.begin(), flags_.end(), 0);
}

// ---- st2d_logical_OP --------------------------------------------------------

void st2d_logical_OP::bind(const model_state& s, const dnode_mat* values, const std::string& name)
{
    state = &s;
    values_ = values;
    array_name = name;
    flags_.assign(s.node_dim, link_count(s), 0);
    combined_.assign(s.node_dim, link_count(s), 0.0);
}

void st2d_logical_OP::set_operand(int op, const dnode_mat* operand)
{
    operand_op_ = op;
    operand_ = operand;
}

bool st2d_logical_OP::bound() const
{
    if (!state || !values_ || values_->empty())
        return false;
    const int links = link_count(*state);
    const auto holds = [&](const dnode_mat& m) {
        for (int i = 1; i <= links; ++i)
            if (state->nx[i] > m.rows() || i > m.cols())
                return false;
        return true;
    };
    if (!holds(*values_) || !holds(combined_))
        return false;
    return operand_op_ == op_other || !operand_ || (!operand_->empty() && holds(*operand_));
}

double st2d_logical_OP::combined_value(int link, int node)
{
    const double b = (*values_)[node][link];
    double v = b;
    if (operand_ && operand_op_ != op_other) {
        const double o = (*operand_)[node][link];
        switch (operand_op_) {
        case op_plus:
            v = b + o;
            break;
        case op_minus:
            v = b - o;
            break;
        case op_times:
            v = b * o;
            break;
        case op_divide:
            v = o == 0.0 ? 9999.99 : b / o;
            break;
        default:
            break;
        }
    }
    combined_[node][link] = v;
    return v;
}

double st2d_logical_OP::tested_value(int link, int node)
{
    return combined_value(link, node);
}
double st2d_logical_OP::reported_value(int link, int node) const
{
    return combined_[node][link];
}
unsigned char& st2d_logical_OP::flag(int link, int node)
{
    return flags_[node][link];
}
unsigned char st2d_logical_OP::flag_at(int link, int node) const
{
    return flags_[node][link];
}
void st2d_logical_OP::clear_flags()
{
    flags_.assign(flags_.rows(), flags_.cols(), 0);
}
