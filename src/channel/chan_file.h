// Line-by-line reading of the channel input and grid-stream files: the card
// of each line and its values read strictly, each against its allowed range,
// with the file, line, card, link and node named when a value is refused.
#pragma once

#include <string>
#include <string_view>

#include "channel/chan_card_lookup.h"

struct file_rec;

struct chan_file {
    chan_file(file_rec& r, const std::string& p, const char* t) : rec(r), path(p), title(t) {}

    file_rec& rec;
    std::string path;  // the name as the project gave it
    const char* title; // "channel input" or "grid-stream"
    std::string line;  // the current line; the lookup removes its card word
    int line_no = 0;
    int link = 0; // current link and node, named in messages
    int node = 0;
    // Network bounds of the range checks.
    int links = 0;
    int max_nodes = 0;
    int rows = 0;
    int cols = 0;
};

// Reads the next line; false at end of file.
bool chan_next_line(chan_file& f);

// Reads lines until one starts with a keyword; null at end of file. rest is
// the line after the keyword.
const chan_card_def* chan_next_card(chan_file& f, std::string_view& rest);

// Back to the first line.
void chan_rewind(chan_file& f);

// Value number index (1-based) of the card, read strictly and checked
// against the limit; false after the refusal was printed and reported
// (code 4000).
bool chan_take_int(chan_file& f, const chan_card_def& d, std::string_view& rest, int index, value_limit lim,
                   int& out);
bool chan_take_real(chan_file& f, const chan_card_def& d, std::string_view& rest, int index, value_limit lim,
                    double& out);

// The same with the card's own limit of that value (index 1..3).
bool chan_take_int(chan_file& f, const chan_card_def& d, std::string_view& rest, int index, int& out);
bool chan_take_real(chan_file& f, const chan_card_def& d, std::string_view& rest, int index, double& out);

// Stops the run after a message the caller printed (code 4000, reported).
void chan_stop();

// " (link L, node N)" of the current place ("" before the first LINK card,
// the node left out before the block's first NODE card).
std::string chan_place(const chan_file& f);

// Prints "Error in the <title> file <path>, line <n>, card <CARD> (link L,
// node N): <cause>." (the line left out when line_no is 0, the card when d
// is null).
void chan_say(const chan_file& f, const chan_card_def* d, const std::string& cause);

// The same, then stops the run; false.
bool chan_fail(const chan_file& f, const chan_card_def* d, const std::string& cause);
