// Text scanning shared by the grid readers: whole lines of any length, the
// six-value grid header, fast real words and a stream of integers.
#pragma once

#include <cstdio>
#include <string>

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
// number (rows and cols must be integers).
int read_grid_header(std::FILE* fp, grid_header& header);

// Prints the refusal of a header that read_grid_header could not read.
void print_bad_grid_header(const std::string& map_name, int position);

// Separators of the values of a real grid row.
inline bool is_row_separator(char c)
{
    return c == ' ' || c == '\t' || c == ',' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The leading number of the word [begin, end) (a word that does not start
// with a number is 0.0), rounded exactly as strtod rounds. begin must point
// into a null-terminated buffer.
double word_real_value(const char* begin, const char* end);

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
