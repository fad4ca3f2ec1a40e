// One row of every open XY output at time t: the date, then the weighted
// overland depth, groundwater head or channel discharge of each point.
#include <cstdio>

#include "core/julian.h"
#include "coupling/coupling_services.h"

namespace
{

void write_date(std::FILE* fp, int y, int mo, int d, int h, int mi)
{
    std::fprintf(fp, "%4d %02d %02d %02d %02d\t", y, mo, d, h, mi);
}

void write_weighted(std::FILE* fp, const std::vector<xy_out_point>& points, const dvec& values)
{
    for (const xy_out_point& p : points) {
        double sum = 0.0;
        for (int k = 0; k < p.count; ++k) {
            const int cell = p.cells[k];
            if (cell >= 1 && cell <= values.size())
                sum += p.weights[k] * values[cell];
        }
        std::fprintf(fp, "  %8.3lf", sum / p.weight_sum);
    }
    std::fprintf(fp, "\n");
}

} // namespace

void xy_output_write(xy_output& out, double t)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0;
    double sec = 0.0;
    calendar_from_julian(t, y, mo, d, h, mi, sec); // t + 0.01 s, the minute truncated
    if (out.ov_on && out.ov_depth && out.ov_depth_file.fp) {
        write_date(out.ov_depth_file.fp, y, mo, d, h, mi);
        write_weighted(out.ov_depth_file.fp, out.points, *out.ov_depth);
    }
    if (out.gw_on && out.heads && out.gw_head_file.fp) {
        write_date(out.gw_head_file.fp, y, mo, d, h, mi);
        write_weighted(out.gw_head_file.fp, out.points, *out.heads);
    }
    if (out.stream_on && out.qp && out.stream_flow_file.fp) {
        std::FILE* fp = out.stream_flow_file.fp;
        write_date(fp, y, mo, d, h, mi);
        const dnode_mat& q = *out.qp;
        for (const xy_crossing& c : out.crossings) {
            const bool inside = c.node >= 0 && c.node <= q.rows() && c.link >= 0 && c.link <= q.cols();
            std::fprintf(fp, "   %12.4lf", inside ? q[c.node][c.link] : 0.0);
        }
        std::fprintf(fp, "\n");
    }
}
