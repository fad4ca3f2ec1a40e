// Reads an overland or groundwater XY boundary file: the header keyword, the
// point count, the points (inset cell numbers, or X and Y positions) and
// one series per point.
#include <cstdio>
#include <string_view>

#include "core/error_state.h"
#include "core/text_parse.h"
#include "coupling/coupling_services.h"
#include "coupling/xy_file_lines.h"

void read_xy_bdy_file(xy_input& in, const std::string& path, const std::string& kind,
                      const std::string& header, time_series*& series_ref, checked_array<xy_point>& points,
                      int& count, int by_cell)
{
    file_rec rec;
    if (!file_rec_open(rec, path, "r")) {
        std::printf("Error: unable to open %s xy boundary input file.\n", kind.c_str());
        return;
    }
    std::string line;
    std::string word;
    // The whole first word must be the keyword: XY_GW_HEAD_INTERP is not
    // XY_GW_HEAD.
    std::string_view first;
    if (read_line_rec(line, rec))
        first = line;
    if (!pop_token(first, word) || word != header) {
        std::printf("Error: file used for %s xy boundary input file is not of appropriate type. File header "
                    "does not match %s.\n",
                    kind.c_str(), header.c_str());
        file_rec_close(rec);
        return;
    }
    int n = 0;
    if (!read_line_rec(line, rec) || !xy_count_line(line, n, path, 2)) {
        if (error_state.code == 0) {
            std::printf("Error: the xy boundary file %s ends before its point count.\n", path.c_str());
            error_set(err_stop);
        }
        return;
    }
    if (n <= 0) {
        std::printf("Warning: No points in %s xy boundary input file.\n", kind.c_str());
        return;
    }
    const int size = xy_line_size(n);
    std::vector<int> cells;
    std::vector<double> xs, ys;
    if (by_cell) {
        if (!read_line_rec(line, rec, size) || !xy_label_ints(line, 2, n, cells, path, 3)) {
            if (error_state.code == 0) {
                std::printf("Error: the xy boundary file %s ends before its cell numbers.\n", path.c_str());
                error_set(err_stop);
            }
            return;
        }
    } else {
        std::string line_y;
        if (!read_line_rec(line, rec, size) || !read_line_rec(line_y, rec, size) ||
            !xy_label_reals(line, 1, n, xs, path, 3) || !xy_label_reals(line_y, 1, n, ys, path, 4)) {
            if (error_state.code == 0) {
                std::printf("Error: the xy boundary file %s ends before its X and Y lines.\n", path.c_str());
                error_set(err_stop);
            }
            return;
        }
    }
    const std::vector<time_series*> series = xy_series_block(rec, n, header, path);
    if (series.size() != static_cast<std::size_t>(n))
        return;

    const int base = count;
    xy_point_array_grow(points, n);
    for (int k = 0; k < n; ++k) {
        xy_point& p = points[base + k];
        const std::size_t u = static_cast<std::size_t>(k);
        p.cell = by_cell ? cells[u] : 0;
        p.x = by_cell ? 0.0 : xs[u];
        p.y = by_cell ? 0.0 : ys[u];
        p.series = series[u];
    }
    count += n;
    series_ref = series.front();
    if (by_cell)
        in.cell_blocks.push_back({path, &points == &in.gwpts ? 1 : 0, base, n});
}
