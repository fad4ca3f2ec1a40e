#include "input/time_series.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/julian.h"
#include "core/text_parse.h"
#include "input/word_reader.h"

std::list<time_series> time_series_list;
std::forward_list<ts_index_entry> ts_index_list;

namespace {

bool starts_with(std::string_view line, std::string_view word)
{
    return line.substr(0, word.size()) == word;
}

// The next integer of a sample line, as the "%d" scan would take it.
bool scan_int(const char*& p, int& out)
{
    char* end = nullptr;
    const long v = std::strtol(p, &end, 10);
    if (end == p) return false;
    out = v > INT_MAX ? INT_MAX : (v < INT_MIN ? INT_MIN : static_cast<int>(v));
    p = end;
    return true;
}

bool scan_double(const char*& p, double& out)
{
    char* end = nullptr;
    const double v = std::strtod(p, &end);
    if (end == p) return false;
    out = v;
    p = end;
    return true;
}

std::string trim_blanks(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// Index of the first sample whose time lies before the one ahead of it (or
// is not a number); -1 when the times never decrease.
int first_unsorted(const std::vector<double>& times)
{
    for (std::size_t i = 1; i < times.size(); ++i)
        if (!(times[i] >= times[i - 1])) return static_cast<int>(i);
    return -1;
}

void remove_series(const time_series* s)
{
    time_series_list.remove_if([s](const time_series& t) { return &t == s; });
}

void stop_lookup(const char* message)
{
    std::fputs(message, stdout);
    error_set(err_stop);
    report_error(error_state);
}

bool in_interval(const time_series& s, int i, double t)
{
    return s.times[static_cast<std::size_t>(i)] <= t && t <= s.times[static_cast<std::size_t>(i) + 1];
}

} // namespace

time_series* ts_new()
{
    time_series_list.emplace_back();
    return &time_series_list.back();
}

void ts_free_all()
{
    time_series_list.clear();
    ts_index_list.clear();
    ts_index_read = 0;
}

int ts_line_kind(std::string_view line)
{
    if (starts_with(line, "END_TS")) return 3;
    if (starts_with(line, "ABSOLUTE")) return 2;
    if (starts_with(line, "RELATIVE")) return 1;
    if (starts_with(line, "TORVA_TS")) return 0;
    return 4;
}

int ts_read_block(file_rec& rec)
{
    if (!rec.fp || std::feof(rec.fp)) return 0;
    std::string line;
    do {
        if (!read_line_rec(line, rec)) return 0;
    } while (!starts_with(line, "TORVA_TS"));

    std::string name;
    if (read_line_rec(line, rec)) {
        name = trim_blanks(line);
        strip_quotes(name);
    }
    if (name.size() > static_cast<std::size_t>(series_name_limit)) {
        std::printf("Error: the name of time series %s is longer than %d characters.\n", name.c_str(),
                    series_name_limit);
        error_set(err_stop);
        return 0;
    }
    time_series* s = ts_new();
    s->name = name;
    if (read_line_rec(line, rec) && starts_with(line, "RELATIVE")) s->relative = 1;

    // A line that does not hold all six numbers keeps the missing ones from
    // the line before it.
    int date[5] = {0, 0, 0, 0, 0};
    double value = 0.0;
    while (read_line_rec(line, rec) && !starts_with(line, "END_TS")) {
        const char* p = line.c_str();
        int k = 0;
        while (k < 5 && scan_int(p, date[k])) ++k;
        if (k == 5) scan_double(p, value);
        if (!std::isfinite(value)) {
            std::printf("Error: sample %d of time series [%s] in file %s is not a finite number: %s\n",
                        static_cast<int>(s->times.size()) + 1, s->name.c_str(), rec.name.c_str(), line.c_str());
            remove_series(s);
            error_set(err_stop);
            return 0;
        }
        double t = julian_date(date[0], date[1], date[2], date[3], date[4], 0.0);
        if (s->relative) t -= relative_time_base;
        s->times.push_back(t);
        s->values.push_back(value);
    }
    s->count = static_cast<int>(s->times.size());

    const int bad = first_unsorted(s->times);
    if (bad >= 0) {
        std::printf("Error: the times of time series [%s] go back at sample %d.\n", s->name.c_str(),
                    bad + 1);
        remove_series(s);
        error_set(err_stop);
        return 0;
    }
    std::printf("Read time series %s\n", s->name.c_str());
    return 1;
}

void read_ts_file(const std::string& file_name)
{
    file_rec rec;
    if (!file_rec_open(rec, file_name, "r")) {
        std::printf("Error: Time series file not found [%s]\n", file_name.c_str());
        return;
    }
    int n = 0;
    while (ts_read_block(rec)) ++n;
    std::printf("%d time series read from file %s\n", n, file_name.c_str());
    file_rec_close(rec);
}

time_series* ts_find(std::string_view name)
{
    for (time_series& s : time_series_list)
        if (starts_with(s.name, name)) return &s;
    return nullptr;
}

double ts_value_at(double t, time_series* s)
{
    if (!s) {
        stop_lookup("Error: attempting to extract a value from a time series that does not exist.\n");
        return 0.0;
    }
    const int n = std::min({s->count, static_cast<int>(s->times.size()), static_cast<int>(s->values.size())});
    if (n <= 0) {
        std::printf("Error: attempting to extract a value from a time series [%s] with no entries.\n",
                    s->name.c_str());
        stop_lookup("");
        return 0.0;
    }
    if (n == 1 || t <= s->times[0]) return s->values[0];
    if (t >= s->times[static_cast<std::size_t>(n) - 1]) return s->values[static_cast<std::size_t>(n) - 1];

    int found = -1;
    const int start = std::clamp(s->cursor, 0, n - 2);
    for (int i = start; i < n - 1 && found < 0; ++i)
        if (in_interval(*s, i, t)) found = i;
    for (int i = 0; i < n - 1 && found < 0; ++i)
        if (in_interval(*s, i, t)) found = i;
    if (found < 0) {
        std::printf("Error: something is really messed up with your time series [%s].\n", s->name.c_str());
        return 0.0;
    }
    s->cursor = found;
    const auto i = static_cast<std::size_t>(found);
    const double width = s->times[i + 1] - s->times[i];
    // Two samples at the same time: the first of them, never 0/0.
    if (!(width > 0.0)) return s->values[i];
    const double w = (t - s->times[i]) / width;
    return (1.0 - w) * s->values[i] + w * s->values[i + 1];
}

double ts_value_by_index(int id, double t)
{
    for (ts_index_entry& e : ts_index_list)
        if (e.id == id) return ts_value_at(t, e.series);
    std::printf("Error: attempting to extract a value from an unknown time series in the time series "
                "table.    Check the mapping table file (.cmt). The specified time series index is %d, "
                "but the \nindex is not found in the time series index table.\n",
                id);
    stop_lookup("");
    return 0.0;
}

namespace {

// Refuses a line of a multi-column block: file, line and fault.
time_series* refuse_column_line(const std::string& path, int line_no, const std::string& what,
                                std::vector<time_series*>& made)
{
    std::printf("Error: file %s, line %d: %s.\n", path.c_str(), line_no, what.c_str());
    for (time_series* s : made) remove_series(s);
    error_set(err_stop);
    report_error(error_state);
    return nullptr;
}

} // namespace

time_series* ts_read_columns(file_rec& rec, int n, const std::string& prefix, const std::string& path,
                             const num_field& field)
{
    if (n <= 0 || !rec.fp) return nullptr;
    // The lines hold five date numbers and n values; they are read whole.
    const long long wanted = 20LL * n + 50;
    const int size = static_cast<int>(std::min<long long>(std::max<long long>(wanted, line_buffer_size), INT_MAX));
    const std::string head = prefix.substr(0, 100);

    std::vector<time_series*> made;
    for (int k = 0; k < n; ++k) {
        time_series* s = ts_new();
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "_%04d", k);
        s->name = head + suffix;
        made.push_back(s);
    }

