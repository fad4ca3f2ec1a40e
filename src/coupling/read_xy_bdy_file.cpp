// Reads an overland or groundwater XY boundary file: the header keyword, the
// point count, the points (inset cell numbers, or X and Y positions) and
// one series per point.
#include <cstdio>
#include <string_view>

#include "core/error_state.h"
#include "core/text_parse.h"
#include "coupling/coupling_services.h"
#include "coupling/xy_file_lines.h"

namespace
{

// The values each kind of file may give: depths are never negative; heads
// are elevations, so they may be.
const num_field depth_field{"overland depth", 0.0, 1e4};
const num_field head_field{"groundwater head", -1e5, 1e5};

} // namespace

void read_xy_bdy_file(xy_input& in, const std::string& path, const std::string& kind,
                      const std::string& header, time_series*& series_ref, checked_array<xy_point>& points,
                      int& count, int by_cell)
{
    // The whole first word must be the keyword: XY_GW_HEAD_INTERP is not
    // XY_GW_HEAD.
    const xy_file_kind file_kind{
        header, false, "Error: unable to open " + kind + " xy boundary input file.\n",
        "Error: file used for " + kind + " xy boundary input file is not of appropriate type. File header does not "
        "match " + header + ".\n",
        "Warning: No points in " + kind + " xy boundary input file.\n"};
    file_rec rec;
    const int n = xy_open_points(rec, path, file_kind);
    if (n <= 0)
        return;
    const int size = xy_line_size(n);
    std::string line;
    std::vector<int> cells;
    std::vector<double> xs, ys;
    if (by_cell) {
        if (!xy_next_line(rec, line, size, path, "cell numbers") || !xy_label_ints(line, 2, n, cells, path, 3))
            return;
    } else {
        if (!xy_next_line(rec, line, size, path, "X positions") || !xy_label_reals(line, 1, n, xs, path, 3) ||
            !xy_next_line(rec, line, size, path, "Y positions") || !xy_label_reals(line, 1, n, ys, path, 4))
            return;
    }
    const std::vector<time_series*> series =
        xy_series_block(rec, n, header, path, header == "XY_OV_DEPTH" ? depth_field : head_field);
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
