// Hourly weather files: KTR text records and SAMSON fixed columns here; the
// NCDC surface-airways lines and the hourly grids have their own files.
// The scan call counts the records and finds their first and last dates;
// each record call reads one hour, repairs missing values and converts the
// units (cloud cover in tenths, deg C, %, mb, m/s). With orographic
// variation the station temperature is spread over the cells by elevation.
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/error_state.h"
#include "core/julian.h"
#include "core/model_state.h"
#include "core/text_parse.h"
#include "hydromet/hmet_reader_parts.h"
#include "hydromet/hmet_services.h"

namespace
{

constexpr int ktr_fields = 11;
constexpr double ktr_missing = 999.0;       // pressure, humidity, sky cover, wind, temperature
constexpr double ktr_missing_rad = 9999.9;  // radiation above this is missing
constexpr double inhg_to_mb = 1013.25 / 29.92;
constexpr double knot_to_ms = 0.514444;

// Accepted ranges of the date fields, kept beside the readers.
struct int_range {
    const char* name;
    int lo, hi;
};
const int_range date_ranges[4] = {{"year", 0, 9999}, {"month", 1, 12}, {"day", 1, 31}, {"hour", 0, 24}};

bool quiet_scan(const model_state& s)
{
    return s.super_quiet || s.calib_mode;
}

// Hour 24 is hour 0 of the next day.
void roll_hour_24(int d[4])
{
    if (d[3] != 24)
        return;
    int y, m, day, h, mi;
    double sec;
    calendar_from_julian(julian_date(d[0], d[1], d[2], 24, 0, 0.0), y, m, day, h, mi, sec);
    d[0] = y;
    d[1] = m;
    d[2] = day;
    d[3] = 0;
}

// ---- KTR -------------------------------------------------------------------

struct ktr_line {
    int date[4];
    double pressure;
    int rel_hum, sky, wind, temp;
    double direct, global;
};

// The field number (1..11) of the first field that is missing or not a
// number of its kind, else 0.
int parse_ktr_line(const std::string& line, ktr_line& r)
{
    std::string_view v(line);
    int* ints[9] = {&r.date[0], &r.date[1], &r.date[2], &r.date[3], nullptr,
                    &r.rel_hum, &r.sky,     &r.wind,    &r.temp};
    for (int f = 0; f < 4; ++f)
        if (pop_int_strict(v, *ints[f]) != num_status::ok || *ints[f] < date_ranges[f].lo ||
            *ints[f] > date_ranges[f].hi)
            return f + 1;
    if (pop_double_strict(v, r.pressure) != num_status::ok)
        return 5;
    for (int f = 5; f < 9; ++f)
        if (pop_int_strict(v, *ints[f]) != num_status::ok)
            return f + 1;
    if (pop_double_strict(v, r.direct) != num_status::ok)
        return 10;
    if (pop_double_strict(v, r.global) != num_status::ok)
        return 11;
    return 0;
}

void ktr_format_error(int line, int field)
{
    std::printf("Error: Problem encountered in hmet_KTR file, line %d, near parameter %d\n\n", line, field);
    std::printf("Make sure your file is in the correct format, including making sure\n"
                "all input data are listed as floats or ints as specified in the following\n"
                "format table:\n");
    std::printf(" Format:\n1   2   3   4    5     6           7        8         9    10        11  \n"
                "Yr  Mo  Day Hr  Press. RelHumidity SkyCover WindSpeed Temp DirectRad GlobalRad\n"
                "int int int int float  int         int      int       int  float     float\n\n");
    hmet_stop_reported();
}

int scan_ktr(model_state& s)
{
    std::FILE* fp = s.hmet_file.fp;
    std::string line;
    int line_no = 0, records = 0;
    ktr_line r{};
    while (read_raw_line(fp, line)) {
        ++line_no;
        if (hmet_blank_line(line))
            continue;
        if (const int bad = parse_ktr_line(line, r)) {
            ktr_format_error(line_no, bad);
            return -1;
        }
        if (records == 0)
            for (int k = 0; k < 4; ++k)
                s.hmet_first_date[k] = r.date[k];
        for (int k = 0; k < 4; ++k)
            s.hmet_last_date[k] = r.date[k];
        ++records;
    }
    s.hmet_record_count = records;
    if (!quiet_scan(s))
        std::printf("End of hmet_KTR file encountered after %d lines\n", line_no);
    std::rewind(fp);
    s.hmet_lines_read = 0;
    return 0;
}

int read_ktr(model_state& s)
{
    std::string line;
    ktr_line r{};
    if (!hmet_next_line(s, line))
        return -1;
    if (const int bad = parse_ktr_line(line, r)) {
        ktr_format_error(s.hmet_lines_read, bad);
        return -1;
    }
    const int h = r.date[3] % 24;
    int& n = s.hmet_repaired;
    const double direct = hmet_repaired_value(r.direct > ktr_missing_rad, r.direct, s.hmet_last_direct[h], n);
    const double global = hmet_repaired_value(r.global > ktr_missing_rad, r.global, s.hmet_last_global[h], n);
    const double press = hmet_repaired_value(r.pressure == ktr_missing, r.pressure, s.hmet_last_pressure, n);
    const double hum = hmet_repaired_value(r.rel_hum == ktr_missing, r.rel_hum, s.hmet_last_rel_hum[h], n);
    const double temp = hmet_repaired_value(r.temp == ktr_missing, r.temp, s.hmet_last_temp[h], n);
    const double sky = hmet_repaired_value(r.sky == ktr_missing, r.sky, s.hmet_last_cloud, n);
    const double wind = hmet_repaired_value(r.wind == ktr_missing, r.wind, s.hmet_last_wind, n);
    s.hmet_direct_rad = direct;
    s.hmet_global_rad = global;
    s.hmet_cloud = sky; // tenths, as every other source
    s.hmet_air_temp = (temp - 32.0) * 5.0 / 9.0;
    s.hmet_rel_hum = hum;
    s.hmet_pressure = press * inhg_to_mb;
    s.hmet_wind = wind * knot_to_ms;
    for (int k = 0; k < 4; ++k)
        s.hmet_first_date[k] = r.date[k];
    return ktr_fields;
}

// ---- SAMSON ----------------------------------------------------------------

const hmet_column samson_year{2, 3}, samson_month{5, 6}, samson_day{8, 9}, samson_hour{11, 12};
const hmet_column samson_rad1{34, 37}, samson_rad2{42, 45}, samson_sky{50, 51}, samson_temp{56, 60};
const hmet_column samson_hum{68, 70}, samson_press{72, 75}, samson_wind{80, 85};
const hmet_column samson_station{8, 29}, samson_lat_deg{40, 41}, samson_lat_min{43, 44};
const hmet_column samson_lon_deg{48, 50}, samson_lon_min{52, 53};

bool samson_number(const std::string& line, hmet_column c, double& out)
{
    return parse_double_strict(hmet_field(line, c), out) == num_status::ok;
}

struct samson_line {
    int date[4];
    double rad1, rad2, sky, temp, hum, press, wind;
};

// Column of the first field that does not read, else 0.
int parse_samson_line(const std::string& line, samson_line& r)
{
    const hmet_column date_cols[4] = {samson_year, samson_month, samson_day, samson_hour};
    for (int k = 0; k < 4; ++k)
        if (parse_int_strict(hmet_field(line, date_cols[k]), r.date[k]) != num_status::ok ||
            (k > 0 && (r.date[k] < date_ranges[k].lo || r.date[k] > date_ranges[k].hi)))
            return date_cols[k].first;
    if (r.date[0] < 100)
        r.date[0] += 1900;
    const hmet_column cols[7] = {samson_rad1, samson_rad2, samson_sky,  samson_temp,
                            samson_hum,  samson_press, samson_wind};
    double* out[7] = {&r.rad1, &r.rad2, &r.sky, &r.temp, &r.hum, &r.press, &r.wind};
    for (int k = 0; k < 7; ++k)
        if (!samson_number(line, cols[k], *out[k]))
            return cols[k].first;
    return 0;
}

void samson_error(const model_state& s, int line, int col)
{
    std::printf("Error: Problem encountered in hmet_SAMSON file %s, line %d, near column %d\n",
                s.hmet_file.name.c_str(), line, col);
    hmet_stop_reported();
}

int scan_samson(model_state& s)
{
    std::FILE* fp = s.hmet_file.fp;
    std::string line, second;
    if (!read_raw_line(fp, line) || !read_raw_line(fp, second)) {
        std::printf("Error: hmet_SAMSON file %s has no header lines\n", s.hmet_file.name.c_str());
        hmet_stop_reported();
        return -1;
    }
    s.hmet_station = std::string(hmet_field(line, samson_station));
    double ld = 0, lm = 0, od = 0, om = 0;
    if (!samson_number(line, samson_lat_deg, ld) || !samson_number(line, samson_lat_min, lm) ||
        !samson_number(line, samson_lon_deg, od) || !samson_number(line, samson_lon_min, om)) {
        samson_error(s, 1, samson_lat_deg.first);
        return -1;
    }
    s.hmet_lat = ld + lm / 60.0;
    s.hmet_lon = od + om / 60.0;
    int line_no = 2, records = 0;
    samson_line r{};
    while (read_raw_line(fp, line)) {
        ++line_no;
        if (hmet_blank_line(line))
            continue;
        if (const int col = parse_samson_line(line, r)) {
            samson_error(s, line_no, col);
            return -1;
        }
        roll_hour_24(r.date);
        if (records == 0)
            for (int k = 0; k < 4; ++k)
                s.hmet_first_date[k] = r.date[k];
        for (int k = 0; k < 4; ++k)
            s.hmet_last_date[k] = r.date[k];
        ++records;
    }
    s.hmet_record_count = records;
    std::rewind(fp);
    s.hmet_lines_read = 0;
    return 0;
}

int read_samson(model_state& s)
{
    std::string line;
    if (s.hmet_lines_read == 0) { // pass over the two header lines
        read_raw_line(s.hmet_file.fp, line);
        read_raw_line(s.hmet_file.fp, line);
        s.hmet_lines_read = 2;
    }
    if (!hmet_next_line(s, line))
        return -1;
    samson_line r{};
    if (const int col = parse_samson_line(line, r)) {
        samson_error(s, s.hmet_lines_read, col);
        return -1;
    }
    roll_hour_24(r.date);
    const int h = r.date[3];
    int& n = s.hmet_repaired;
    s.hmet_direct_rad = hmet_repaired_value(r.rad1 == 9999.0, r.rad1, s.hmet_last_direct[h], n);
    s.hmet_global_rad = hmet_repaired_value(r.rad2 == 9999.0, r.rad2, s.hmet_last_global[h], n);
    s.hmet_cloud = hmet_repaired_value(r.sky == 99.0, r.sky, s.hmet_last_cloud, n);
    s.hmet_air_temp = hmet_repaired_value(std::lround(r.temp * 10.0) == 9999, r.temp, s.hmet_last_temp[h], n);
    s.hmet_rel_hum = hmet_repaired_value(r.hum == 999.0, r.hum, s.hmet_last_rel_hum[h], n);
    s.hmet_pressure = hmet_repaired_value(r.press == 9999.0, r.press, s.hmet_last_pressure, n);
    const double whole = std::trunc(r.wind);
    s.hmet_wind = hmet_repaired_value(whole == 99.0 || whole == 9999.0, r.wind, s.hmet_last_wind, n);
    for (int k = 0; k < 4; ++k)
        s.hmet_first_date[k] = r.date[k];
    return 1;
}

// ---- orographic temperature ------------------------------------------------

bool read_orog_header(model_state& s)
{
    std::string line;
    std::string_view v;
    std::string word;
    bool ok = read_raw_line(s.hmet_orog_gages_file.fp, line);
    ok = ok && read_raw_line(s.hmet_orog_gages_file.fp, line);
    if (ok) {
        v = line;
        ok = pop_token(v, word) && pop_double_strict(v, s.orog_elev_a) == num_status::ok &&
             pop_token(v, word) && pop_double_strict(v, s.orog_elev_b) == num_status::ok;
    }
    std::string third;
    ok = ok && read_raw_line(s.hmet_orog_gages_file.fp, third);
    if (!ok) {
        std::printf("Error: the header of the orographic temperature file %s must give the two gauge "
                    "elevations on its second line\n",
                    s.hmet_orog_gages_file.name.c_str());
        hmet_stop_reported();
    }
    return ok;
}

// The orographic gauge's line of the hour; false when the line is missing,
// unreadable or its temperature is a missing value (below -998).
bool read_orog_line(model_state& s)
{
    std::string line;
    if (!read_raw_line(s.hmet_orog_gages_file.fp, line)) {
        std::printf("\nHave an Issue with the Orographic Temperature!!!");
        return false;
    }
    std::string_view v(line);
    bool ok = true;
    for (int k = 0; k < 4; ++k)
        ok = ok && pop_int_strict(v, s.orog_date[k]) == num_status::ok;
    ok = ok && pop_double_strict(v, s.orog_temp) == num_status::ok;
    if (!ok || s.orog_temp < -998.0) {
        std::printf("\nHave an Issue with the Orographic Temperature!!!");
        return false;
    }
    return true;
}

// A missing gauge temperature takes the gauge's last good value (the
// station's before the first), like the station's own repairs, so that a
// missing-value code never enters the lapse rate or the 24-hour table.
void repair_orog_temp(model_state& s, bool orog_ok)
{
    if (orog_ok) {
        s.orog_seen = 1;
        s.orog_last_temp = s.orog_temp;
        return;
    }
    s.orog_temp = s.orog_seen ? s.orog_last_temp : s.hmet_air_temp;
    s.hmet_repaired += 1;
}

void spread_temperature(model_state& s, bool orog_ok)
{
    for (int k = 23; k > 0; --k) {
        s.orog_hourly[0][k] = s.orog_hourly[0][k - 1];
        s.orog_hourly[1][k] = s.orog_hourly[1][k - 1];
    }
    s.orog_hourly[0][0] = s.hmet_air_temp;
    double ref = s.hmet_elev_gage;
    double lapse = s.hmet_lapse_rate;
    if (s.hmet_orog_gages_given) {
        repair_orog_temp(s, orog_ok);
        s.orog_hourly[1][0] = s.orog_temp;
        for (int k = 0; k < 4 && orog_ok; ++k)
            if (s.orog_date[k] != s.hmet_first_date[k]) {
                std::printf("\nHave an Issue with the correct time using the Orographic Temperature File");
                break;
            }
        ref = s.orog_elev_a;
        if (s.orog_elev_b != s.orog_elev_a)
            lapse = (s.orog_temp - s.hmet_air_temp) / ((s.orog_elev_b - s.orog_elev_a) / 1000.0);
    }
    if (!orog_hmet_on(s))
        return;
    const int n = s.num_cells;
    for (int i = 1; i <= n; ++i)
        s.hmet_cell_temp[i] = s.hmet_air_temp + (s.ground_elev[i] - ref) / 1000.0 * lapse;
}

} // namespace

