// Free-format numeric files (whitespace-separated words over any number of
// lines), read strictly: each word must be one whole number within the
// range its reader gives for that field.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// Whitespace-separated words of a text file, with the line each began on.
class word_reader
{
  public:
    // The stream is read from its present position, which lies on first_line.
    explicit word_reader(std::FILE* fp, int first_line = 1) : fp_(fp), line_(first_line), word_line_(first_line) {}
    // The next word; false at the end of the file.
    bool next(std::string& word);
    // Line of the last word read.
    int line() const { return word_line_; }

  private:
    std::FILE* fp_;
    int line_;
    int word_line_;
};

// One numeric field of a file: its name in messages and its allowed range.
struct num_field {
    const char* name;
    double low;
    double high;
};

enum class field_result { ok, end_of_file, refused };

// Reads the next word as the field. A word that is not a number of the
// field's kind, or lies outside its range, prints a message naming the
// file, line, entry and field and stops the run (code 4000, reported):
// refused. The end of the file is left to the caller: end_of_file.
field_result read_int_field(word_reader& in, const std::string& file, int entry, const num_field& field, int& out);
field_result read_real_field(word_reader& in, const std::string& file, int entry, const num_field& field,
                             double& out);

// The message of a file that ends before the entry is complete; stops the run.
void refuse_early_end(const word_reader& in, const std::string& file, int entry, const num_field& field);

// A list holds exactly the `count` entries it announces: true when no word
// is left; otherwise prints "Error: file F, line L: "W" follows the last of
// the N entries the file announces.", stops the run (code 4000, reported)
// and returns false.
bool file_ends_after_entries(word_reader& in, const std::string& file, int count);

// The `count` numbers of a line (separated as pop_token separates), named
// `names`, the first `whole` of them whole numbers, read strictly into out;
// nothing may follow them. "" when the line holds them, else what is wrong
// with it ("the line holds 4 of its 6 numbers (...)", "the value \"x\" is
// not a number", "\"7\" follows the value at the end of the line").
std::string named_line_values(std::string_view line, const char* const* names, int count, int whole,
                              double* out);
