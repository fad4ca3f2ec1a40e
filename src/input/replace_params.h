// Replacement parameters: bracketed names in input lines replaced by the
// values of the current run. Replacement mode, once on, stays on.
// TODO: the list and value file readers and the substitution.
#pragma once

#include <string>
#include <vector>

struct replace_param {
    std::string key;
    std::string format;
    double value = 0.0;
};

extern std::vector<replace_param> replace_param_list;
extern int replace_on;

// Empties the replacement-parameter list.
void replace_params_free();

struct file_rec;

// Writes the replacement usage report to the summary file and, when asked,
// to the screen.
void print_replace_usage(const file_rec& summary, bool to_screen);