void hmet_stop_reported()
{
    error_set(err_stop);
    report_error(error_state);
}

bool hmet_blank_line(const std::string& line)
{
    return line.find_first_not_of(" \t\r") == std::string::npos;
}

double hmet_repaired_value(bool missing, double v, double& memory, int& count)
{
    if (missing) {
        ++count;
        return memory;
    }
    memory = v;
    return v;
}

bool hmet_next_line(model_state& s, std::string& line)
{
    while (read_raw_line(s.hmet_file.fp, line)) {
        ++s.hmet_lines_read;
        if (!hmet_blank_line(line))
            return true;
    }
    return false;
}

std::string_view hmet_field(const std::string& line, hmet_column c)
{
    if (static_cast<int>(line.size()) < c.first)
        return {};
    std::string_view v(line);
    v = v.substr(c.first - 1, c.last - c.first + 1);
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t'))
        v.remove_prefix(1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '\r' || v.back() == '\t'))
        v.remove_suffix(1);
    return v;
}

bool orog_hmet_on(const model_state& s)
{
    return s.orogvar_hmet || s.hmet_orog_gages_given;
}

int read_hmet_record(model_state& s)
{
    const bool scan = s.hmet_call_count <= 1;
    if (!s.hmet_file.fp) {
        std::printf("Error: the hydrometeorological file is not open\n");
        hmet_stop_reported();
        return -1;
    }
    if (scan) {
        if (orog_hmet_on(s) && !s.hmet_ascii &&
            s.hmet_cell_temp.size() != s.num_cells && !dvector_alloc_zero(s.hmet_cell_temp, s.num_cells, "hmet_cell_temp"))
            return -1;
        if (s.hmet_ktr)
            return scan_ktr(s);
        if (s.hmet_ascii)
            return scan_hmet_grids(s);
        if (s.hmet_surfaways)
            return scan_ncdc(s);
        return scan_samson(s);
    }
    if (s.hmet_ascii && !s.hmet_ktr)
        return read_hmet_grids(s);
    const bool orog_ok = !s.hmet_orog_gages_given || read_orog_line(s);
    int result = -1;
    if (s.hmet_ktr)
        result = read_ktr(s);
    else if (s.hmet_surfaways)
        result = read_ncdc(s);
    else
        result = read_samson(s);
    if (result != -1)
        spread_temperature(s, orog_ok);
    return result;
}

// The orographic header is read by the precipitation set-up before the scan.
bool read_hmet_orog_header(model_state& s)
{
    return read_orog_header(s);
}
