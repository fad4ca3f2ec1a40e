// The XY boundary records of nested models, held in the card-value record,
// and the growth of their element arrays.
#include "coupling/xy_boundary.h"

#include <cstdio>

void xy_interp_cell_init(xy_interp_cell& c)
{
    checked_array_destroy(c.series);
    checked_array_destroy(c.weights);
    c.series.name.clear();
    c.weights.name.clear();
    c.series.one_based = 0;
    c.weights.one_based = 0;
}

namespace
{

// dst becomes a copy of src's slots 0..cap (dst grows when smaller).
template <class T> void copy_whole(checked_array<T>& dst, const checked_array<T>& src)
{
    if (dst.cap < src.cap)
        checked_array_grow(dst, src.cap - dst.cap);
    for (int i = 0; i <= src.cap && i < src.store_size_ && i < dst.store_size_; ++i)
        dst.store_[static_cast<std::size_t>(i)] = src.store_[static_cast<std::size_t>(i)];
}

} // namespace

void xy_interp_cell_copy(xy_interp_cell& dst, const xy_interp_cell& src)
{
    if (&dst == &src)
        return;
    copy_whole(dst.series, src.series);
    copy_whole(dst.weights, src.weights);
    dst.count = src.count;
    dst.cell = src.cell;
}

void xy_interp_cell_destroy(xy_interp_cell& c)
{
    checked_array_destroy(c.series);
    checked_array_destroy(c.weights);
}

int xy_point_array_grow(checked_array<xy_point>& a, int n)
{
    return checked_array_grow(a, n);
}

int xy_stream_point_array_grow(checked_array<xy_stream_point>& a, int n)
{
    return checked_array_grow(a, n);
}

int xy_interp_cell_array_grow(checked_array<xy_interp_cell>& a, int n)
{
    return checked_array_grow(a, n);
}

void xy_interp_cell_array_destroy(checked_array<xy_interp_cell>& a)
{
    if (a.bad_index)
        std::printf("Error: bad range addressed in array %s\n", a.name.c_str());
    a.bad_index = 0;
    for (int i = 0; i < a.store_size_; ++i)
        xy_interp_cell_destroy(a.store_[static_cast<std::size_t>(i)]);
    checked_array_destroy(a);
}

void xy_input_construct(xy_input& in)
{
    in.num_ov_points = in.num_gw_points = in.num_st_points = 0;
    in.num_gw_interp_points = in.num_gw_src = 0;
    in.ov_series = in.gw_series = in.st_series = nullptr;
    checked_array_set_name(in.ovpts, "xy_input::ovpts");
    checked_array_set_name(in.gwpts, "xy_input::gwpts");
    checked_array_set_name(in.stpts, "xy_input::stpts");
    checked_array_set_name(in.gwInterpPts, "xy_input::gwInterpPts");
    in.ovpts.one_based = 1;
    in.gwpts.one_based = 1;
    in.stpts.one_based = 1;
    in.cell_blocks.clear();
}

void xy_input_destroy(xy_input& in)
{
    checked_array_destroy(in.ovpts);
    checked_array_destroy(in.gwpts);
    checked_array_destroy(in.stpts);
    checked_array_destroy(in.gw_interp_src);
    checked_array_destroy(in.spare_array);
    xy_interp_cell_array_destroy(in.gwInterpPts);
    xy_interp_cell_array_destroy(in.ov_interp);
    in.num_ov_points = in.num_gw_points = in.num_st_points = 0;
    in.num_gw_interp_points = in.num_gw_src = 0;
    in.ov_series = in.gw_series = in.st_series = nullptr;
    in.cell_blocks.clear();
}

void xy_output_construct(xy_output& out)
{
    out.first = -1;
    out.output_on = 0;
    out.mode = -1;
    out.gw_on = out.ov_on = out.stream_on = 0;
}

void xy_output_destroy(xy_output& out)
{
    for (file_rec* f : {&out.gw_head_file, &out.ov_depth_file, &out.stream_flow_file}) {
        if (f->fp)
            std::fprintf(f->fp, "END_TS\n");
        file_rec_close(*f);
    }
    out.points.clear();
    out.inset_grid = imat();
    out.crossings.clear();
    out.gw_on = out.ov_on = out.stream_on = 0;
}
