// TODO: XY boundary readers and writers of nested models; this holds the
// records the card-value record embeds.
#include "coupling/xy_boundary.h"

#include <cstdio>

void xy_input_construct(xy_input& in)
{
    in.num_ov_points = in.num_gw_points = in.num_st_points = in.num_gw_interp_points = 0;
    checked_array_set_name(in.ovpts, "xy_input::ovpts");
    checked_array_set_name(in.gwpts, "xy_input::gwpts");
    checked_array_set_name(in.stpts, "xy_input::stpts");
    checked_array_set_name(in.gw_interp_pts, "xy_input::gwInterpPts");
    in.ovpts.one_based = 1;
    in.gwpts.one_based = 1;
    in.stpts.one_based = 1;
}

void xy_input_destroy(xy_input& in)
{
    checked_array_destroy(in.ovpts);
    checked_array_destroy(in.gwpts);
    checked_array_destroy(in.stpts);
    checked_array_destroy(in.gw_interp_pts);
}

void xy_output_construct(xy_output& out)
{
    out.first = -1;
    out.output_on = 0;
    out.mode = 0;
}

void xy_output_destroy(xy_output& out)
{
    for (file_rec* f : {&out.ov_depth_file, &out.gw_head_file, &out.stream_flow_file}) {
        if (f->fp) std::fprintf(f->fp, "END_TS\n");
        file_rec_close(*f);
    }
}
