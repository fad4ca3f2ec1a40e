// The channel point-input file (CHAN_POINT_INPUT): discharges and
// concentrations fed into chosen channel nodes, changed at dated records.
#pragma once

#include <string>

struct model_state;

// Opens the file and reads its header, its points and the date of the first
// record. A file that cannot be read stops the run.
void chan_point_input_setup(model_state& state);

// Reads NUMPT, the POINT lines, NRPDS and the first INPUT date. 1 when a
// first record date was read, 0 when there are no dated records or after a
// refusal (reported), -1 at an unexpected end of file, with where it ended
// in `ended` (for the line after the end-of-file message).
int chan_source_header_read(model_state& state, std::string* ended = nullptr);

// Reads every dated record once at set-up, then returns to the first: each
// record must hold its values, its INPUT date must lie after the one before
// it, and nothing may follow the last. true when the records are sound;
// otherwise the run is stopped (code 4000, reported), the file and the
// fault named.
bool chan_source_records_check(model_state& state);

// Reads the values of the next record and the date of the one after it.
// 1 when a next date was read, 0 after the last record (or a refusal,
// reported), -1 at an unexpected end of file.
int chan_source_period_read(model_state& state);

// Items of the file, as the two readers share them.
enum class chan_source_item { ok, eof, refused };

// The next item when it is one of the keywords (compared on five
// characters, the items read five characters at a time); other items are
// skipped. At most `budget` items are read (budget is decreased).
// With numbers_are_data a number among the skipped items is refused: it can
// only be a value that its line does not take.
chan_source_item chan_source_find(model_state& state, const char* keyword, int& budget,
                                  bool numbers_are_data = false);

// The next item as a number, read strictly within the range of the value
// named `what`; a refusal names the file, the place and the value.
chan_source_item chan_source_int(model_state& state, const char* what, const char* where, int& out);
chan_source_item chan_source_real(model_state& state, const char* what, const char* where, double& out);

// The INPUT line of a record: the keyword and the five date fields. 1 when
// read, 0 after a refusal, -1 at the end of the file (the last date line
// printed).
int chan_source_date_read(model_state& state, const char* where);

// The line of the file the reading stands on (the count's line, for
// check_count).
int chan_source_line(model_state& state);

// Prints the date fields read so far (at an unexpected end of the file).
void chan_source_last_date_line(const int* date);

// Point inflow of the routed channel nodes: the file's discharges and the
// POINTSOURCE series at the current time, inflows and outflows apart, m3/s.
struct chan_point_rates {
    double in = 0.0, out = 0.0; // out positive
};
chan_point_rates chan_point_inflow_rates(const model_state& state);
