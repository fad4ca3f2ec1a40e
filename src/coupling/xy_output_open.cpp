// Opens the XY outputs of an outer model: reads the points, opens the
// groundwater and overland files, computes the weights, writes the headers.
#include <cstdio>

#include "core/error_state.h"
#include "coupling/coupling_services.h"

namespace
{

// The header of an XY_OV_DEPTH or XY_GW_HEAD file: the keyword, the count
// and the inset cell numbers.
void write_point_header(std::FILE* fp, const char* keyword, const std::vector<xy_out_point>& points)
{
    std::fprintf(fp, "%s\n", keyword);
    std::fprintf(fp, "%d\n", static_cast<int>(points.size()));
    std::fprintf(fp, "DATE       TIME \t");
    for (const xy_out_point& p : points)
        std::fprintf(fp, "  %8d", p.id);
    std::fprintf(fp, "\n");
}

bool open_output(file_rec& rec, const std::string& name, const char* message)
{
    if (name.empty())
        return false;
    if (file_rec_open(rec, name, "w"))
        return true;
    std::fputs(message, stderr);
    std::fputs(message, stdout);
    return false;
}

} // namespace

void xy_output_open(xy_output& out, double north, double west, int rows, int cols, double cell_size,
                    const imat& mask, const dvec* ov_depth, const dvec* heads)
{
    out.north = north;
    out.west = west;
    out.rows = rows;
    out.cols = cols;
    out.cell_size = cell_size;
    out.mask = &mask;
    out.ov_depth = ov_depth;
    out.heads = heads;
    if (out.mode == 0)
        read_xy_points_file(out);
    else if (out.mode == 1)
        read_inset_mask(out);
    if (run_stopped())
        return;
    out.gw_on = heads && open_output(out.gw_head_file, out.gw_head_name,
                                     "Error: XY Groundwater output file name is not valid\n");
    out.ov_on = ov_depth && open_output(out.ov_depth_file, out.ov_depth_name,
                                        "Error: XY Overland Flow output file name is not valid\n");
    xy_points_weights(out);
    if (out.ov_on)
        write_point_header(out.ov_depth_file.fp, "XY_OV_DEPTH", out.points);
    if (out.gw_on)
        write_point_header(out.gw_head_file.fp, "XY_GW_HEAD", out.points);
}
