#include "coupling/xy_file_lines.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "core/check_count.h"
#include "core/error_state.h"
#include "core/text_parse.h"

namespace
{

// Points of a file: each takes at least a value and its separator on the
// header lines and on every row.
const count_field point_count{"point count", 0, 10000000, 2};

void stop_run()
{
    error_set(err_stop);
    report_error(error_state);
}

bool skip_labels(std::string_view& line, int labels, const std::string& path, int line_no)
{
    std::string word;
    for (int k = 0; k < labels; ++k) {
        if (!pop_token(line, word)) {
            std::printf("Error: line %d of the xy boundary file %s lacks its label word.\n", line_no,
                        path.c_str());
            stop_run();
            return false;
        }
    }
    return true;
}

template <class T>
bool label_values(std::string_view line, int labels, int n, std::vector<T>& out, const std::string& path,
                  int line_no)
{
    if (!skip_labels(line, labels, path, line_no))
        return false;
    out.assign(static_cast<std::size_t>(n), T());
    for (int k = 0; k < n; ++k) {
        const num_status st = xy_pop_strict(line, out[static_cast<std::size_t>(k)]);
        if (st != num_status::ok) {
            std::printf("Error: value %d of line %d of the xy boundary file %s %s; the line needs %d values after "
                        "its label words.\n",
                        k + 1, line_no, path.c_str(), num_status_text(st), n);
            stop_run();
            return false;
        }
    }
    std::string extra;
    if (pop_token(line, extra)) {
        std::printf("Error: line %d of the xy boundary file %s holds more than its %d values (\"%s\" follows "
                    "them).\n",
                    line_no, path.c_str(), n, printable(extra).c_str());
        stop_run();
        return false;
    }
    return true;
}

} // namespace

int xy_line_size(int n)
{
    const long long wanted = 20LL * std::max(n, 0) + 50;
    return static_cast<int>(std::min<long long>(std::max<long long>(wanted, line_buffer_size), INT_MAX));
}

bool xy_open_header(file_rec& rec, const std::string& path, const xy_file_kind& kind)
{
    if (!file_rec_open(rec, path, "r")) {
        std::fputs(kind.open_error.c_str(), stdout);
        std::printf("Error: the xy boundary input file %s cannot be opened; the run cannot go on without the "
                    "boundary it gives.\n",
                    path.c_str());
        stop_run();
        return false;
    }
    std::string line;
    const bool have = read_line_rec(line, rec) != 0;
    std::string_view first = line;
    std::string word;
    const bool have_word = have && pop_token(first, word);
    const bool match = have_word && (kind.any_case ? same_first_word(word, kind.header) != 0 : word == kind.header);
    if (!match) {
        std::fputs(kind.header_error.c_str(), stdout);
        if (!have)
            std::printf("Error: the xy boundary input file %s is empty; its first line must begin with %s.\n",
                        path.c_str(), kind.header.c_str());
        else if (!have_word)
            std::printf("Error: line 1 of the xy boundary input file %s is blank where %s is expected.\n",
                        path.c_str(), kind.header.c_str());
        else
            std::printf("Error: line 1 of the xy boundary input file %s begins with \"%s\" where %s is "
                        "expected.\n",
                        path.c_str(), printable(word.substr(0, 40), true).c_str(), kind.header.c_str());
        stop_run();
        return false;
    }
    return true;
}

int xy_open_points(file_rec& rec, const std::string& path, const xy_file_kind& kind)
{
    if (!xy_open_header(rec, path, kind))
        return -1;
    std::string line;
    if (!xy_next_line(rec, line, line_buffer_size, path, "the point count"))
        return -1;
    std::string count_word;
    long long n = 0;
    const num_status st = pop_token(line, count_word) ? parse_long_strict(count_word, n) : num_status::empty;
    if (st != num_status::ok) {
        std::printf("Error: the point count on line 2 of the xy boundary file %s %s.\n", path.c_str(),
                    num_status_text(st));
        stop_run();
        return -1;
    }
    if (!check_count(n, point_count, path, 2, rec.fp))
        return -1;
    if (n == 0) {
        std::fputs(kind.no_points.c_str(), stdout);
        return 0;
    }
    return static_cast<int>(n);
}

bool xy_label_reals(std::string_view line, int labels, int n, std::vector<double>& out,
                    const std::string& path, int line_no)
{
    return label_values(line, labels, n, out, path, line_no);
}

bool xy_label_ints(std::string_view line, int labels, int n, std::vector<int>& out, const std::string& path,
                   int line_no)
{
    return label_values(line, labels, n, out, path, line_no);
}

bool xy_next_line(file_rec& rec, std::string& line, int size, const std::string& path, const char* holds)
{
    if (read_line_rec(line, rec, size))
        return true;
    std::printf("Error: the xy boundary file %s ends at line %d, before the line of %s.\n", path.c_str(),
                rec.line_no, holds);
    stop_run();
    return false;
}

std::vector<time_series*> xy_series_block(file_rec& rec, int n, const std::string& prefix,
                                          const std::string& path, const num_field& field)
{
    std::vector<time_series*> series;
    time_series* first = ts_read_columns(rec, n, prefix, path, field);
    if (!first)
        return series;
    auto it = std::find_if(time_series_list.begin(), time_series_list.end(),
                           [first](const time_series& t) { return &t == first; });
    for (int k = 0; k < n && it != time_series_list.end(); ++k, ++it)
        series.push_back(&*it);
    if (first->count == 0) {
        std::printf("Error: the xy boundary file %s holds no dated rows before END_TS.\n", path.c_str());
        stop_run();
        series.clear();
    }
    return series;
}
