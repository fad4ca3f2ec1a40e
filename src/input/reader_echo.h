// Screen and summary echo of the input readers.
#pragma once

#include <string>

struct model_state;

// Which runs see a reader's line on the screen. Every rule writes the line
// to the run summary file when it is open.
enum class echo_rule {
    normal,      // silent with SUPER_QUIET and in toolbox trials
    with_trials, // silent with SUPER_QUIET only
    always,      // always on the screen
};

// Writes the text literally to the screen (by the rule, first process of
// the group only) and to the summary file.
void reader_echo(const model_state& state, echo_rule rule, const std::string& text);

// printf-style formatting into a string; the format is always a literal.
std::string text_format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// One line with a screen wording and a summary wording of its own.
void reader_echo_split(const model_state& state, echo_rule rule, const std::string& screen_text,
                       const std::string& summary_text);
