// Line helpers shared by the XY boundary readers: the opening of a file
// with its header keyword and point count, the label-and-values lines of
// the point headers and the binding of a multi-column series block to its
// points. Every refusal names the file and the line, stops the run (code
// 4000, reported) and leaves the caller nothing to keep: a nested model
// never runs on without the boundary its project asks for.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/file_rec.h"
#include "core/text_parse.h"
#include "input/time_series.h"
#include "input/word_reader.h"

// Longest line of an XY boundary file holding n values.
int xy_line_size(int n);

// How one kind of XY boundary file begins: its keyword, whether the
// keyword is compared without regard to case, and the messages the format
// gives for a file that does not open, a wrong header and no points.
struct xy_file_kind {
    std::string header;
    bool any_case;
    std::string open_error;
    std::string header_error;
    std::string no_points;
};

// Opens the file and reads its header line: false, with the kind's message
// and a line naming the file and what was found, when the file cannot be
// opened, is empty or begins with another word.
bool xy_open_header(file_rec& rec, const std::string& path, const xy_file_kind& kind);

// Opens the file and reads its header line and point count. Returns the
// count n > 0, 0 for a file without points (the kind's warning printed,
// the run goes on), or -1 after a refusal: a file that cannot be opened,
// is empty or begins with another word prints the kind's message and a
// line naming the file and what was found; a count that is not a whole
// number, is negative or more than the rest of the file can hold is
// refused naming the file and line 2.
int xy_open_points(file_rec& rec, const std::string& path, const xy_file_kind& kind);

// Takes the next token strictly as a number of the destination's kind.
inline num_status xy_pop_strict(std::string_view& line, int& out)
{
    return pop_int_strict(line, out);
}
inline num_status xy_pop_strict(std::string_view& line, double& out)
{
    return pop_double_strict(line, out);
}

// Skips `labels` words of the line, then reads exactly n numbers strictly
// into out. A missing label, a missing or bad number or a number after the
// n-th is refused naming the file, the line and the value's position.
bool xy_label_reals(std::string_view line, int labels, int n, std::vector<double>& out,
                    const std::string& path, int line_no);
bool xy_label_ints(std::string_view line, int labels, int n, std::vector<int>& out, const std::string& path,
                   int line_no);

// Reads the line that follows; false, refused with the file, the line and
// what the line was to hold, when the file ends first.
bool xy_next_line(file_rec& rec, std::string& line, int size, const std::string& path, const char* holds);

// Reads the dated block that follows into n series named "<prefix>_%04d",
// each value within the field's range, and returns them in column order;
// empty when the block was refused or holds no dated row (both reported).
std::vector<time_series*> xy_series_block(file_rec& rec, int n, const std::string& prefix,
                                          const std::string& path, const num_field& field);
