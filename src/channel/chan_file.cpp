#include "channel/chan_file.h"

#include <cfloat>
#include <climits>
#include <cstdio>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/text_parse.h"
#include "input/reader_echo.h"

namespace
{

struct range {
    double lo;
    double hi;
    bool whole;
    bool above = false; // lo itself is not allowed
};

range limit_range(const chan_file& f, value_limit lim)
{
    switch (lim) {
    case value_limit::nonneg:
        return {0.0, DBL_MAX, false};
    case value_limit::above0:
        return {0.0, DBL_MAX, false, true};
    case value_limit::fraction:
        return {0.0, 1.0, false};
    case value_limit::count:
        return {0.0, INT_MAX, true};
    case value_limit::positive:
        return {1.0, INT_MAX, true};
    case value_limit::integer:
        return {INT_MIN, INT_MAX, true};
    case value_limit::link:
        return {1.0, static_cast<double>(f.links), true};
    case value_limit::link0:
        return {0.0, static_cast<double>(f.links), true};
    case value_limit::node:
        return {1.0, static_cast<double>(f.max_nodes), true};
    case value_limit::row:
        return {1.0, static_cast<double>(f.rows), true};
    case value_limit::col:
        return {1.0, static_cast<double>(f.cols), true};
    case value_limit::real:
        break;
    }
    return {-DBL_MAX, DBL_MAX, false};
}

bool within(const range& r, double v)
{
    return (r.above ? v > r.lo : v >= r.lo) && v <= r.hi;
}

// "above 0", "at least 1", "0 to 1".
std::string range_text(const range& r)
{
    if (r.hi >= DBL_MAX || (r.whole && r.hi >= INT_MAX))
        return text_format(r.above ? "above %.15g" : "at least %.15g", r.lo);
    return text_format("%.15g to %.15g", r.lo, r.hi);
}

void refuse(const chan_file& f, const chan_card_def& d, int index, const std::string& token, const char* what,
            const range* r)
{
    std::printf("Error in the %s file %s, line %d, card %s%s: value %d \"%s\" %s", f.title, f.path.c_str(),
                f.line_no, chan_card_name(d).c_str(), chan_place(f).c_str(), index, token.c_str(), what);
    if (r)
        std::printf(" (allowed %s)", range_text(*r).c_str());
    std::printf(".\n");
    chan_stop();
}

} // namespace

std::string chan_place(const chan_file& f)
{
    if (f.link < 1)
        return "";
    if (f.node < 1)
        return text_format(" (link %d)", f.link);
    return text_format(" (link %d, node %d)", f.link, f.node);
}

namespace
{

// Takes the next token and converts it; false after a refusal.
bool take(chan_file& f, const chan_card_def& d, std::string_view& rest, int index, value_limit lim,
          double& out)
{
    const range r = limit_range(f, lim);
    std::string token;
    if (!pop_token(rest, token)) {
        refuse(f, d, index, token, num_status_text(num_status::empty), nullptr);
        return false;
    }
    num_status st;
    if (r.whole) {
        int v = 0;
        st = parse_int_strict(token, v);
        out = v;
    } else {
        st = parse_double_strict(token, out);
    }
    if (st != num_status::ok) {
        refuse(f, d, index, token, num_status_text(st), nullptr);
        return false;
    }
    if (!within(r, out)) {
        refuse(f, d, index, token, num_status_text(num_status::out_of_range), &r);
        return false;
    }
    return true;
}

} // namespace

void chan_say(const chan_file& f, const chan_card_def* d, const std::string& cause)
{
    std::printf("Error in the %s file %s", f.title, f.path.c_str());
    if (f.line_no > 0)
        std::printf(", line %d", f.line_no);
    if (d)
        std::printf(", card %s%s", chan_card_name(*d).c_str(), chan_place(f).c_str());
    std::printf(": %s.\n", cause.c_str());
}

bool chan_fail(const chan_file& f, const chan_card_def* d, const std::string& cause)
{
    chan_say(f, d, cause);
    chan_stop();
    return false;
}

void chan_stop()
{
    error_set(err_stop);
    report_error(error_state);
}

bool chan_next_line(chan_file& f)
{
    if (!f.rec.fp || !read_line_rec(f.line, f.rec))
        return false;
    ++f.line_no;
    return true;
}

const chan_card_def* chan_next_card(chan_file& f, std::string_view& rest)
{
    while (chan_next_line(f)) {
        if (const chan_card_def* d = chan_card_lookup(f.line)) {
            rest = f.line;
            return d;
        }
    }
    return nullptr;
}

void chan_rewind(chan_file& f)
{
    if (f.rec.fp)
        std::rewind(f.rec.fp);
    f.line_no = 0;
}

bool chan_take_int(chan_file& f, const chan_card_def& d, std::string_view& rest, int index, value_limit lim,
                   int& out)
{
    double v = 0.0;
    if (!take(f, d, rest, index, lim, v))
        return false;
    out = static_cast<int>(v);
    return true;
}

bool chan_take_real(chan_file& f, const chan_card_def& d, std::string_view& rest, int index, value_limit lim,
                    double& out)
{
    return take(f, d, rest, index, lim, out);
}

bool chan_take_int(chan_file& f, const chan_card_def& d, std::string_view& rest, int index, int& out)
{
    return chan_take_int(f, d, rest, index, d.limits[index <= 3 ? index - 1 : 2], out);
}

bool chan_take_real(chan_file& f, const chan_card_def& d, std::string_view& rest, int index, double& out)
{
    return chan_take_real(f, d, rest, index, d.limits[index <= 3 ? index - 1 : 2], out);
}
