#include "input/elev_series.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/text_parse.h"
#include "input/time_series.h"

std::list<elev_series> elev_series_list;

namespace {

bool starts_with(std::string_view line, std::string_view word)
{
    return line.substr(0, word.size()) == word;
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
        if (c->x[k] <= v && v <= c->x[k + 1]) return i;
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
    if (!rec.fp || std::feof(rec.fp)) return 0;
    std::string line;
    do {
        if (!read_line_rec(line, rec)) return 0;
    } while (!starts_with(line, "TORVA_ES"));

    std::string name;
    if (read_line_rec(line, rec)) {
        pop_token(line, name);
        strip_quotes(name);
    }
    if (name.size() > static_cast<std::size_t>(series_name_limit)) {
        std::printf("Error: the name of elevation series %s is longer than %d characters.\n", name.c_str(),
                    series_name_limit);
        error_set(err_stop);
        return 0;
    }
    elev_series* c = elev_series_new();
    c->name = name;

    // A line that does not hold two numbers keeps the missing ones from the
    // line before it.
    double x = 0.0, y = 0.0;
    while (read_line_rec(line, rec) && !starts_with(line, "END_ES")) {
        const char* p = line.c_str();
        if (scan_double(p, x)) scan_double(p, y);
        if (!std::isfinite(x) || !std::isfinite(y)) {
            std::printf("Error: point %d of elevation series [%s] in file %s is not a pair of finite numbers: %s\n",
                        static_cast<int>(c->x.size()) + 1, c->name.c_str(), rec.name.c_str(), line.c_str());
            elev_series_list.remove_if([c](const elev_series& e) { return &e == c; });
            error_set(err_stop);
            return 0;
        }
        c->x.push_back(x);
        c->y.push_back(y);
    }
    c->count = static_cast<int>(c->x.size());

    for (std::size_t i = 1; i < c->x.size(); ++i) {
        if (c->x[i] >= c->x[i - 1]) continue;
        std::printf("Error: the abscissae of elevation series [%s] go back at point %d.\n", c->name.c_str(),
                    static_cast<int>(i) + 1);
        elev_series_list.remove_if([c](const elev_series& e) { return &e == c; });
        error_set(err_stop);
        return 0;
    }
    return 1;
}

void read_elev_series_file(const std::string& file_name)
{
    file_rec rec;
    if (!file_rec_open(rec, file_name, "r")) {
        std::printf("Error: Elevation series file not found [%s]\n", file_name.c_str());
        return;
    }
    int n = 0;
    while (elev_series_read_block(rec)) ++n;
    std::printf("%d elevation series read from file %s\n", n, file_name.c_str());
    file_rec_close(rec);
}

double elev_series_interp(double v, elev_series* c)
{
    const int n = usable_points(c);
    if (n <= 0) return 0.0;
    if (n == 1 || v <= c->x[0]) return c->y[0];
    if (v >= c->x[static_cast<std::size_t>(n) - 1]) return c->y[static_cast<std::size_t>(n) - 1];
    const int found = find_interval(c, n, v);
    if (found < 0) return 0.0;
    const auto i = static_cast<std::size_t>(found);
    const double width = c->x[i + 1] - c->x[i];
    // Two points at the same abscissa: the first of them, never 0/0.
    if (!(width > 0.0)) return c->y[i];
    const double w = (v - c->x[i]) / width;
    return (1.0 - w) * c->y[i] + w * c->y[i + 1];
}

double elev_series_step(double v, elev_series* c)
{
    const int n = usable_points(c);
    if (n <= 0) return 0.0;
    if (n == 1 || v <= c->x[0]) return c->y[0];
    if (v >= c->x[static_cast<std::size_t>(n) - 1]) return c->y[static_cast<std::size_t>(n) - 1];
    const int found = find_interval(c, n, v);
    return found < 0 ? 0.0 : c->y[static_cast<std::size_t>(found)];
}
