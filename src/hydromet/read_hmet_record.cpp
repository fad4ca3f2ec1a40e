// Hourly weather files: KTR text records and SAMSON fixed columns here; the
// NCDC surface-airways lines and the hourly grids have their own files.
// The scan call counts the records and finds their first and last dates;
// each record call reads one hour, repairs missing values and converts the
// units (cloud cover in tenths, deg C, %, mb, m/s). With orographic
// variation the station temperature is spread over the cells by elevation.
#include <algorithm>
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

// The eleven fields of a KTR line in file order, with the values each may
// take; 999 (pressure, humidity, sky cover, wind, temperature) and
// radiation above 9999.9 are missing values and pass.
struct ktr_field {
    hmet_value_field value;
    bool whole;
};
const ktr_field ktr_table[ktr_fields] = {
    {{"year", 0, 9999}, true},
    {{"month", 1, 12}, true},
    {{"day", 1, 31}, true},
    {{"hour", 0, 24}, true},
    {{"pressure (inches of mercury)", 0, 10000, true}, false},
    {{"relative humidity (%)", 0, 100}, true},
    {{"sky cover (tenths)", 0, 10}, true},
    {{"wind speed (knots)", 0, 300}, true},
    {{"temperature (deg F)", -150, 150}, true},
    {{"direct radiation", 0, ktr_missing_rad}, false},
    {{"global radiation", 0, ktr_missing_rad}, false},
};

bool ktr_missing_value(int f, double v)
{
    if (f >= 9)
        return v > ktr_missing_rad;
    return f >= 4 && v == ktr_missing;
}

// The first field that is missing, not a number of its kind or out of its
// range: its number (1..11) with the cause; field 0 for a good line.
struct ktr_fault {
    int field = 0;
    std::string cause;
};

ktr_fault parse_ktr_line(const std::string& line, ktr_line& r)
{
    std::string_view v(line);
    double values[ktr_fields] = {};
    for (int f = 0; f < ktr_fields; ++f) {
        const ktr_field& k = ktr_table[f];
        std::string text;
        num_status st = num_status::empty;
        std::string_view probe = v;
        if (pop_token(probe, text)) {
            if (k.whole) {
                int i = 0;
                st = parse_int_strict(text, i);
                values[f] = i;
            } else {
                st = parse_double_strict(text, values[f]);
            }
        }
        v = probe;
        if (st == num_status::ok && ktr_missing_value(f, values[f]))
            continue;
        std::string cause = hmet_value_fault(k.value, st, text, values[f]);
        if (!cause.empty())
            return {f + 1, cause};
    }
    std::string extra;
    if (pop_token(v, extra))
        return {ktr_fields, "the line holds \"" + extra + "\" after its eleven values"};
    for (int k = 0; k < 4; ++k)
        r.date[k] = static_cast<int>(values[k]);
    std::string cause = hmet_date_fault(r.date);
    if (!cause.empty())
        return {3, cause};
    r.pressure = values[4];
    r.rel_hum = static_cast<int>(values[5]);
    r.sky = static_cast<int>(values[6]);
    r.wind = static_cast<int>(values[7]);
    r.temp = static_cast<int>(values[8]);
    r.direct = values[9];
    r.global = values[10];
    return {};
}

void ktr_format_error(const model_state& s, int line, const ktr_fault& fault)
{
    std::printf("Error: Problem encountered in hmet_KTR file, line %d, near parameter %d\n\n", line, fault.field);
    std::printf("Make sure your file is in the correct format, including making sure\n"
                "all input data are listed as floats or ints as specified in the following\n"
                "format table:\n");
    std::printf(" Format:\n1   2   3   4    5     6           7        8         9    10        11  \n"
                "Yr  Mo  Day Hr  Press. RelHumidity SkyCover WindSpeed Temp DirectRad GlobalRad\n"
                "int int int int float  int         int      int       int  float     float\n\n");
    hmet_refuse(s, line, fault.cause);
}

int scan_ktr(model_state& s)
{
    const int lines = hmet_scan_hours(s, 0, [&s](const std::string& line, int line_no, int date[4]) {
        ktr_line r{};
        const ktr_fault fault = parse_ktr_line(line, r);
        if (fault.field) {
            ktr_format_error(s, line_no, fault);
            return false;
        }
        std::copy(r.date, r.date + 4, date);
        return true;
    });
    if (lines < 0)
        return -1;
    if (!quiet_scan(s))
        std::printf("End of hmet_KTR file encountered after %d lines\n", lines);
    return 0;
}

