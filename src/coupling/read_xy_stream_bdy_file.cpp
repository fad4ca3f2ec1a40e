// Reads an XY_STREAM_HYDROGRAPHS file: the crossings' X and Y positions and
// one discharge series per point.
#include <cstdio>
#include <string_view>

#include "core/error_state.h"
#include "core/text_parse.h"
#include "coupling/coupling_services.h"
#include "coupling/xy_file_lines.h"

namespace
{

// A discharge may run either way through a crossing.
const num_field discharge_field{"discharge", -1e7, 1e7};

} // namespace

void read_xy_stream_bdy_file(xy_input& in, const std::string& path)
{
    static const xy_file_kind file_kind{
        "XY_STREAM_HYDROGRAPHS", true, "Error: unable to open stream xy boundary input file.\n",
        "Error: file used for stream xy boundary input file is not of appropriate type. File header does not "
        "match XY_STREAM_HYDROGRAPHS.\n",
        "Warning: No points in the stream xy boundary input file.\n"};
    file_rec rec;
    const int n = xy_open_points(rec, path, file_kind);
    if (n <= 0)
        return;
    const int size = xy_line_size(n);
    std::string line;
    std::vector<double> xs, ys;
    if (!xy_next_line(rec, line, size, path, "X positions") || !xy_label_reals(line, 1, n, xs, path, 3) ||
        !xy_next_line(rec, line, size, path, "Y positions") || !xy_label_reals(line, 1, n, ys, path, 4))
        return;
    const std::vector<time_series*> series = xy_series_block(rec, n, file_kind.header, path, discharge_field);
    if (series.size() != static_cast<std::size_t>(n))
        return;
    const int base = in.num_st_points;
    xy_stream_point_array_grow(in.stpts, n);
    for (int k = 0; k < n; ++k) {
        xy_stream_point& p = in.stpts[base + k];
        const std::size_t u = static_cast<std::size_t>(k);
        p.link = p.node = 0;
        p.x = xs[u];
        p.y = ys[u];
        p.series = series[u];
        p.explicit_point = 0;
    }
    in.num_st_points += n;
    in.st_series = series.front();
}
