// The event close and the summaries it and the end of the run write to the
// run summary file, with the small pieces they share.
#pragma once

#include <cstdio>

struct model_state;

// ---- event close ------------------------------------------------------------

// The event's water balance: the channel volume, the Sacramento storage and
// `event_mass_in`, `event_mass_out` and `mass_error_pct` ((in - out) / in,
// -1 for an event without input).
void event_water_balance(model_state& state);

// Overland sediment per class, the sand and wash load left in the channels
// and the constituent masses left in the watershed at the close.
void event_quality_totals(model_state& state);

// The event's line of the optimisation file and the calibration capture.
void write_event_optimization(model_state& state);

// ---- reports ------------------------------------------------------------------

// The summary of the event just closed.
void write_event_summary(model_state& state);

// The constituent and sediment sections of the event summary.
void write_event_quality_summary(model_state& state, std::FILE* fp);
void write_event_sediment_summary(const model_state& state, std::FILE* fp);

// One dot-leader line: the label, dots to column 50 and the value with its
// decimal point in column 66, then extra_lines + 1 line ends.
enum class dot_format { two_decimals, four_decimals };
void print_dot_line(std::FILE* fp, const char* label, double value, dot_format format, int extra_lines);

// ---- shared pieces ----------------------------------------------------------

// (in - out) / in x 100 when in exceeds the threshold, else 0.
double balance_error_pct(double in, double out, double threshold);

