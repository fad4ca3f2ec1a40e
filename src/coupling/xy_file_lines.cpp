#include "coupling/xy_file_lines.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "core/error_state.h"
#include "core/text_parse.h"

int xy_line_size(int n)
{
    const long long wanted = 20LL * std::max(n, 0) + 50;
    return static_cast<int>(std::min<long long>(std::max<long long>(wanted, line_buffer_size), INT_MAX));
}

namespace
{

bool skip_labels(std::string_view& line, int labels, const std::string& path, int line_no)
{
    std::string word;
    for (int k = 0; k < labels; ++k) {
        if (!pop_token(line, word)) {
            std::printf("Error: line %d of the xy boundary file %s lacks its label word.\n", line_no,
                        path.c_str());
            error_set(err_stop);
            return false;
        }
    }
    return true;
}

void bad_value(const std::string& path, int line_no, int k, num_status st)
{
    std::printf("Error: value %d of line %d of the xy boundary file %s %s.\n", k + 1, line_no, path.c_str(),
                num_status_text(st));
    error_set(err_stop);
}

} // namespace

bool xy_label_reals(std::string_view line, int labels, int n, std::vector<double>& out,
                    const std::string& path, int line_no)
{
    if (!skip_labels(line, labels, path, line_no))
        return false;
    out.assign(static_cast<std::size_t>(n), 0.0);
    for (int k = 0; k < n; ++k) {
        const num_status st = pop_double_strict(line, out[static_cast<std::size_t>(k)]);
        if (st != num_status::ok) {
            bad_value(path, line_no, k, st);
            return false;
        }
    }
    return true;
}

bool xy_label_ints(std::string_view line, int labels, int n, std::vector<int>& out, const std::string& path,
                   int line_no)
{
    if (!skip_labels(line, labels, path, line_no))
        return false;
    out.assign(static_cast<std::size_t>(n), 0);
    for (int k = 0; k < n; ++k) {
        const num_status st = pop_int_strict(line, out[static_cast<std::size_t>(k)]);
        if (st != num_status::ok) {
            bad_value(path, line_no, k, st);
            return false;
        }
    }
    return true;
}

bool xy_count_line(std::string_view line, int& n, const std::string& path, int line_no)
{
    const num_status st = pop_int_strict(line, n);
    if (st == num_status::ok)
        return true;
    std::printf("Error: the point count on line %d of the xy boundary file %s %s.\n", line_no, path.c_str(),
                num_status_text(st));
    error_set(err_stop);
    return false;
}

std::vector<time_series*> xy_series_block(file_rec& rec, int n, const std::string& prefix,
                                          const std::string& path)
{
    std::vector<time_series*> series;
    time_series* first = ts_read_columns(rec, n, prefix);
    if (!first)
        return series;
    auto it = std::find_if(time_series_list.begin(), time_series_list.end(),
                           [first](const time_series& t) { return &t == first; });
    for (int k = 0; k < n && it != time_series_list.end(); ++k, ++it)
        series.push_back(&*it);
    if (first->count == 0) {
        std::printf("Error: the xy boundary file %s holds no dated rows before END_TS.\n", path.c_str());
        error_set(err_stop);
        series.clear();
    }
    return series;
}
