// Pieces shared by the readers of the hourly weather files (station
// records and hourly grids), and the per-format scan and record calls that
// read_hmet_record dispatches to.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "core/text_parse.h"

struct model_state;

// Stops the run after the reader printed its own message (code 4000).
void hmet_stop_reported();

// True for a line of blanks only.
bool hmet_blank_line(const std::string& line);

// Reads one whole line and removes its line end (a carriage return before
// the newline too); false at the end of the file.
bool hmet_read_line(std::FILE* fp, std::string& line);

// The next line of the weather file that is not blank, counted in
// hmet_lines_read; false at the end of the file.
bool hmet_next_line(model_state& s, std::string& line);

// Prints "Error: hydrometeorological file F, line L: CAUSE." and stops the
// run (code 4000, reported).
void hmet_refuse(const model_state& s, int line, const std::string& cause);

// One value of a weather record: its name in messages and the values it may
// take (low excluded when above is set); missing-value codes are tested by
// the reader before the range.
struct hmet_value_field {
    const char* name;
    double low, high;
    bool above = false;
};

// What is wrong with the text of a value read with status st (v when ok):
// "the NAME \"TEXT\" is not a number", "... is out of range: it must be from
// LOW to HIGH"; "" for a good value.
std::string hmet_value_fault(const hmet_value_field& f, num_status st, std::string_view text, double v);

// What is wrong with a record date (year, month, day, hour; hour 24 allowed):
// a month outside 1..12, a day beyond its month, an hour outside 0..24; ""
// when it is a date. The precipitation file's reader checks its dates with
// it too.
std::string hmet_date_fault(const int date[4]);

// Dates of the records seen by a scan: each must come after the one before.
struct hmet_record_order {
    double last = 0.0;
    bool any = false;
    int last_line = 0;
};

// How far apart a file's records must be: one per hour (station records,
// hourly grids) or one group per day (surface-airways files).
enum class hmet_spacing { hour, day };

// True when the record dated d (line) comes after the previous one, and
// exactly one spacing after it; else refuses it naming both lines.
bool hmet_in_order(const model_state& s, hmet_record_order& order, const int d[4], int line, hmet_spacing every);

// Gives the date of a record line that is not blank (year, month, day,
// hour), or prints what is wrong with the line (its number given) and
// gives false.
using hmet_line_date = std::function<bool(const std::string& line, int line_no, int date[4])>;

// Scans the hourly records that follow the first line_no lines of the
// weather file: each line's date from date_of, the records an hour apart in
// turn; notes their count and first and last dates and rewinds the file for
// the record calls. The number of lines read, or -1 after a reported error.
int hmet_scan_hours(model_state& s, int line_no, const hmet_line_date& date_of);

// Repairs v when it is missing: takes memory's value and counts the repair;
// otherwise remembers v.
double hmet_repaired_value(bool missing, double v, double& memory, int& count);

// Fixed columns counted from 1, inclusive; the text between them without
// surrounding blanks (empty when the line is shorter).
struct hmet_column {
    int first, last;
};
std::string_view hmet_field(const std::string& line, hmet_column c);

// What is wrong with a fixed-column line: the first column of the field at
// fault and the cause; column 0 for a good line.
struct hmet_column_fault {
    int col = 0;
    std::string cause;
};

// The fault of field c for a cause, "CAUSE (columns FIRST-LAST)"; none for
// an empty cause.
hmet_column_fault hmet_fault_in(hmet_column c, const std::string& cause);

// Reads the whole number in field c of line strictly into out and checks it
// against f.
hmet_column_fault hmet_int_in_columns(const std::string& line, hmet_column c, const hmet_value_field& f, int& out);

// NCDC surface-airways daily element lines.
int scan_ncdc(model_state& s);
int read_ncdc(model_state& s);

// Hourly grids listed by a time-stamp file.
int scan_hmet_grids(model_state& s);
int read_hmet_grids(model_state& s);
