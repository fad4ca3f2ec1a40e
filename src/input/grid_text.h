// Text scanning shared by the grid readers: whole lines of any length, the
// six-value grid header, fast real words and a stream of integers.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "core/text_parse.h"

// Reads one line of any length; the newline and a carriage return before it
// are removed. False at end of file when nothing was read.
bool read_any_line(std::FILE* fp, std::string& line);

struct grid_header {
    double north = 0.0;
    double south = 0.0;
    double east = 0.0;
    double west = 0.0;
    int rows = 0;
    int cols = 0;
};

// Reads the header: six label-and-number pairs (labels of at most 6, 6, 5,
// 5, 5, 5 characters, thrown away), then skips the white space after them.
// Returns 0, or the position 1..6 of the value that is missing or not a
// finite number (rows and cols must be integers), or grid_north_below_south
// or grid_east_below_west when the edges are the wrong way round.
constexpr int grid_north_below_south = 7;
constexpr int grid_east_below_west = 8;
int read_grid_header(std::FILE* fp, grid_header& header);

// Prints the refusal of a header that read_grid_header did not accept.
void print_bad_grid_header(const std::string& map_name, int position, const grid_header& header);

// Separators of the values of a real grid row.
inline bool is_row_separator(char c)
{
    return c == ' ' || c == '\t' || c == ',' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The word [begin, end) as one finite number, rounded exactly as strtod
// rounds; anything else (trailing characters, nan, inf, 1e400) is refused
// with the status that says why.
num_status word_real_strict(const char* begin, const char* end, double& out);

// Number of the line that holds the character just before the stream's
// position (the line read last); 0 when the stream cannot tell. The
// position is kept.
int line_before_position(std::FILE* fp);

// True when the text holds nothing but white space.
bool blank_text(std::string_view text);

// True, after printing "Error: map NAME, line L: "WORD" lies beyond the R
// rows of C values that its header gives." and stopping the run (code
// 4000, reported), when the text holds anything but white space.
bool text_beyond_grid(std::string_view text, const std::string& name, int line_no, int rows, int cols);

// A map holds exactly the rows and values its header gives. True when
// nothing but white space follows the last value: `rest` is what is left
// of the line that held it, then the file is read to its end. Otherwise
// prints "Error: map NAME, line L: ..." with the text found, stops the run
// (code 4000, reported) and returns false.
bool grid_ends_after_values(std::FILE* fp, const std::string& name, std::string_view rest, int rows, int cols);

// Integers separated by any white space, line ends included.
class int_scanner
{
  public:
    enum result { ok, end_of_file, not_integer };
    explicit int_scanner(std::FILE* fp) : fp_(fp) {}
    result next(int& value);
    // The word that was not an integer.
    const std::string& bad_word() const { return bad_; }
    // What is left of the line holding the last integer read.
    std::string_view rest_of_line() const { return std::string_view(line_).substr(pos_); }

  private:
    std::FILE* fp_;
    std::string line_;
    std::size_t pos_ = 0;
    std::string bad_;
};
