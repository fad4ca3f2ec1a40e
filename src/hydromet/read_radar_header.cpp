// The header of a radar grid file: the radar grid's size and position.
#include <cstdio>

#include "core/file_rec.h"
#include "core/text_parse.h"
#include "hydromet/precip_words.h"
#include "hydromet/rain_services.h"
#include "hydromet/rainfall_state.h"

namespace
{

constexpr int header_line_size = 256;
constexpr double largest_radar_grid = 2.0e8; // values

bool header_value(file_rec& rec, std::string& value)
{
    std::string line, label;
    if (!read_line_rec(line, rec, header_line_size))
        return false;
    return pop_token(line, label) && pop_token(line, value);
}

// The most values the rest of the file can hold: one character and one
// separator each (the last needs no separator).
double value_room(file_rec& rec)
{
    const long here = std::ftell(rec.fp);
    if (here < 0 || std::fseek(rec.fp, 0, SEEK_END) != 0)
        return largest_radar_grid;
    const long end = std::ftell(rec.fp);
    std::fseek(rec.fp, here, SEEK_SET);
    return end < here ? 0.0 : (static_cast<double>(end - here) + 1.0) / 2.0;
}

} // namespace

bool read_radar_header_lines(file_rec& rec, int& cols, int& rows, double& llx, double& lly, double& cell,
                             double& nodata)
{
    std::string v;
    if (!header_value(rec, v) || !parse_int_word(v, cols))
        return false;
    if (!header_value(rec, v) || !parse_int_word(v, rows))
        return false;
    double* reals[4] = {&llx, &lly, &cell, &nodata};
    for (double* r : reals)
        if (!header_value(rec, v) || !parse_real_word(v, *r))
            return false;
    return true;
}

int read_radar_header(radar_grid& r, const std::string& name)
{
    const int old_rows = r.rows;
    const int old_cols = r.cols;
    file_rec rec;
    if (!file_rec_open(rec, name, "r"))
        return -1;
    int cols = 0, rows = 0;
    double llx = 0.0, lly = 0.0, cell = 0.0, nodata = 0.0;
    const bool ok = read_radar_header_lines(rec, cols, rows, llx, lly, cell, nodata);
    const double values_left = ok ? value_room(rec) : 0.0;
    file_rec_close(rec);
    const double values = static_cast<double>(cols) * static_cast<double>(rows);
    if (!ok || cols < 1 || rows < 1 || !(cell > 0.0) || values > largest_radar_grid)
        return -1;
    if (values > values_left) {
        // Refused before the grid is allocated: a header that promises more
        // values than the file can hold would otherwise claim gigabytes.
        std::printf("Error: the header of radar grid %s gives %d columns and %d rows, more values than the "
                    "file holds.\n",
                    name.c_str(), cols, rows);
        return -1;
    }

    r.cols = cols;
    r.rows = rows;
    r.llx = llx;
    r.lly = lly;
    r.cell = cell;
    r.nodata = nodata;
    r.west = llx;
    r.north = lly + rows * cell;
    if (rows != old_rows || cols != old_cols || r.precip_data.empty())
        r.precip_data.assign(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols), 0.0);
    return 0;
}
