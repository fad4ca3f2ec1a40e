#include "input/elev_series.h"

#include <algorithm>
#include <cstdio>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/text_parse.h"
#include "input/time_series.h"

std::list<elev_series> elev_series_list;

namespace
{

bool starts_with(std::string_view line, std::string_view word)
{
    return line.substr(0, word.size()) == word;
}

void stop_lookup()
{
    error_set(err_stop);
    report_error(error_state);
}

// Points of a curve that exist in both arrays; 0 after the message for a
// missing or empty curve.
int usable_points(const elev_series* c)
{
    if (!c) {
        std::printf("Error: attempting to extract a value from an elevation series that does not exist.\n");
        stop_lookup();
        return 0;
    }
    const int n = std::min({c->count, static_cast<int>(c->x.size()), static_cast<int>(c->y.size())});
    if (n <= 0) {
        std::printf("Error: attempting to extract a value from an elevation series [%s] with no entries.\n",
                    c->name.c_str());
        stop_lookup();
        return 0;
    }
    return n;
}

// First interval i with x[i] <= v <= x[i+1], scanned from the start; -1
// when none holds v (v not a number).
int find_interval(const elev_series* c, int n, double v)
{
    for (int i = 0; i < n - 1; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (c->x[k] <= v && v <= c->x[k + 1])
            return i;
    }
    std::printf("Error: something is really messed up with your elevation series [%s].\n", c->name.c_str());
    return -1;
}

} // namespace

elev_series* elev_series_new()
{
    elev_series_list.emplace_back();
    return &elev_series_list.back();
}

void elev_series_free_all()
{
    elev_series_list.clear();
}

int elev_series_read_block(file_rec& rec)
{
    if (!rec.fp || std::feof(rec.fp))
        return 0;
    std::string line;
    do {
        if (!read_line_rec(line, rec))
            return 0;
    } while (!starts_with(line, "TORVA_ES"));
    const std::string& path = rec.name;
    const int block_line = rec.line_no;

    std::string name;
    if (!read_line_rec(line, rec)) {
        series_file_refusal(path, block_line, "the file ends after TORVA_ES, before the name of the curve");
        return 0;
    }
    pop_token(line, name);
    strip_quotes(name);
    if (name.empty()) {
        series_file_refusal(path, rec.line_no, "the elevation series of the TORVA_ES line above has no name");
        return 0;
    }
    if (name.size() > static_cast<std::size_t>(series_name_limit)) {
        series_file_refusal(path, rec.line_no,
                            "the name of elevation series " + name + " is longer than " +
                                std::to_string(series_name_limit) + " characters");
        return 0;
    }
    // A second curve of one name would never be found.
    for (const elev_series& e : elev_series_list)
        if (e.name == name) {
            series_file_refusal(path, rec.line_no,
                                "an elevation series named \"" + name + "\" was read before");
            return 0;
        }

    static const char* const fields[] = {"x", "y"};
    std::vector<double> xs, ys;
    int last_line = 0;
    const std::string block = "elevation series " + name;
    for (;;) {
        double v[2];
        const series_line got =
            next_series_line(rec, "TORVA_ES", "END_ES", block, block_line, !xs.empty(), fields, 2, 0, v);
        if (got == series_line::refused)
            return 0;
        if (got == series_line::end)
            break;
        // A blank line repeats the point before it.
        if (got == series_line::blank) {
            xs.push_back(xs.back());
            ys.push_back(ys.back());
            continue;
        }
        if (!xs.empty() && v[0] < xs.back()) {
            series_file_refusal(path, rec.line_no,
                                "the x of the point lies below that of line " + std::to_string(last_line) +
                                    " (the abscissae of a curve never go back)");
            return 0;
        }
        xs.push_back(v[0]);
        ys.push_back(v[1]);
        last_line = rec.line_no;
    }
    if (xs.empty()) {
        series_file_refusal(path, rec.line_no,
                            "elevation series " + name + " has no points before its END_ES");
        return 0;
    }
    elev_series* c = elev_series_new();
    c->name = name;
    c->x = std::move(xs);
    c->y = std::move(ys);
    c->count = static_cast<int>(c->x.size());
    return 1;
}

void read_elev_series_file(const std::string& file_name)
{
    read_series_file(file_name, elev_series_read_block, "Elevation series", "elevation series",
                     "curve (no TORVA_ES line)");
}

double elev_series_interp(double v, elev_series* c)
{
    const int n = usable_points(c);
    if (n <= 0)
        return 0.0;
    if (n == 1 || v <= c->x[0])
        return c->y[0];
    if (v >= c->x[static_cast<std::size_t>(n) - 1])
        return c->y[static_cast<std::size_t>(n) - 1];
    const int found = find_interval(c, n, v);
    if (found < 0)
        return 0.0;
    const auto i = static_cast<std::size_t>(found);
    const double width = c->x[i + 1] - c->x[i];
    // Two points at the same abscissa: the first of them, never 0/0.
    if (!(width > 0.0))
        return c->y[i];
    const double w = (v - c->x[i]) / width;
    return (1.0 - w) * c->y[i] + w * c->y[i + 1];
}

double elev_series_step(double v, elev_series* c)
{
    const int n = usable_points(c);
    if (n <= 0)
        return 0.0;
    if (n == 1 || v <= c->x[0])
        return c->y[0];
    if (v >= c->x[static_cast<std::size_t>(n) - 1])
        return c->y[static_cast<std::size_t>(n) - 1];
    const int found = find_interval(c, n, v);
    return found < 0 ? 0.0 : c->y[static_cast<std::size_t>(found)];
}
