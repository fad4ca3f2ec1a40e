// Pieces shared by the readers of the hourly weather files (station
// records and hourly grids), and the per-format scan and record calls that
// read_hmet_record dispatches to.
#pragma once

#include <string>
#include <string_view>

struct model_state;

// Stops the run after the reader printed its own message (code 4000).
void hmet_stop_reported();

// True for a line of blanks only.
bool hmet_blank_line(const std::string& line);

// The next line of the weather file that is not blank, counted in
// hmet_lines_read; false at the end of the file.
bool hmet_next_line(model_state& s, std::string& line);

// Repairs v when it is missing: takes memory's value and counts the repair;
// otherwise remembers v.
double hmet_repaired_value(bool missing, double v, double& memory, int& count);

// Fixed columns counted from 1, inclusive; the text between them without
// surrounding blanks (empty when the line is shorter).
struct hmet_column {
    int first, last;
};
std::string_view hmet_field(const std::string& line, hmet_column c);

// NCDC surface-airways daily element lines.
int scan_ncdc(model_state& s);
int read_ncdc(model_state& s);

// Hourly grids listed by a time-stamp file.
int scan_hmet_grids(model_state& s);
int read_hmet_grids(model_state& s);
