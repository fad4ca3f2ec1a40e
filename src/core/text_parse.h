// Line reading and token parsing shared by the readers. Lines are read
// whole into a std::string whose capacity the caller states as a buffer
// size (at most size - 1 characters; a longer line arrives in pieces).
// The parsers take what they use from the front of the line, so a reader
// pops the values of a line one after the other.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

struct file_rec;

constexpr int line_buffer_size = 25000; // common line readers: 24,999 characters

// Replacement mode and the substitution of bracketed parameter names; both
// live with the replacement parameters (input/replace_params.cpp). The
// capacity is the most characters the line may hold after substitution;
// false when a substitution did not fit (reported, run stopped).
extern int replace_on;
bool replace_pairs_in_line(std::string& line, int capacity = line_buffer_size - 1);

// Reads one line of at most line_buffer_size - 1 characters; the trailing
// newline (and a carriage return before it) is removed, and in replacement
// mode the line is substituted. 1 when a line was read, 0 at end of file
// (the line is then left untouched).
int read_line_fp(std::string& line, std::FILE* fp);

// The same on a file record's stream, with the caller's buffer size; counts
// the line in the record's line_no.
int read_line_rec(std::string& line, file_rec& rec, int size = line_buffer_size);

// Reads one whole line of any length and removes its newline, nothing else
// (a carriage return stays). False at end of file.
bool read_raw_line(std::FILE* fp, std::string& line);

// Removes the first n characters (n >= 1); -1 for an empty text, else 0.
int delete_prefix(std::string& text, int n);

// The text as it stood in the file, control characters (and, with
// ascii_only, bytes beyond ASCII) written as \xNN, so a message shows what
// was found.
std::string printable(std::string_view text, bool ascii_only = false);

// Removes one leading and one trailing double quote; inner quotes stay.
void strip_quotes(std::string& text);

// Takes the next token (separators: blank, tab, comma, newline; a token
// that starts with a double quote runs to the next double quote). 1 with
// the token in dest, 0 when none is left or the token is an empty "".
int pop_token(std::string& line, std::string& dest);
int pop_token(std::string_view& line, std::string& dest);

// Take the next word and convert its leading number; a word that is not a
// number reads as 0 and still counts. 0 only when the line is exhausted.
int pop_double(std::string& line, double& out);
int pop_double(std::string_view& line, double& out);
int pop_int(std::string& line, int& out);
int pop_int(std::string_view& line, int& out);

// Strict conversions for readers that must refuse bad input: the whole
// text is one number (a leading '+' or '-' allowed, no blanks, no trailing
// characters), finite and within the type's range. Integers take no
// fraction or exponent ("1e7" and "10.0" are not whole numbers).
enum class num_status { ok, empty, not_number, not_whole, out_of_range, not_finite };
num_status parse_double_strict(std::string_view text, double& out);
num_status parse_int_strict(std::string_view text, int& out);
num_status parse_long_strict(std::string_view text, long long& out);

// What is wrong with a value, for messages: "is missing", "is not a
// number", "is not a whole number", "is out of range", "is not finite";
// "" for ok.
const char* num_status_text(num_status s);

// Take the next token and convert it strictly. The token is consumed
// unless the line is exhausted (num_status::empty).
num_status pop_double_strict(std::string_view& line, double& out);
num_status pop_int_strict(std::string_view& line, int& out);

// Position of the first character of the text's second word (blank, tab
// and newline separate, a comma does not); with one word the position of
// the last character, 0 for an empty text.
std::size_t next_word(std::string_view text);

// 1 when the first tokens of a and b are equal ignoring letter case.
int same_first_word(std::string_view a, std::string_view b);
