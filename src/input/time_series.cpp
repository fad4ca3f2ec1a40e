#include "input/time_series.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/julian.h"
#include "core/text_parse.h"
#include "input/word_reader.h"

std::list<time_series> time_series_list;
std::forward_list<ts_index_entry> ts_index_list;

namespace
{

bool starts_with(std::string_view line, std::string_view word)
{
    return line.substr(0, word.size()) == word;
}

std::string trim_blanks(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
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

// What is wrong with the year, month, day, hour and minute of a sample: ""
// for a calendar date and time of day or, in a relative series, for
// offsets of 0 or more.
std::string date_fault(const int (&date)[5], bool relative)
{
    const bool ok = relative
                        ? date[0] >= 0 && date[1] >= 0 && date[2] >= 0 && date[3] >= 0 && date[4] >= 0
                        : calendar_date_ok(date[0], date[1], date[2]) && time_of_day_ok(date[3], date[4]);
    if (ok)
        return std::string();
    char what[200];
    std::snprintf(what, sizeof what,
                  relative ? "%d %d %d %d %d is not an offset of days, hours and minutes"
                           : "%d %02d %02d %02d %02d is not a calendar date and time of day",
                  date[0], date[1], date[2], date[3], date[4]);
    return what;
}

} // namespace

void series_file_refusal(const std::string& path, int line_no, const std::string& what)
{
    std::printf("Error: file %s, line %d: %s.\n", path.c_str(), line_no, what.c_str());
    error_set(err_stop);
    report_error(error_state);
}

series_line next_series_line(file_rec& rec, const char* start_word, const char* end_word,
                             const std::string& block, int block_line, bool have_sample,
                             const char* const* fields, int count, int whole, double* out)
{
    std::string line;
    if (!read_line_rec(line, rec)) {
        series_file_refusal(rec.name, rec.line_no,
                            std::string("the file ends before the ") + end_word + " line of " + block + " (" +
                                start_word + " at line " + std::to_string(block_line) + ")");
        return series_line::refused;
    }
    if (starts_with(line, end_word))
        return series_line::end;
    if (line.find_first_not_of(" \t\r") == std::string::npos) {
        if (have_sample)
            return series_line::blank;
        series_file_refusal(rec.name, rec.line_no,
                            "a blank line stands where the first line of " + block + " belongs");
        return series_line::refused;
    }
    const std::string fault = named_line_values(line, fields, count, whole, out);
    if (!fault.empty()) {
        series_file_refusal(rec.name, rec.line_no, fault);
        return series_line::refused;
    }
    return series_line::values;
}

void read_series_file(const std::string& file_name, int (*read_block)(file_rec&), const char* title,
                      const char* kind, const char* none)
{
    file_rec rec;
    if (!file_rec_open(rec, file_name, "r")) {
        std::printf("Error: %s file not found [%s]\n", title, file_name.c_str());
        // The series the project asks for would be missing at every lookup.
        error_set(err_stop);
        report_error(error_state);
        return;
    }
    const bool stopped_before = run_stopped();
    int n = 0;
    while (read_block(rec))
        ++n;
    file_rec_close(rec);
    if (!stopped_before && run_stopped())
        return;
    if (n == 0) {
        std::printf("Error: the %s file %s holds no %s.\n", kind, file_name.c_str(), none);
        error_set(err_stop);
        report_error(error_state);
        return;
    }
    std::printf("%d %s read from file %s\n", n, kind, file_name.c_str());
}

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
    if (starts_with(line, "END_TS"))
        return 3;
    if (starts_with(line, "ABSOLUTE"))
        return 2;
    if (starts_with(line, "RELATIVE"))
        return 1;
    if (starts_with(line, "TORVA_TS"))
        return 0;
    return 4;
}