    static const char* const date_parts[5] = {"year", "month", "day", "hour", "minute"};
    std::vector<double> values(static_cast<std::size_t>(n), 0.0);
    std::string line;
    double last_time = -1.0;
    int last_line = 0;
    for (;;) {
        std::fpos_t pos;
        const bool have_pos = std::fgetpos(rec.fp, &pos) == 0;
        if (!read_line_rec(line, rec, size)) {
            std::printf("Error: file %s ends before the END_TS line that closes its rows of %d values.\n",
                        path.c_str(), n);
            for (time_series* s : made) remove_series(s);
            error_set(err_stop);
            report_error(error_state);
            return nullptr;
        }
        if (starts_with(line, "END_TS")) {
            // Left for the caller to read.
            if (have_pos) std::fsetpos(rec.fp, &pos);
            break;
        }
        std::string_view rest(line);
        int date[5] = {0, 0, 0, 0, 0};
        for (int k = 0; k < 5; ++k) {
            const num_status st = pop_int_strict(rest, date[k]);
            if (st != num_status::ok)
                return refuse_column_line(path, rec.line_no,
                                          std::string("the ") + date_parts[k] + " of the row " + num_status_text(st) +
                                              " (a row is year, month, day, hour and minute, then " +
                                              std::to_string(n) + " values)",
                                          made);
        }
        if (!calendar_date_ok(date[0], date[1], date[2]) || !time_of_day_ok(date[3], date[4])) {
            char what[160];
            std::snprintf(what, sizeof what, "%d %02d %02d %02d %02d is not a calendar date and time of day",
                          date[0], date[1], date[2], date[3], date[4]);
            return refuse_column_line(path, rec.line_no, what, made);
        }
        const double t = julian_date(date[0], date[1], date[2], date[3], date[4], 0.0);
        if (t < last_time)
            return refuse_column_line(path, rec.line_no,
                                      "the row's date and time lies before that of line " + std::to_string(last_line),
                                      made);
        for (int c = 0; c < n; ++c) {
            std::string_view before = rest;
            double& v = values[static_cast<std::size_t>(c)];
            const num_status st = pop_double_strict(rest, v);
            if (st == num_status::empty)
                return refuse_column_line(path, rec.line_no,
                                          "the row holds " + std::to_string(c) + " of its " + std::to_string(n) +
                                              " values",
                                          made);
            std::string word;
            pop_token(before, word);
            if (st != num_status::ok)
                return refuse_column_line(path, rec.line_no,
                                          "value " + std::to_string(c + 1) + " \"" + printable(word) + "\" " +
                                              num_status_text(st),
                                          made);
            if (v < field.low || v > field.high) {
                char what[200];
                std::snprintf(what, sizeof what, "value %d, the %s %s, lies outside %g to %g", c + 1, field.name,
                              word.c_str(), field.low, field.high);
                return refuse_column_line(path, rec.line_no, what, made);
            }
        }
        std::string extra;
        if (pop_token(rest, extra))
            return refuse_column_line(path, rec.line_no,
                                      "the row holds more than its " + std::to_string(n) + " values (\"" +
                                          printable(extra) + "\" follows them)",
                                      made);
        for (int c = 0; c < n; ++c) {
            made[static_cast<std::size_t>(c)]->times.push_back(t);
            made[static_cast<std::size_t>(c)]->values.push_back(values[static_cast<std::size_t>(c)]);
        }
        last_time = t;
        last_line = rec.line_no;
    }
    for (time_series* s : made) s->count = static_cast<int>(s->times.size());
    return made.front();
}
