// Counts read from a file (nodes, links, rows, parameters) are checked
// before they size anything: against the range the reader gives for them
// and against the bytes left in the file, so no input can make the program
// ask for more memory than the data it describes needs.
#pragma once

#include <cstdio>
#include <string>

// One count of a file: its name in messages, its allowed range and the
// fewest characters of the file each counted item takes after the count
// (0 when the items do not follow in the same file).
struct count_field {
    const char* name;
    long long low;
    long long high;
    long long min_bytes_per_item;
};

// Characters between the stream's position and its end; -1 when the stream
// cannot tell (a pipe).
long long stream_bytes_left(std::FILE* fp);

// True when the count lies within the field's range and, with a stream and
// a per-item size, the rest of the stream can hold that many items.
// Otherwise prints "Error: file F, line L: the NAME N ..." with the cause,
// stops the run (code 4000, reported) and returns false.
bool check_count(long long count, const count_field& field, const std::string& file, int line,
                 std::FILE* fp = nullptr);