int ts_read_block(file_rec& rec)
{
    if (!rec.fp || std::feof(rec.fp))
        return 0;
    std::string line;
    do {
        if (!read_line_rec(line, rec))
            return 0;
    } while (!starts_with(line, "TORVA_TS"));
    const std::string& path = rec.name;
    const int block_line = rec.line_no;

    if (!read_line_rec(line, rec)) {
        series_file_refusal(path, block_line, "the file ends after TORVA_TS, before the name of the series");
        return 0;
    }
    std::string name = trim_blanks(line);
    strip_quotes(name);
    if (name.empty()) {
        series_file_refusal(path, rec.line_no, "the time series of the TORVA_TS line above has no name");
        return 0;
    }
    if (name.size() > static_cast<std::size_t>(series_name_limit)) {
        series_file_refusal(path, rec.line_no,
                            "the name of time series " + name + " is longer than " +
                                std::to_string(series_name_limit) + " characters");
        return 0;
    }
    // A second series of one name would never be found.
    for (const time_series& t : time_series_list)
        if (t.name == name) {
            series_file_refusal(path, rec.line_no, "a time series named \"" + name + "\" was read before");
            return 0;
        }
    const int kind = read_line_rec(line, rec) ? ts_line_kind(line) : -1;
    if (kind != 1 && kind != 2) {
        series_file_refusal(
            path, rec.line_no,
            kind < 0 ? "the file ends before the ABSOLUTE or RELATIVE line of time series " + name
                     : "time series " + name + " needs ABSOLUTE or RELATIVE after its name; found \"" +
                           printable(line) + "\"");
        return 0;
    }
    const int relative = kind == 1 ? 1 : 0;

    static const char* const fields[] = {"year", "month", "day", "hour", "minute", "value"};
    std::vector<double> times, values;
    int last_line = 0;
    const std::string block = "time series " + name;
    for (;;) {
        double v[6];
        const series_line got =
            next_series_line(rec, "TORVA_TS", "END_TS", block, block_line, !times.empty(), fields, 6, 5, v);
        if (got == series_line::refused)
            return 0;
        if (got == series_line::end)
            break;
        // A blank line repeats the sample before it.
        if (got == series_line::blank) {
            times.push_back(times.back());
            values.push_back(values.back());
            continue;
        }
        const int date[5] = {static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]),
                             static_cast<int>(v[3]), static_cast<int>(v[4])};
        if (const std::string fault = date_fault(date, relative); !fault.empty()) {
            series_file_refusal(path, rec.line_no, fault);
            return 0;
        }
        double t = julian_date(date[0], date[1], date[2], date[3], date[4], 0.0);
        if (relative)
            t -= relative_time_base;
        if (!times.empty() && t < times.back()) {
            series_file_refusal(path, rec.line_no,
                                "the sample's time lies before that of line " + std::to_string(last_line));
            return 0;
        }
        times.push_back(t);
        values.push_back(v[5]);
        last_line = rec.line_no;
    }
    if (times.empty()) {
        series_file_refusal(path, rec.line_no, "time series " + name + " has no samples before its END_TS");
        return 0;
    }
    time_series* s = ts_new();
    s->name = name;
    s->relative = relative;
    s->times = std::move(times);
    s->values = std::move(values);
    s->count = static_cast<int>(s->times.size());
    std::printf("Read time series %s\n", s->name.c_str());
    return 1;
}

void read_ts_file(const std::string& file_name)
{
    read_series_file(file_name, ts_read_block, "Time series", "time series", "series (no TORVA_TS line)");
}

time_series* ts_find(std::string_view name)
{
    for (time_series& s : time_series_list)
        if (starts_with(s.name, name))
            return &s;
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
    if (n == 1 || t <= s->times[0])
        return s->values[0];
    if (t >= s->times[static_cast<std::size_t>(n) - 1])
        return s->values[static_cast<std::size_t>(n) - 1];

    int found = -1;
    const int start = std::clamp(s->cursor, 0, n - 2);
    for (int i = start; i < n - 1 && found < 0; ++i)
        if (in_interval(*s, i, t))
            found = i;
    for (int i = 0; i < n - 1 && found < 0; ++i)
        if (in_interval(*s, i, t))
            found = i;
    if (found < 0) {
        std::printf("Error: something is really messed up with your time series [%s].\n", s->name.c_str());
        return 0.0;
    }
    s->cursor = found;
    const auto i = static_cast<std::size_t>(found);
    const double width = s->times[i + 1] - s->times[i];
    // Two samples at the same time: the first of them, never 0/0.
    if (!(width > 0.0))
        return s->values[i];
    const double w = (t - s->times[i]) / width;
    return (1.0 - w) * s->values[i] + w * s->values[i + 1];
}

