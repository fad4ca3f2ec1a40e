#include "output/map_series.h"

#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "output/grid_writers.h"

int map_format_code(const model_state& s)
{
    if (s.map_type_grids)
        return map_format_grids;
    if (s.map_binary)
        return map_format_binary_dataset;
    return map_format_ascii_dataset;
}

std::string map_file_name(const std::string& prefix, const std::string& tail)
{
    if (prefix.empty())
        return tail;
    const char last = prefix.back();
    if (last == folder_separator || last == '\\')
        return prefix + tail;
    return prefix + folder_separator + tail;
}

bool map_folder_ready(const std::string& folder, const std::string& maps)
{
    if (make_write_folder(folder))
        return true;
    std::printf("Error: the folder %s of the %s maps does not exist and cannot be created: its parent "
                "folder must exist.\n",
                folder.c_str(), maps.c_str());
    error_set(err_stop);
    error_state.raised = 1;
    return false;
}

void map_series_bind(map_series& w, const model_state& s, const double* values, double scale, int decimals)
{
    w.values = values;
    w.mask = &s.mask;
    w.north = s.grid_north;
    w.south = s.grid_south;
    w.east = s.grid_east;
    w.west = s.grid_west;
    w.rows = s.num_rows;
    w.cols = s.num_cols;
    w.cellsize = s.gridsize;
    w.nodata = -999.99;
    w.scale = scale;
    w.decimals = decimals;
}

map_series& map_series_construct(map_series& w)
{
    file_rec_init(w.out);
    w.folder.clear();
    w.values = nullptr;
    w.mask = nullptr;
    w.north = w.south = w.east = w.west = 0.0;
    w.rows = w.cols = 0;
    w.nodata = -999.99;
    w.format = map_format_none;
    w.scale = 1.0;
    w.seq = 1;
    w.decimals = 0;
    w.cellsize = 0.0;
    w.base.clear();
    w.ext.clear();
    w.kind_name.clear();
    return w;
}

void map_series_destroy(map_series& w)
{
    file_rec_release(w.out);
}

map_series::~map_series()
{
    map_series_destroy(*this);
}

void map_series_open(map_series& w, int format, const std::string& prefix, const std::string& base,
                     const std::string& ext, int object_id, const std::string& name, const model_state& s)
{
    w.format = format;
    w.base = base;
    w.ext = ext;
    w.folder = prefix;
    w.kind_name = name;
    const std::string path = prefix + base;
    if (format == map_format_grids)
        map_folder_ready(prefix, name); // found missing at the first map time otherwise
    else if (format == map_format_binary_dataset)
        write_binary_dataset_header(path, w.out, object_id, name, s.grid_rows, s.grid_cols);
    else if (format == map_format_ascii_dataset)
        write_ascii_dataset_header(path, w.out, object_id, name, s.grid_rows, s.grid_cols);
}

void map_series_write(map_series& w, double time)
{
    if (!w.mask || !w.values)
        return; // not bound to a quantity yet
    if (w.format == map_format_grids) {
        char tail[32];
        std::snprintf(tail, sizeof tail, ".%04d", w.seq);
        const std::string name = map_file_name(w.folder, w.kind_name + w.base + tail + w.ext);
        std::printf("opening file %s\n", name.c_str());
        if (!file_rec_open(w.out, name, "w")) {
            std::printf("Can't open map for writing: %s\n", name.c_str());
            error_set(err_stop);
            report_error(error_state);
            return;
        }
        write_esri_ascii_grid(w.out.fp, *w.mask, w.north, w.south, w.east, w.west, w.rows, w.cols, w.values,
                              w.cellsize);
        file_rec_close(w.out);
        ++w.seq;
    } else if (w.format == map_format_ascii_dataset || w.format == map_format_binary_dataset) {
        write_dataset_step(w.out.fp, time, w.rows, w.cols, *w.mask, w.values,
                           w.format == map_format_binary_dataset);
    }
}

void map_series_end(map_series& w)
{
    if (w.format == map_format_ascii_dataset || w.format == map_format_binary_dataset)
        write_dataset_end(w.out, w.format == map_format_binary_dataset);
}

void map_series_row_array_add_rows(row_array<map_series>& a, int n)
{
    row_array_detail::add_rows(a, n, 2, [](int width) {
        map_series* row = new map_series[static_cast<std::size_t>(width) + 1];
        for (int j = 0; j <= width; ++j)
            map_series_construct(row[j]);
        return row;
    });
}

void map_series_row_array_destroy(row_array<map_series>& a)
{
    if (!row_array_verify(a))
        return;
    for (int i = 1; i <= a.count; ++i) {
        if (!a.owned[i])
            continue;
        for (int j = 0; j <= a.width; ++j)
            map_series_destroy(a.row_table[i][j]);
    }
    row_array_destroy(a);
}
