// Named series of values over time (Julian days), read from the time-series
// file and from the multi-column blocks of the XY boundary files. All series
// of a run live in one program-wide list, emptied at the end of every run.
#pragma once

#include <forward_list>
#include <list>
#include <string>
#include <string_view>
#include <vector>

struct file_rec;
struct num_field; // input/word_reader.h

constexpr int series_name_limit = 149;           // longest series name
constexpr double relative_time_base = 1721028.5; // Julian date of the all-zero date

struct time_series {
    std::vector<double> times; // Julian days, or day offsets for a relative series
    std::vector<double> values;
    int relative = 0; // 1 when the block said RELATIVE
    std::string name;
    int count = 0;
    int cursor = 0; // start of the interval found by the last lookup
};

// Binds an id of the TIME_SERIES_INDEX table to a series.
struct ts_index_entry {
    int id = 0;
    time_series* series = nullptr;
    std::string name; // the series name the table gives
};

// Series in file order (elements keep their addresses while the list grows).
extern std::list<time_series> time_series_list;
// Id table; the mapping-table reader pushes its entries at the head.
extern std::forward_list<ts_index_entry> ts_index_list;
// Set once the mapping-table reader has read the id table of this run.
extern int ts_index_read;

// Reads every block of the file into the list and prints how many. A file
// that cannot be opened or holds no block stops the run.
void read_ts_file(const std::string& file_name);

// Reads the next block; 1 when a series was read, 0 when no further block
// exists or the block was refused. A block holds a name (at most 149
// characters, not the name of a series read before), ABSOLUTE or RELATIVE,
// and sample lines of year, month, day, hour, minute (a calendar date and
// time of day, or for a relative series offsets of 0 or more) and a finite
// value, in time order, up to its END_TS line; a blank line repeats the
// sample before it. A block that breaks this, or that the file cuts short,
// is refused naming the file, the line and the fault (run stopped, code
// 4000 reported) and no series is kept.
int ts_read_block(file_rec& rec);

// Prints "Error: file PATH, line L: WHAT." and stops the run (code 4000,
// reported): the refusal of a line of a series file.
void series_file_refusal(const std::string& path, int line_no, const std::string& what);

// The next line of a block of a series file (`block` names it in messages,
// its start_word line being block_line): its `count` numbers (the first
// `whole` of them whole) in out, the block's end_word line, or a blank
// line, which repeats the line before it once the block has one. A file
// that ends first, a blank first line, or a line that does not hold its
// numbers is refused (series_file_refusal).
enum class series_line { values, blank, end, refused };
series_line next_series_line(file_rec& rec, const char* start_word, const char* end_word,
                             const std::string& block, int block_line, bool have_sample,
                             const char* const* fields, int count, int whole, double* out);

// Reads every block of a series file with read_block and prints "N <kind>
// read from file F". A file that cannot be opened ("Error: <title> file not
// found [F]"), a refused block, or a file with no block ("... holds no
// <none>") stops the run.
void read_series_file(const std::string& file_name, int (*read_block)(file_rec&), const char* title,
                      const char* kind, const char* none);

// A new empty absolute series appended to the list.
time_series* ts_new();

// Frees every series and the id table.
void ts_free_all();

// The first series whose name begins with the given name.
time_series* ts_find(std::string_view name);

// Value at Julian time t: linear between samples, the first or last value
// outside the series' range.
double ts_value_at(double t, time_series* series);

// Value at t of the series bound to the id in ts_index_list.
double ts_value_by_index(int id, double t);

// The entry of the id in ts_index_list; null when the id has none.
const ts_index_entry* ts_index_find(int id);

// For the readers whose values name a series by its TIME_SERIES_INDEX id:
// true when the id is bound to a series; otherwise prints "Error: <user>
// gives the time series ID <id>, which ..." with the cause, stops the run
// (code 4000, reported) and returns false.
bool ts_index_id_usable(int id, const std::string& user);

// Reads a multi-column block up to (not including) its "END_TS" line into n
// new series named "<prefix>_%04d"; returns the first, or null when n <= 0.
// Every row is a calendar date and time (year month day hour minute, never
// before the row above) and exactly n values within the field's range. A
// row that breaks this, or a file that ends before END_TS, is refused
// naming the file (path), the line and the fault: the run is stopped (code
// 4000, reported), no series is kept and null is returned.
time_series* ts_read_columns(file_rec& rec, int n, const std::string& prefix, const std::string& path,
                             const num_field& field);

// 3 "END_TS", 2 "ABSOLUTE", 1 "RELATIVE", 0 "TORVA_TS", 4 anything else.
int ts_line_kind(std::string_view line);
