// Finds where the channels of the channel input file cross the outline of
// the inset mask, keeps one crossing per link (the one with the largest
// node) and opens the stream hydrograph output with their positions.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <vector>

#include "core/text_parse.h"
#include "coupling/coupling_services.h"

namespace
{

struct outline_segment {
    double x0, y0, x1, y1;
};

// The sides of every boundary cell of the inset that face outside the grid
// or a zero cell: top, right, bottom, left.
std::vector<outline_segment> inset_outline(const xy_output& out)
{
    std::vector<outline_segment> segs;
    if (!out.inset_grid)
        return segs;
    const imat& g = out.inset_grid;
    const double h = out.in_cell_size;
    for (int r = 1; r <= out.in_rows; ++r)
        for (int c = 1; c <= out.in_cols; ++c) {
            if (!inset_boundary_cell(g, out.in_rows, out.in_cols, r, c))
                continue;
            const double x0 = out.in_west + (c - 1) * h;
            const double y0 = out.in_north - (r - 1) * h;
            if (r == 1 || g[r - 1][c] == 0)
                segs.push_back({x0, y0, x0 + h, y0});
            if (c == out.in_cols || g[r][c + 1] == 0)
                segs.push_back({x0 + h, y0, x0 + h, y0 - h});
            if (r == out.in_rows || g[r + 1][c] == 0)
                segs.push_back({x0 + h, y0 - h, x0, y0 - h});
            if (c == 1 || g[r][c - 1] == 0)
                segs.push_back({x0, y0 - h, x0, y0});
        }
    return segs;
}

} // namespace

bool channel_segment_crosses(double p0x, double p0y, double p1x, double p1y, double q0x, double q0y,
                             double q1x, double q1y)
{
    const double l = (p1x - p0x) * (q1y - q0y) - (p1y - p0y) * (q1x - q0x);
    if (l == 0.0)
        return false; // parallel
    const double t = ((q0x - p0x) * (p1y - p0y) - (q0y - p0y) * (p1x - p0x)) / l;
    const double u = ((q0y - p0y) * (q1x - q0x) - (q0x - p0x) * (q1y - q0y)) / (-l);
    return t >= 0.0 && t <= 1.0 && u > 0.0 && u <= 1.0;
}

void find_inset_stream_crossings(xy_output& out, const std::string& chan_file, const dnode_mat* qp)
{
    out.stream_on = 0;
    out.crossings.clear();
    if (!qp || chan_file.empty() || out.stream_flow_name.empty())
        return;
    out.stream_on = 1;
    out.qp = qp;
    file_rec rec;
    if (!file_rec_open(rec, chan_file, "r")) {
        std::printf(
            "Error: unable to open the .cif file for reading for the stream boundary XY hydrograph ouput "
            "file\n");
        out.stream_on = 0;
        return;
    }
    const std::vector<outline_segment> outline = inset_outline(out);
    std::string line;
    int link = 0, node = 0;
    bool first_point = true;
    double px = 0.0, py = 0.0;
    while (read_line_rec(line, rec)) {
        std::string_view v = line;
        if (line.rfind("LINK ", 0) == 0) {
            v.remove_prefix(5);
            pop_int(v, link);
            first_point = true;
        } else if (line.rfind("NODE ", 0) == 0) {
            v.remove_prefix(5);
            pop_int(v, node);
        } else if (line.rfind("X_Y ", 0) == 0) {
            v.remove_prefix(4);
            double x = 0.0, y = 0.0;
            pop_double(v, x);
            pop_double(v, y);
            if (!first_point) {
                for (const outline_segment& q : outline) {
                    if ((px < std::min(q.x0, q.x1) && x < std::min(q.x0, q.x1)) ||
                        (px > std::max(q.x0, q.x1) && x > std::max(q.x0, q.x1)) ||
                        (py < std::min(q.y0, q.y1) && y < std::min(q.y0, q.y1)) ||
                        (py > std::max(q.y0, q.y1) && y > std::max(q.y0, q.y1)))
                        continue;
                    if (!channel_segment_crosses(px, py, x, y, q.x0, q.y0, q.x1, q.y1))
                        continue;
                    const xy_crossing c{0.5 * (px + x), 0.5 * (py + y), link, node - 1};
                    auto it = std::find_if(out.crossings.begin(), out.crossings.end(),
                                           [link](const xy_crossing& k) { return k.link == link; });
                    if (it == out.crossings.end())
                        out.crossings.push_back(c);
                    else if (c.node > it->node)
                        *it = c;
                    break;
                }
            }
            first_point = false;
            px = x;
            py = y;
        }
    }
    file_rec_close(rec);

    std::printf("TORVA identified %d stream link/nodes as crossing the inset mask boundary.\n",
                static_cast<int>(out.crossings.size()));
    for (const xy_crossing& c : out.crossings)
        std::printf("%d,%d\t", c.link, c.node);
    std::printf("\n");

    if (!file_rec_open(out.stream_flow_file, out.stream_flow_name, "w")) {
        std::printf("Error: unable to open the stream boundary XY hydrograph ouput file\n");
        out.stream_on = 0;
        return;
    }
    std::FILE* fp = out.stream_flow_file.fp;
    std::fprintf(fp, "XY_STREAM_HYDROGRAPHS\n");
    std::fprintf(fp, "%d\n", static_cast<int>(out.crossings.size()));
    std::fprintf(fp, "X                 \t");
    for (const xy_crossing& c : out.crossings)
        std::fprintf(fp, "   %12.3lf", c.x);
    std::fprintf(fp, "\n");
    std::fprintf(fp, "Y                 \t");
    for (const xy_crossing& c : out.crossings)
        std::fprintf(fp, "   %12.3lf", c.y);
    std::fprintf(fp, "\n");
    std::fflush(fp);
}
