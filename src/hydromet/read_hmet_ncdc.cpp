// NCDC surface-airways files: one line per element and day, in fixed
// columns. The scan counts the days and the lines of each element; the
// record path reads a whole day of lines into hourly tables at hour 0 and
// then gives the day's hours 0..23 one per call, in the record units (tenths
// of cloud cover, deg C, %, mb, m/s), and -1 after the last day.
//
// A line: element code in columns 12-15, year 18-21, month 22-23, day
// 26-27, number of values 28-30, then one group of 12 columns per value from
// column 31: the time as hhmm (4 columns, hours 0..23), the value (6
// columns) and two flag characters. A line whose code repeats the previous
// line's ends the data.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/model_state.h"
#include "core/text_parse.h"
#include "hydromet/hmet_reader_parts.h"

namespace
{

constexpr int ncdc_line_max = 790;
constexpr int ncdc_first_group = 31; // column of the first value group
constexpr int ncdc_group_width = 12;
constexpr int ncdc_max_values = (ncdc_line_max - ncdc_first_group + 1) / ncdc_group_width;
constexpr int ncdc_missing = 99999;
constexpr double inhg_thousandths_to_mb = 33.8653 / 1000.0;
constexpr double knot_to_ms = 0.514444;

const hmet_column ncdc_code{12, 15}, ncdc_year{18, 21}, ncdc_month{22, 23}, ncdc_day_col{26, 27},
    ncdc_count{28, 30};

// Accepted ranges of the fields of a line's head and of each value's time.
const hmet_value_field year_f{"year", 0, 9999}, month_f{"month", 1, 12}, day_f{"day", 1, 31},
    count_f{"number of values", 0, ncdc_max_values}, hhmm_f{"time (hhmm)", 0, 2359};

// Element codes, compared on their first two letters, in ncdc_element order.
const char* const element_prefix[ncdc_elements] = {"DR", "GR", "PR", "RH", "TM", "TS", "WI"};

// The value a day's element may take (of the part the model uses: the last
// two digits of TSKC, the last three of WIND); missing values pass.
const hmet_value_field element_values[ncdc_elements] = {
    {"direct radiation (tenths)", 0, 99998},
    {"global radiation (tenths)", 0, 99998},
    {"pressure (thousandths of an inch of mercury)", 0, 99998, true},
    {"relative humidity (%)", 0, 100},
    {"temperature (deg F)", -150, 150},
    {"sky cover (tenths, last two digits)", 0, 10},
    {"wind speed (knots, last three digits)", 0, 300},
};

struct ncdc_line {
    std::string code;
    int element; // ncdc_element, or -1 for an element the model does not use
    int date[3];
    int count;
    int hour[ncdc_max_values];
    int value[ncdc_max_values];
};

bool is_missing(int element, int v);

// The first field that does not read; column 0 for a good line.
hmet_column_fault parse_ncdc_line(const std::string& line, ncdc_line& r)
{
    r.code = std::string(hmet_field(line, ncdc_code));
    r.element = -1;
    for (int e = 0; e < ncdc_elements; ++e)
        if (r.code.compare(0, 2, element_prefix[e]) == 0)
            r.element = e;
    hmet_column_fault f = hmet_int_in_columns(line, ncdc_year, year_f, r.date[0]);
    if (!f.col)
        f = hmet_int_in_columns(line, ncdc_month, month_f, r.date[1]);
    if (!f.col)
        f = hmet_int_in_columns(line, ncdc_day_col, day_f, r.date[2]);
    if (!f.col) {
        const int d[4] = {r.date[0], r.date[1], r.date[2], 0};
        const std::string cause = hmet_date_fault(d);
        if (!cause.empty())
            f = {ncdc_day_col.first, cause};
    }
    if (!f.col)
        f = hmet_int_in_columns(line, ncdc_count, count_f, r.count);
    if (f.col)
        return f;
    for (int g = 0; g < r.count; ++g) {
        const int at = ncdc_first_group + g * ncdc_group_width;
        int hhmm = 0;
        f = hmet_int_in_columns(line, {at, at + 3}, hhmm_f, hhmm);
        if (f.col)
            return f;
        if (hhmm % 100 > 59)
            return hmet_fault_in({at, at + 3}, "the time (hhmm) \"" + std::string(hmet_field(line, {at, at + 3})) +
                                                   "\" has minutes beyond 59");
        r.hour[g] = hhmm / 100;
        const hmet_column vc{at + 4, at + 9};
        if (r.element < 0) {
            const std::string_view text = hmet_field(line, vc);
            const num_status st = parse_int_strict(text, r.value[g]);
            if (st != num_status::ok)
                return {vc.first, "the value \"" + std::string(text) + "\" " + num_status_text(st)};
            continue;
        }
        const hmet_value_field any{element_values[r.element].name, -2147483647.0, 2147483647.0};
        f = hmet_int_in_columns(line, vc, any, r.value[g]);
        if (f.col)
            return f;
        if (is_missing(r.element, r.value[g]))
            continue;
        int part = r.value[g];
        if (r.element == ncdc_tskc)
            part = part % 100;
        else if (r.element == ncdc_wind)
            part = part % 1000;
        const std::string_view text = hmet_field(line, vc);
        f = hmet_fault_in(vc, hmet_value_fault(element_values[r.element], num_status::ok, text, part));
        if (f.col)
            return f;
    }
    return {};
}

bool is_missing(int element, int v)
{
    if (element == ncdc_tskc)
        return v / 100 == 999;
    if (element == ncdc_wind)
        return v % 1000 == 999;
    return v == ncdc_missing;
}

void too_long()
{
    std::printf("Line too long in hmet_NCDC input file.  Program exiting\n");
    hmet_stop_reported();
}

void bad_line(const model_state& s, int line, const hmet_column_fault& fault)
{
    std::printf("Error: Problem encountered in hmet_NCDC file %s, line %d, near column %d\n",
                s.hmet_file.name.c_str(), line, fault.col);
    hmet_refuse(s, line, fault.cause);
}

bool same_date(const int a[3], const int b[3])
{
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

// The day count messages, one per element that must match the temperature.
void count_mismatch(int element)
{
    std::printf("There is an error in the Surface Airways hydrometeorology\n");
    if (element == ncdc_rhum)
        std::printf("data file.  There appears to be a different number of \n"
                    "days of rel. humidity data than temperature data.  Rel. hum.\n"
                    "data is required for each day.  Examine the file and supply\n"
                    "the missing data.  Program terminating\n\n");
    else if (element == ncdc_tskc)
        std::printf("data file.  There appear to be a different number of days\n"
                    "of cloud cover data than temperature data.  Clouds data is\n"
                    "required for each day.  Examine the file and supply the \n"
                    "missing data.  Program terminating\n\n");
    else
        std::printf("data file.  There appear to be different number of days of "
                    "wind data than temperature data.  Wind speed data is\n"
                    "required for each day.  Examine the file and supply the \n"
                    "missing data.  Program terminating\n\n");
    hmet_stop_reported();
}

// Takes one parsed line into the day's tables; missing values leave the
// previous value of their hour and are counted as repairs.
void take_line(model_state& s, const ncdc_line& r)
{
    if (r.element < 0)
        return;
    s.ncdc_seen[r.element] = 1;
    for (int g = 0; g < r.count; ++g) {
        if (is_missing(r.element, r.value[g]))
            ++s.hmet_repaired;
        else
            s.ncdc_table[r.element][r.hour[g]] = r.value[g];
    }
}

// Reads the next day's lines into the tables; false at the end of the data
// or after a reported error.
bool read_day(model_state& s)
{
    if (s.ncdc_ended)
        return false;
    ncdc_line r;
    std::string line;
    if (!s.ncdc_pending_on) {
        if (!hmet_next_line(s, s.ncdc_pending)) {
            s.ncdc_ended = 1;
            return false;
        }
    }
    s.ncdc_pending_on = 0;
    if (static_cast<int>(s.ncdc_pending.size()) > ncdc_line_max) {
        too_long();
        return false;
    }
    const hmet_column_fault fault = parse_ncdc_line(s.ncdc_pending, r);
    if (fault.col) {
        bad_line(s, s.hmet_lines_read, fault);
        return false;
    }
    std::memcpy(s.ncdc_day, r.date, sizeof s.ncdc_day);
    for (int& seen : s.ncdc_seen)
        seen = 0;
    take_line(s, r);
    s.ncdc_prev_code = r.code;
    while (hmet_next_line(s, line)) {
        if (static_cast<int>(line.size()) > ncdc_line_max) {
            too_long();
            return false;
        }
        if (hmet_field(line, ncdc_code) == s.ncdc_prev_code) {
            s.ncdc_ended = 1; // a repeated code ends the data
            return true;
        }
        const hmet_column_fault line_fault = parse_ncdc_line(line, r);
        if (line_fault.col) {
            bad_line(s, s.hmet_lines_read, line_fault);
            return false;
        }
        if (!same_date(r.date, s.ncdc_day)) {
            s.ncdc_pending.swap(line);
            s.ncdc_pending_on = 1;
            return true;
        }
        take_line(s, r);
        s.ncdc_prev_code = r.code;
    }
    s.ncdc_ended = 1;
    return true;
}

} // namespace

int scan_ncdc(model_state& s)
{
    std::FILE* fp = s.hmet_file.fp;
    std::string line, prev_code;
    ncdc_line r;
    int line_no = 0, records = 0;
    long data_lines = 0;
    int counts[ncdc_elements] = {};
    int prev_date[3] = {};
    hmet_record_order order;
    while (hmet_read_line(fp, line)) {
        ++line_no;
        if (hmet_blank_line(line))
            continue;
        if (static_cast<int>(line.size()) > ncdc_line_max) {
            too_long();
            return 1;
        }
        if (data_lines > 0 && hmet_field(line, ncdc_code) == prev_code)
            break;
        const hmet_column_fault fault = parse_ncdc_line(line, r);
        if (fault.col) {
            bad_line(s, line_no, fault);
            return 1;
        }
        if (data_lines == 0 || !same_date(r.date, prev_date)) {
            // A day's lines follow each other, and the days follow in time.
            const int day_start[4] = {r.date[0], r.date[1], r.date[2], 0};
            if (!hmet_in_order(s, order, day_start, line_no, hmet_spacing::day))
                return 1;
            records += 24;
        }
        if (data_lines == 0) {
            std::memcpy(s.hmet_first_date, r.date, sizeof prev_date);
            s.hmet_first_date[3] = 0;
        }
        std::memcpy(s.hmet_last_date, r.date, sizeof prev_date);
        s.hmet_last_date[3] = 23;
        std::memcpy(prev_date, r.date, sizeof prev_date);
        if (r.element >= 0)
            ++counts[r.element];
        prev_code = r.code;
        ++data_lines;
    }
    s.hmet_record_count = records;
    if (!s.super_quiet)
        std::printf("End of hmet_NCDC file encountered after %ld lines\n", data_lines);
    std::printf("DRAD GRAD PRES RHUM TMPD TSKC WIND\n");
    std::printf(" %d  %d  %d  %d  %d  %d  %d\n", counts[0], counts[1], counts[2], counts[3], counts[4],
                counts[5], counts[6]);
    for (int e : {ncdc_rhum, ncdc_tskc, ncdc_wind})
        if (counts[e] != counts[ncdc_tmpd]) {
            count_mismatch(e);
            return 1;
        }
    std::rewind(fp);
    s.hmet_lines_read = 0;
    for (auto& row : s.ncdc_table)
        for (int& v : row)
            v = 0;
    s.ncdc_hour = 24;
    s.ncdc_ended = 0;
    s.ncdc_pending_on = 0;
    return 0;
}

int read_ncdc(model_state& s)
{
    if (s.ncdc_hour >= 24) {
        if (!read_day(s))
            return -1;
        s.ncdc_hour = 0;
    }
    const int h = s.ncdc_hour++;
    const auto& t = s.ncdc_table;
    s.hmet_direct_rad = s.ncdc_seen[ncdc_drad] ? t[ncdc_drad][h] / 10.0 : 0.0;
    s.hmet_global_rad = s.ncdc_seen[ncdc_grad] ? t[ncdc_grad][h] / 10.0 : 0.0;
    s.hmet_cloud = t[ncdc_tskc][h] % 100;
    s.hmet_air_temp = (t[ncdc_tmpd][h] - 32.0) * 5.0 / 9.0;
    s.hmet_rel_hum = t[ncdc_rhum][h];
    s.hmet_pressure = t[ncdc_pres][h] * inhg_thousandths_to_mb;
    s.hmet_wind = t[ncdc_wind][h] % 1000 * knot_to_ms;
    std::memcpy(s.hmet_first_date, s.ncdc_day, sizeof s.ncdc_day);
    s.hmet_first_date[3] = h;
    return 0;
}
