// Reads the XY output points of the points file: a count, then one line of
// x, y and the inset cell number per point.
#include <cstdio>
#include <string_view>

#include "core/check_count.h"
#include "core/error_state.h"
#include "core/text_parse.h"
#include "coupling/coupling_services.h"

namespace
{

// The points are appended as their lines are read, so the count sizes
// nothing; it must not be negative.
const count_field point_count{"point count", 0, 10000000, 0};

void stop_run()
{
    error_set(err_stop);
    report_error(error_state);
}

} // namespace

// A parent run asked for boundary outputs that it cannot place would end
// with a summary and no boundary file: both failures stop it.
void read_xy_points_file(xy_output& out)
{
    if (out.points_file.empty()) {
        std::printf("Error: filename for XY Output File not specified.\n");
        stop_run();
        return;
    }
    file_rec rec;
    if (!file_rec_open(rec, out.points_file, "r")) {
        std::printf("Error: unable to open the xy output file %s.\n", out.points_file.c_str());
        stop_run();
        return;
    }
    std::string line;
    int n = 0;
    std::string_view view;
    if (read_line_rec(line, rec))
        view = line;
    if (const num_status st = pop_int_strict(view, n); st != num_status::ok) {
        std::printf("Error: the point count on line 1 of the xy output file %s %s.\n",
                    out.points_file.c_str(), num_status_text(st));
        stop_run();
        return;
    }
    if (!check_count(n, point_count, out.points_file, 1))
        return;
    for (int k = 1; k <= n; ++k) {
        if (!read_line_rec(line, rec)) {
            std::printf(
                "Warning!!! The number of points specified in the xy output file is more than the actual "
                "points in the file.\n");
            return;
        }
        xy_out_point p;
        std::string_view v = line;
        num_status st = pop_double_strict(v, p.x);
        if (st == num_status::ok)
            st = pop_double_strict(v, p.y);
        if (st == num_status::ok)
            st = pop_int_strict(v, p.id);
        if (st != num_status::ok) {
            std::printf("Error: line %d of the xy output file %s: a value %s (x, y and the cell id are "
                        "expected).\n",
                        k + 1, out.points_file.c_str(), num_status_text(st));
            stop_run();
            out.points.clear();
            return;
        }
        out.points.push_back(p);
    }
}
