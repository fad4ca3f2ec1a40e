// Hourly weather grids: a file of time stamps yyyymmddhh, each the stem of
// eight ESRI-style grids (cloud, precipitation, pressure, humidity,
// temperature, direct and global radiation, wind). Every grid of the run
// must have the header and the number of values of the first grid read;
// the working grids and the cell positions in them are set once. Each cell
// takes the values of the grid cell holding its centre; the station
// temperature is the mean over the cells with temperature data.
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/check_count.h"
#include "core/model_state.h"
#include "core/text_parse.h"
#include "hydromet/hmet_reader_parts.h"
#include "hydromet/hmet_services.h"
#include "hydromet/precip_words.h"

namespace
{

constexpr double inhg_to_mb = 1013.25 / 29.92;
constexpr double no_data = -9999.0;      // value of a cell without data
constexpr double data_above = -998000.0; // grid values at or below are no data
constexpr double missing_wind = 3.0;     // m/s without a wind grid

struct grid_file {
    const char* suffix;
    const char* name;       // in the open and fill announcements
    const char* fill;       // "Filling %s Array"
    bool required;          // the evapotranspiration cannot do without it
    hmet_value_field value; // the values a cell with data may take
};
const grid_file grid_files[hmet_grid_kinds] = {
    {"_Clod.asc", "Cloud", "Cloud", true, {"cloud cover (tenths)", 0, 10}},
    {"_Prcp.asc", "Precip", "Precipitation", false, {"precipitation", 0, 1e30}},
    {"_Pres.asc", "Pressure", "Pressure", true, {"pressure (inches of mercury)", 0, 10000, true}},
    {"_RlHm.asc", "Relative Humidity", "Relative Humidity", true, {"relative humidity (%)", 0, 100}},
    {"_Temp.asc", "Temperature", "Temperature", true, {"temperature (deg F)", -150, 150}},
    {"_Drad.asc", "Direct Radiation", "Direct Radiation", false, {"direct radiation", 0, 1e30}},
    {"_Grad.asc", "Global Radiation", "Global Radiation", true, {"global radiation", 0, 1e30}},
    {"_WndS.asc", "Wind Speed", "Wind Speed", false, {"wind speed (m/s)", 0, 150}},
};

// The columns and rows of a grid header size the working grids: each is
// checked, and so are the values they ask for against the file's size (one
// character and one separator each).
const count_field grid_cols_field{"ncols", 1, 2147483647, 0};
const count_field grid_rows_field{"nrows", 1, 2147483647, 0};
const count_field grid_values_field{"number of values (ncols x nrows)", 1, 200000000, 2};

// Accepted ranges of the stamp's parts, kept beside the reader.
struct int_range {
    long long lo, hi;
};
const int_range stamp_month{1, 12}, stamp_day{1, 31}, stamp_hour{0, 23};

// Splits a stamp yyyymmddhh by integer division; false when it is not a
// whole number or a part is out of range.
bool split_stamp(std::string_view text, int date[4])
{
    long long v = 0;
    if (parse_long_strict(text, v) != num_status::ok || v < 0 || v / 1000000 > 9999)
        return false;
    const long long m = v % 1000000 / 10000, d = v % 10000 / 100, h = v % 100;
    if (m < stamp_month.lo || m > stamp_month.hi || d < stamp_day.lo || d > stamp_day.hi ||
        h < stamp_hour.lo || h > stamp_hour.hi)
        return false;
    date[0] = static_cast<int>(v / 1000000);
    date[1] = static_cast<int>(m);
    date[2] = static_cast<int>(d);
    date[3] = static_cast<int>(h);
    return hmet_date_fault(date).empty();
}

// One stamp from a line of one token; false when the line holds another
// number of tokens or a token that is not a stamp.
bool stamp_line(const std::string& line, std::string& stem, int date[4])
{
    std::string_view v(line);
    std::string rest;
    return pop_token(v, stem) && !pop_token(v, rest) && split_stamp(stem, date);
}

void stamp_error(const model_state& s, int line, const std::string& text)
{
    std::printf("Error: Problem encountered in hmet_ASCII file, line %d \n\n", line);
    std::printf("Make sure your file is in the correct format, including making sure\n"
                "the dates are in integers and in the following format:\n");
    std::printf(" Format:\nyyyymmddhh\n2008050100int\n\n");
    std::string_view v(text);
    std::string first, second;
    std::string cause;
    if (!pop_token(v, first))
        cause = "the line holds no time stamp";
    else if (pop_token(v, second))
        cause = "the line holds \"" + second + "\" after its time stamp";
    else
        cause = "the time stamp \"" + first + "\" is not a date and hour yyyymmddhh";
    hmet_refuse(s, line, cause);
}

bool read_header(precip_word_reader& in, hmet_grid_header& h)
{
    std::string label, w;
    double reals[3] = {};
    if (!in.word(label) || !in.word(w) || !parse_int_word(w, h.cols))
        return false;
    if (!in.word(label) || !in.word(w) || !parse_int_word(w, h.rows))
        return false;
    for (double& r : reals)
        if (!in.word(label) || !in.word(w) || !parse_real_word(w, r))
            return false;
    h.llx = reals[0];
    h.lly = reals[1];
    h.cell = reals[2];
    return in.word(label) && in.word(w) && parse_int_word(w, h.nodata);
}

std::string number_text(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

bool same_header(const hmet_grid_header& a, const hmet_grid_header& b)
{
    return a.cols == b.cols && a.rows == b.rows && a.llx == b.llx && a.lly == b.lly && a.cell == b.cell;
}

// Sets the run's grid header from the first grid read and sizes the working
// grids once; false after a reported error.
bool size_grids(model_state& s, const hmet_grid_header& h, const std::string& name, std::FILE* fp)
{
    if (!check_count(h.cols, grid_cols_field, name, 1) || !check_count(h.rows, grid_rows_field, name, 2) ||
        !check_count(static_cast<long long>(h.cols) * h.rows, grid_values_field, name, 6, fp))
        return false;
    if (!(h.cell > 0.0)) {
        std::printf("Error: file %s, line 5: the cellsize %g of the hydrometeorological grid must be above 0.\n",
                    name.c_str(), h.cell);
        hmet_stop_reported();
        return false;
    }
    s.hmet_grid_ref = h;
    const auto n = static_cast<std::size_t>(h.cols) * static_cast<std::size_t>(h.rows);
    for (int k = 0; k < hmet_grid_kinds; ++k)
        if (k != hmet_grid_precip)
            s.hmet_grid_values[k].assign(n, 0.0);
    s.hmet_grid_sized = 1;
    return true;
}

// Reads one grid file into its working grid (the precipitation grid is
// only read through); false after a reported error.
bool read_grid_file(model_state& s, int kind, const std::string& name, std::FILE* fp)
{
    precip_word_reader in(fp);
    hmet_grid_header h;
    if (!read_header(in, h)) {
        std::printf(
            "Error: the header of hydrometeorological grid %s must be six lines of a label and a number: "
            "ncols, nrows, xllcorner, yllcorner, cellsize (numbers) and NODATA_value (a whole number)\n",
            name.c_str());
        hmet_stop_reported();
        return false;
    }
    if (!s.hmet_grid_sized && !size_grids(s, h, name, fp))
        return false;
    const hmet_grid_header& r = s.hmet_grid_ref;
    if (!same_header(h, r)) {
        std::printf(
            "Error: hydrometeorological grid %s has %d columns, %d rows, lower-left corner (%lf, %lf) and "
            "cell size %lf; the first grid of the run has %d, %d, (%lf, %lf) and %lf\n",
            name.c_str(), h.cols, h.rows, h.llx, h.lly, h.cell, r.cols, r.rows, r.llx, r.lly, r.cell);
        hmet_stop_reported();
        return false;
    }
    std::vector<double>* out = kind == hmet_grid_precip ? nullptr : &s.hmet_grid_values[kind];
    const double nodata = h.nodata;
    for (int i = 0; i < h.rows; ++i)
        for (int j = 0; j < h.cols; ++j) {
            double v = 0.0;
            const word_status got = in.real(v);
            if (got != word_status::ok) {
                if (got == word_status::end)
                    std::printf("\n\nERROR!!! Counts DO NOT MATCH\n\n");
                std::printf("Error: hydrometeorological grid %s: the value of row %d, column %d %s\n",
                            name.c_str(), i + 1, j + 1,
                            got == word_status::end ? "is missing: the file ends before it"
                                                    : "is not a number");
                hmet_stop_reported();
                return false;
            }
            if (v <= data_above || v == nodata) {
                v = no_data;
            } else if (const std::string cause =
                           hmet_value_fault(grid_files[kind].value, num_status::ok, number_text(v), v);
                       !cause.empty()) {
                std::printf("Error: hydrometeorological grid %s: row %d, column %d: %s.\n", name.c_str(), i + 1,
                            j + 1, cause.c_str());
                hmet_stop_reported();
                return false;
            }
            if (out)
                (*out)[static_cast<std::size_t>(i) * h.cols + j] = v;
        }
    std::string extra;
    if (in.word(extra)) {
        std::printf("\n\nERROR!!! Counts DO NOT MATCH\n\n");
        std::printf(
            "Error: hydrometeorological grid %s holds more values than the %d rows of %d columns of its "
            "header\n",
            name.c_str(), h.rows, h.cols);
        hmet_stop_reported();
        return false;
    }
    return true;
}

// The position in the grids of every cell's centre, with the coordinate
// check; done once, since every grid of the run shares the header. Cells far
// from their grid cell are warned about by the check; one line more names
// the grids, the first such cell and how many there are.
void locate_cells(model_state& s, const std::string& stem)
{
    int far = 0;
    const hmet_grid_header& g = s.hmet_grid_ref;
    const int n = s.num_cells;
    s.hmet_grid_pos.assign(n, 0);
    const double dx = s.gridsize;
    for (int r = 1; r <= s.num_rows; ++r)
        for (int c = 1; c <= s.num_cols; ++c) {
            const int k = s.mask[r][c];
            if (k < 1 || k > n)
                continue;
            const double x = s.grid_west + (c - 0.5) * dx;
            const double y = s.grid_north - (r - 0.5) * dx;
            double col = std::trunc(std::trunc(x - g.llx) / g.cell);
            double row = std::trunc(std::trunc(g.lly + g.rows * g.cell - y) / g.cell);
            col = col < 0.0 ? 0.0 : (col > g.cols - 1 ? g.cols - 1 : col);
            row = row < 0.0 ? 0.0 : (row > g.rows - 1 ? g.rows - 1 : row);
            const int gc = static_cast<int>(col), gr = static_cast<int>(row);
            s.hmet_grid_pos[k] = gr * g.cols + gc;
            const double off =
                check_hmet_grid_coords(r, c, s.grid_north, s.grid_west, dx, g.lly, g.llx, g.cell, gc, gr, g.rows);
            if (off > 1.3 * g.cell && far++ == 0)
                std::printf("\nWarning: the hourly grids of %s (x %.10g to %.10g, y %.10g to %.10g) do not cover model "
                            "cell %d (row %d, column %d; centre x %.10g, y %.10g): it takes the weather of grid "
                            "column %d, row %d, %.10g m away.\n",
                            stem.c_str(), g.llx, g.llx + g.cols * g.cell, g.lly, g.lly + g.rows * g.cell, k, r, c, x,
                            y, gc + 1, gr + 1, off);
        }
    if (far > 1)
        std::printf("Warning: %d cells of the watershed lie outside the hourly grids of %s.\n", far, stem.c_str());
}

void size_cells(model_state& s)
{
    const int n = s.num_cells;
    for (dvec* v : {&s.hmet_cell_direct_rad, &s.hmet_cell_global_rad, &s.hmet_cell_cloud, &s.hmet_cell_temp,
                    &s.hmet_cell_rel_hum, &s.hmet_cell_pressure, &s.hmet_cell_wind})
        if (v->size() != n)
            v->assign(n, 0.0);
}

// Every cell's values of the hour, converted to the record units; a cell
// without data keeps -9999.
void fill_cells(model_state& s, const bool present[hmet_grid_kinds])
{
    const int n = s.num_cells;
    const std::vector<double>* g = s.hmet_grid_values;
    const bool wind = present[hmet_grid_wind];
    const bool direct = present[hmet_grid_direct_rad];
    for (int k = 1; k <= n; ++k) {
        const std::size_t p = static_cast<std::size_t>(s.hmet_grid_pos[k]);
        const double cloud = g[hmet_grid_cloud][p], press = g[hmet_grid_pressure][p];
        const double temp = g[hmet_grid_temp][p];
        s.hmet_cell_cloud[k] = cloud; // tenths
        s.hmet_cell_pressure[k] = press == no_data ? no_data : press * inhg_to_mb;
        s.hmet_cell_rel_hum[k] = g[hmet_grid_rel_hum][p];
        s.hmet_cell_temp[k] = temp == no_data ? no_data : (temp - 32.0) * 5.0 / 9.0;
        s.hmet_cell_direct_rad[k] = direct ? g[hmet_grid_direct_rad][p] : no_data;
        s.hmet_cell_global_rad[k] = g[hmet_grid_global_rad][p];
        s.hmet_cell_wind[k] = wind ? g[hmet_grid_wind][p] : missing_wind;
    }
}

} // namespace

double hmet_cell_temp_mean(const model_state& s, int& cells_with_data)
{
    double sum = 0.0;
    cells_with_data = 0;
    for (int k = 1; k <= s.num_cells; ++k)
        if (!hmet_no_data(s.hmet_cell_temp[k])) {
            sum += s.hmet_cell_temp[k];
            ++cells_with_data;
        }
    return cells_with_data > 0 ? sum / cells_with_data : 0.0;
}

bool hmet_cell_has_weather(const model_state& s, int i)
{
    return !hmet_no_data(s.hmet_cell_temp[i]) && !hmet_no_data(s.hmet_cell_pressure[i]) &&
           !hmet_no_data(s.hmet_cell_cloud[i]) && !hmet_no_data(s.hmet_cell_rel_hum[i]) &&
           !hmet_no_data(s.hmet_cell_global_rad[i]) && !hmet_no_data(s.hmet_cell_wind[i]);
}

int scan_hmet_grids(model_state& s)
{
    const int lines = hmet_scan_hours(s, 0, [&s](const std::string& line, int line_no, int date[4]) {
        std::string stem;
        if (stamp_line(line, stem, date))
            return true;
        stamp_error(s, line_no, line);
        return false;
    });
    if (lines < 0)
        return -1;
    if (!s.super_quiet)
        std::printf("End of hmet_ASCII file encountered after %d lines\n", lines);
    s.hmet_grid_sized = 0;
    s.hmet_grid_first_done = 0;
    s.hmet_grid_gaps_told = 0;
    size_cells(s);
    return 0;
}

int read_hmet_grids(model_state& s)
{
    std::string line, stem;
    int date[4] = {};
    if (!hmet_next_line(s, line))
        return -1;
    if (!stamp_line(line, stem, date)) {
        stamp_error(s, s.hmet_lines_read, line);
        return -1;
    }
    const bool first = !s.hmet_grid_first_done;
    s.hmet_grid_first_done = 1;
    bool present[hmet_grid_kinds] = {};
    for (int k = 0; k < hmet_grid_kinds; ++k) {
        const grid_file& f = grid_files[k];
        const std::string name = stem + f.suffix;
        std::FILE* fp = std::fopen(name.c_str(), "r");
        if (!fp) {
            if (first)
                std::printf("ERROR!!! CANNOT OPEN %s FILE\n", f.name);
            if (f.required) {
                // Without this grid the balance would run on -9999 values.
                std::printf("Error: cannot open the hydrometeorological grid %s\n", name.c_str());
                hmet_stop_reported();
                return -1;
            }
            if (k == hmet_grid_wind && first)
                std::printf("NO WIND VALUE READ, using %lf \n", missing_wind);
            continue;
        }
        if (first)
            std::printf("Filling %s Array\n", f.fill);
        const bool ok = read_grid_file(s, k, name, fp);
        std::fclose(fp);
        if (!ok)
            return -1;
        present[k] = true;
    }
    if (s.hmet_grid_pos.size() != s.num_cells)
        locate_cells(s, stem);
    size_cells(s);
    fill_cells(s, present);
    int with_data = 0;
    const double mean = hmet_cell_temp_mean(s, with_data);
    if (with_data == 0) {
        std::printf("Error: no cell of the watershed has a value in temperature grid %s%s\n", stem.c_str(),
                    grid_files[hmet_grid_temp].suffix);
        hmet_stop_reported();
        return -1;
    }
    s.hmet_air_temp = mean;
    if (!s.hmet_grid_gaps_told) {
        int gaps = 0;
        for (int k = 1; k <= s.num_cells; ++k)
            gaps += !hmet_cell_has_weather(s, k);
        if (gaps > 0) {
            std::printf(
                "Warning: %d cells of the watershed have no data in the hourly grids of %s; their "
                "evapotranspiration is 0 and their frozen-ground index is kept while they have none\n",
                gaps, stem.c_str());
            s.hmet_grid_gaps_told = 1;
        }
    }
    for (int k = 0; k < 4; ++k)
        s.hmet_first_date[k] = date[k];
    return 1;
}