int read_ktr(model_state& s)
{
    std::string line;
    ktr_line r{};
    if (!hmet_next_line(s, line))
        return -1;
    const ktr_fault fault = parse_ktr_line(line, r);
    if (fault.field) {
        ktr_format_error(s, s.hmet_lines_read, fault);
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

// The date fields and the seven values of a data line, with the values each
// may take; missing-value codes pass.
struct samson_field {
    hmet_column col;
    hmet_value_field value;
};
const samson_field samson_dates[4] = {
    {samson_year, {"year", 0, 99}},
    {samson_month, {"month", 1, 12}},
    {samson_day, {"day", 1, 31}},
    {samson_hour, {"hour", 0, 24}},
};
const samson_field samson_values[7] = {
    {samson_rad1, {"first radiation", 0, 9999}},
    {samson_rad2, {"second radiation", 0, 9999}},
    {samson_sky, {"sky cover (tenths)", 0, 10}},
    {samson_temp, {"temperature (deg C)", -100, 70}},
    {samson_hum, {"relative humidity (%)", 0, 100}},
    {samson_press, {"pressure (mb)", 0, 2000, true}},
    {samson_wind, {"wind speed (m/s)", 0, 150}},
};

bool samson_missing(int k, double v)
{
    switch (k) {
    case 0:
    case 1:
        return v == 9999.0;
    case 2:
        return v == 99.0;
    case 3:
        return std::lround(v * 10.0) == 9999;
    case 4:
        return v == 999.0;
    case 5:
        return v == 9999.0;
    default: {
        const double whole = std::trunc(v);
        return whole == 99.0 || whole == 9999.0;
    }
    }
}

// The first field that does not read; column 0 for a good line.
hmet_column_fault parse_samson_line(const std::string& line, samson_line& r)
{
    for (int k = 0; k < 4; ++k) {
        const hmet_column_fault fault = hmet_int_in_columns(line, samson_dates[k].col, samson_dates[k].value, r.date[k]);
        if (fault.col)
            return fault;
    }
    if (r.date[0] < 100)
        r.date[0] += 1900;
    double* out[7] = {&r.rad1, &r.rad2, &r.sky, &r.temp, &r.hum, &r.press, &r.wind};
    for (int k = 0; k < 7; ++k) {
        const samson_field& f = samson_values[k];
        const std::string_view text = hmet_field(line, f.col);
        const num_status st = parse_double_strict(text, *out[k]);
        if (st == num_status::ok && samson_missing(k, *out[k]))
            continue;
        const hmet_column_fault fault = hmet_fault_in(f.col, hmet_value_fault(f.value, st, text, *out[k]));
        if (fault.col)
            return fault;
    }
    const std::string cause = hmet_date_fault(r.date);
    if (!cause.empty())
        return {samson_day.first, cause};
    return {};
}

void samson_error(const model_state& s, int line, const hmet_column_fault& fault)
{
    std::printf("Error: Problem encountered in hmet_SAMSON file %s, line %d, near column %d\n",
                s.hmet_file.name.c_str(), line, fault.col);
    hmet_refuse(s, line, fault.cause);
}

int scan_samson(model_state& s)
{
    std::FILE* fp = s.hmet_file.fp;
    std::string line, second;
    if (!hmet_read_line(fp, line) || !hmet_read_line(fp, second)) {
        std::printf("Error: hmet_SAMSON file %s has no header lines\n", s.hmet_file.name.c_str());
        hmet_stop_reported();
        return -1;
    }
    s.hmet_station = std::string(hmet_field(line, samson_station));
    double ld = 0, lm = 0, od = 0, om = 0;
    if (!samson_number(line, samson_lat_deg, ld) || !samson_number(line, samson_lat_min, lm) ||
        !samson_number(line, samson_lon_deg, od) || !samson_number(line, samson_lon_min, om)) {
        samson_error(s, 1, {samson_lat_deg.first, "the header line must give the latitude in columns 40-44 and "
                                                  "the longitude in columns 48-53 as degrees and minutes"});
        return -1;
    }
    s.hmet_lat = ld + lm / 60.0;
    s.hmet_lon = od + om / 60.0;
    const int lines = hmet_scan_hours(s, 2, [&s](const std::string& data, int line_no, int date[4]) {
        samson_line r{};
        const hmet_column_fault fault = parse_samson_line(data, r);
        if (fault.col) {
            samson_error(s, line_no, fault);
            return false;
        }
        roll_hour_24(r.date);
        std::copy(r.date, r.date + 4, date);
        return true;
    });
    return lines < 0 ? -1 : 0;
}

int read_samson(model_state& s)
{
    std::string line;
    if (s.hmet_lines_read == 0) { // pass over the two header lines
        hmet_read_line(s.hmet_file.fp, line);
        hmet_read_line(s.hmet_file.fp, line);
        s.hmet_lines_read = 2;
    }
    if (!hmet_next_line(s, line))
        return -1;
    samson_line r{};
    const hmet_column_fault fault = parse_samson_line(line, r);
    if (fault.col) {
        samson_error(s, s.hmet_lines_read, fault);
        return -1;
    }
    roll_hour_24(r.date);
    const int h = r.date[3];
    int& n = s.hmet_repaired;
    s.hmet_direct_rad = hmet_repaired_value(samson_missing(0, r.rad1), r.rad1, s.hmet_last_direct[h], n);
    s.hmet_global_rad = hmet_repaired_value(samson_missing(1, r.rad2), r.rad2, s.hmet_last_global[h], n);
    s.hmet_cloud = hmet_repaired_value(samson_missing(2, r.sky), r.sky, s.hmet_last_cloud, n);
    s.hmet_air_temp = hmet_repaired_value(samson_missing(3, r.temp), r.temp, s.hmet_last_temp[h], n);
    s.hmet_rel_hum = hmet_repaired_value(samson_missing(4, r.hum), r.hum, s.hmet_last_rel_hum[h], n);
    s.hmet_pressure = hmet_repaired_value(samson_missing(5, r.press), r.press, s.hmet_last_pressure, n);
    s.hmet_wind = hmet_repaired_value(samson_missing(6, r.wind), r.wind, s.hmet_last_wind, n);
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
    bool ok = hmet_read_line(s.hmet_orog_gages_file.fp, line);
    ok = ok && hmet_read_line(s.hmet_orog_gages_file.fp, line);
    if (ok) {
        v = line;
        ok = pop_token(v, word) && pop_double_strict(v, s.orog_elev_a) == num_status::ok &&
             pop_token(v, word) && pop_double_strict(v, s.orog_elev_b) == num_status::ok;
    }
    std::string third;
    ok = ok && hmet_read_line(s.hmet_orog_gages_file.fp, third);
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
    if (!hmet_read_line(s.hmet_orog_gages_file.fp, line)) {
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

bool hmet_read_line(std::FILE* fp, std::string& line)
{
    if (!read_raw_line(fp, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

void hmet_refuse(const model_state& s, int line, const std::string& cause)
{
    std::printf("Error: hydrometeorological file %s, line %d: %s.\n", s.hmet_file.name.c_str(), line,
                cause.c_str());
    hmet_stop_reported();
}

std::string hmet_value_fault(const hmet_value_field& f, num_status st, std::string_view text, double v)
{
    std::string cause = std::string("the ") + f.name;
    if (st == num_status::empty)
        return cause + " is missing: the line ends before it";
    cause += " \"" + std::string(text) + "\"";
    if (st != num_status::ok)
        return cause + " " + num_status_text(st);
    if (f.above ? v > f.low && v <= f.high : v >= f.low && v <= f.high)
        return {};
    char range[96];
    if (f.above)
        std::snprintf(range, sizeof range, "above %g and at most %g", f.low, f.high);
    else
        std::snprintf(range, sizeof range, "from %g to %g", f.low, f.high);
    return cause + " is out of range: it must be " + range;
}

std::string hmet_date_fault(const int d[4])
{
    static const int month_days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    char text[128] = {};
    if (d[1] < 1 || d[1] > 12)
        std::snprintf(text, sizeof text, "the month %d is not 1 to 12", d[1]);
    else if (d[2] < 1 || d[2] > month_days[d[1] - 1] + (d[1] == 2 && gregorian_leap_year(d[0]) ? 1 : 0))
        std::snprintf(text, sizeof text, "the day %d is not a day of month %d of %d", d[2], d[1], d[0]);
    else if (d[3] < 0 || d[3] > 24)
        std::snprintf(text, sizeof text, "the hour %d is not 0 to 24", d[3]);
    return text;
}

bool hmet_in_order(const model_state& s, hmet_record_order& order, const int d[4], int line, hmet_spacing every)
{
    const double jd = julian_date(d[0], d[1], d[2], d[3], 0, 0.0);
    // Records an hour apart differ by 1/24 day: half a minute tells them apart.
    constexpr double same_time = 0.5 / 1440.0;
    const double step = every == hmet_spacing::hour ? 1.0 / 24.0 : 1.0;
    if (order.any && jd < order.last + same_time) {
        char text[200];
        std::snprintf(text, sizeof text, "the record of %d-%02d-%02d hour %d %s the record of line %d", d[0], d[1],
                      d[2], d[3], jd > order.last - same_time ? "repeats the time of" : "comes before",
                      order.last_line);
        hmet_refuse(s, line, std::string(text) + "; the records must follow each other in time");
        return false;
    }
    // The hourly step takes the next record (or day) whatever its date, so a
    // missing one would shift every later record early.
    if (order.any && jd > order.last + step + same_time) {
        char text[240];
        std::snprintf(text, sizeof text,
                      "the record of %d-%02d-%02d hour %d comes %.0f hours after the record of line %d; the "
                      "records must give every %s in turn, a missing value marked as missing",
                      d[0], d[1], d[2], d[3], (jd - order.last) * 24.0, order.last_line,
                      every == hmet_spacing::hour ? "hour" : "day");
        hmet_refuse(s, line, text);
        return false;
    }
    order.any = true;
    order.last = jd;
    order.last_line = line;
    return true;
}

int hmet_scan_hours(model_state& s, int line_no, const hmet_line_date& date_of)
{
    std::FILE* fp = s.hmet_file.fp;
    std::string line;
    int records = 0, date[4] = {};
    hmet_record_order order;
    while (hmet_read_line(fp, line)) {
        ++line_no;
        if (hmet_blank_line(line))
            continue;
        if (!date_of(line, line_no, date) || !hmet_in_order(s, order, date, line_no, hmet_spacing::hour))
            return -1;
        if (records == 0)
            std::copy(date, date + 4, s.hmet_first_date);
        std::copy(date, date + 4, s.hmet_last_date);
        ++records;
    }
    s.hmet_record_count = records;
    std::rewind(fp);
    s.hmet_lines_read = 0;
    return line_no;
}

bool hmet_next_line(model_state& s, std::string& line)
{
    while (hmet_read_line(s.hmet_file.fp, line)) {
        ++s.hmet_lines_read;
        if (!hmet_blank_line(line))
            return true;
    }
    return false;
}

hmet_column_fault hmet_fault_in(hmet_column c, const std::string& cause)
{
    if (cause.empty())
        return {};
    return {c.first, cause + " (columns " + std::to_string(c.first) + "-" + std::to_string(c.last) + ")"};
}

hmet_column_fault hmet_int_in_columns(const std::string& line, hmet_column c, const hmet_value_field& f, int& out)
{
    const std::string_view text = hmet_field(line, c);
    const num_status st = parse_int_strict(text, out);
    return hmet_fault_in(c, hmet_value_fault(f, st, text, out));
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
        s.hmet_record_count = 0;
        int result = 0;
        if (s.hmet_ktr)
            result = scan_ktr(s);
        else if (s.hmet_ascii)
            result = scan_hmet_grids(s);
        else if (s.hmet_surfaways)
            result = scan_ncdc(s);
        else
            result = scan_samson(s);
        if (!run_stopped() && s.hmet_record_count == 0) {
            // A run without weather would end before its first hour.
            std::printf("Error: hydrometeorological file %s holds no records.\n", s.hmet_file.name.c_str());
            hmet_stop_reported();
            return s.hmet_surfaways && !s.hmet_ktr && !s.hmet_ascii ? 1 : -1;
        }
        return result;
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