const ts_index_entry* ts_index_find(int id)
{
    for (const ts_index_entry& e : ts_index_list)
        if (e.id == id)
            return &e;
    return nullptr;
}

bool ts_index_id_usable(int id, const std::string& user)
{
    const ts_index_entry* e = ts_index_find(id);
    if (e && e->series)
        return true;
    if (e)
        std::printf(
            "Error: %s gives the time series ID %d, which the TIME_SERIES_INDEX table binds to \"%s\", "
            "a series no time series file holds.\n",
            user.c_str(), id, e->name.c_str());
    else
        std::printf(
            "Error: %s gives the time series ID %d, which has no row in the TIME_SERIES_INDEX table.\n",
            user.c_str(), id);
    error_set(err_stop);
    report_error(error_state);
    return false;
}

double ts_value_by_index(int id, double t)
{
    if (const ts_index_entry* e = ts_index_find(id))
        return ts_value_at(t, e->series);
    std::printf("Error: attempting to extract a value from an unknown time series in the time series "
                "table.    Check the mapping table file (.cmt). The specified time series index is %d, "
                "but the \nindex is not found in the time series index table.\n",
                id);
    stop_lookup("");
    return 0.0;
}

namespace
{

// Drops the series of a refused multi-column block.
time_series* drop_series(const std::vector<time_series*>& made)
{
    for (time_series* s : made)
        remove_series(s);
    return nullptr;
}

// Refuses a line of a multi-column block: file, line and fault.
time_series* refuse_column_line(const std::string& path, int line_no, const std::string& what,
                                const std::vector<time_series*>& made)
{
    series_file_refusal(path, line_no, what);
    return drop_series(made);
}

} // namespace

time_series* ts_read_columns(file_rec& rec, int n, const std::string& prefix, const std::string& path,
                             const num_field& field)
{
    if (n <= 0 || !rec.fp)
        return nullptr;
    // The lines hold five date numbers and n values; they are read whole.
    const long long wanted = 20LL * n + 50;
    const int size =
        static_cast<int>(std::min<long long>(std::max<long long>(wanted, line_buffer_size), INT_MAX));
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
            error_set(err_stop);
            report_error(error_state);
            return drop_series(made);
        }
        if (starts_with(line, "END_TS")) {
            // Left for the caller to read.
            if (have_pos)
                std::fsetpos(rec.fp, &pos);
            break;
        }
        std::string_view rest(line);
        int date[5] = {0, 0, 0, 0, 0};
        for (int k = 0; k < 5; ++k) {
            const num_status st = pop_int_strict(rest, date[k]);
            if (st != num_status::ok)
                return refuse_column_line(path, rec.line_no,
                                          std::string("the ") + date_parts[k] + " of the row " +
                                              num_status_text(st) +
                                              " (a row is year, month, day, hour and minute, then " +
                                              std::to_string(n) + " values)",
                                          made);
        }
        if (const std::string fault = date_fault(date, false); !fault.empty())
            return refuse_column_line(path, rec.line_no, fault, made);
        const double t = julian_date(date[0], date[1], date[2], date[3], date[4], 0.0);
        if (t < last_time)
            return refuse_column_line(
                path, rec.line_no,
                "the row's date and time lies before that of line " + std::to_string(last_line), made);
        for (int c = 0; c < n; ++c) {
            std::string_view before = rest;
            double& v = values[static_cast<std::size_t>(c)];
            const num_status st = pop_double_strict(rest, v);
            if (st == num_status::empty)
                return refuse_column_line(
                    path, rec.line_no,
                    "the row holds " + std::to_string(c) + " of its " + std::to_string(n) + " values", made);
            std::string word;
            pop_token(before, word);
            if (st != num_status::ok)
                return refuse_column_line(path, rec.line_no,
                                          "value " + std::to_string(c + 1) + " \"" + printable(word) + "\" " +
                                              num_status_text(st),
                                          made);
            if (v < field.low || v > field.high) {
                char what[200];
                std::snprintf(what, sizeof what, "value %d, the %s %s, lies outside %g to %g", c + 1,
                              field.name, word.c_str(), field.low, field.high);
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
    for (time_series* s : made)
        s->count = static_cast<int>(s->times.size());
    return made.front();
}
