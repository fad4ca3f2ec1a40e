// Replacement parameters: a bracketed parameter name in an input line is
// replaced by the parameter's current value, printed with its own format.
// The list file declares the parameters, the values file holds one line of
// values per run. Replacement mode, once on, stays on for the process; the
// list is emptied at the end of every run.
#pragma once

#include <string>
#include <vector>

#include "core/text_parse.h"

struct file_rec;

constexpr int replace_key_limit = 27;    // placeholder with its brackets
constexpr int replace_format_limit = 11; // printf-style format
constexpr int replace_text_limit = 249;  // value of a string parameter

enum replace_type : int { replace_int = 0, replace_real = 1, replace_string = 2 };

struct replace_param {
    std::string key;     // "[name]"
    int key_len = 0;
    std::string format;  // one conversion of the parameter's type
    int type = replace_int;
    double value_real = 0.0;
    int value_int = 0;
    std::string value_text;
    unsigned char used = 0; // replaced at least once since the values were loaded
};

// Parameters in declaration order.
extern std::vector<replace_param> replace_param_list;
// Substitutions made since the values were loaded.
extern int replace_count;

// Empties the list and reads the list file. 0, or -1 after a message with
// the run stopped (file missing, count unreadable, file short, or a
// declaration refused, which would hand the values to the wrong parameters).
int read_replace_params(const std::string& file_name);

// Parses one declaration and appends it; 0, or -1 after a message.
int parse_replace_param(const std::string& line);

// Loads the values of line replace_line_index of the values file and
// switches replacement mode on. 0, or -1 after a message with the run
// stopped (REPLACE_LINE below 1, file missing, empty or short, a string
// value too long).
int read_replace_values(const std::string& file_name);

// Replaces the placeholder starting at position, when a key matches there.
// Returns 1 when replaced: position then moves to the last character of the
// inserted text (one before it for an empty value), so a scan that goes on
// at position + 1 never scans inserted text again. 0 when no key matches;
// -1 when the line would exceed capacity characters (reported, run stopped,
// line unchanged).
int replace_pair(std::string& line, int& position, int capacity = line_buffer_size - 1);

// The values report of the start-up and the usage report after the
// initialisation: written to the log when it is open, and to the screen
// when asked (through report_print).
void print_replace_values(const file_rec& log, bool to_screen);
void print_replace_usage(const file_rec& log, bool to_screen);

// printf to standard output unless the SUPER_QUIET switch is on.
void report_print(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Empties the list.
void free_replace_params();

// The format of a parameter is usable when it holds exactly one conversion
// and that conversion takes the parameter's type.
bool replace_format_ok(const std::string& format, int type);
