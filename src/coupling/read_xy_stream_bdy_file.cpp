// Reads an XY_STREAM_HYDROGRAPHS file: the crossings' X and Y positions and
// one discharge series per point.
#include <cstdio>
#include <string_view>

#include "core/error_state.h"
#include "core/text_parse.h"
#include "coupling/coupling_services.h"
#include "coupling/xy_file_lines.h"

void read_xy_stream_bdy_file(xy_input& in, const std::string& path)
{
    static const std::string header = "XY_STREAM_HYDROGRAPHS";
    file_rec rec;
    if (!file_rec_open(rec, path, "r")) {
        std::printf("Error: unable to open stream xy boundary input file.\n");
        return;
    }
    std::string line;
    if (!read_line_rec(line, rec) || !same_first_word(line, header)) {
        std::printf(
            "Error: file used for stream xy boundary input file is not of appropriate type. File header "
            "does not match XY_STREAM_HYDROGRAPHS.\n");
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
        std::printf("Warning: No points in the stream xy boundary input file.\n");
        return;
    }
    const int size = xy_line_size(n);
    std::vector<double> xs, ys;
    std::string line_y;
    if (!read_line_rec(line, rec, size) || !read_line_rec(line_y, rec, size) ||
        !xy_label_reals(line, 1, n, xs, path, 3) || !xy_label_reals(line_y, 1, n, ys, path, 4)) {
        if (error_state.code == 0) {
            std::printf("Error: the xy boundary file %s ends before its X and Y lines.\n", path.c_str());
            error_set(err_stop);
        }
        return;
    }
    const std::vector<time_series*> series = xy_series_block(rec, n, header, path);
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
