// Text scanning shared by the grid readers: whole lines of any length, the
// six-value grid header, fast real words and a stream of integers.
#pragma once

#include <cstdio>
#include <string>

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

// Integers separated by any white space, line ends included.
class int_scanner
{
  public:
    enum result { ok, end_of_file, not_integer };
    explicit int_scanner(std::FILE* fp) : fp_(fp) {}
    result next(int& value);
    // The word that was not an integer.
    const std::string& bad_word() const { return bad_; }

  private:
    std::FILE* fp_;
    std::string line_;
    std::size_t pos_ = 0;
    std::string bad_;
};
