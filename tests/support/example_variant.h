// Variants of an example project run through the program: the example's
// folder is copied into a scratch folder, some of its files are edited,
// added or removed, and torva runs there with the command line given.
// A table of bad variants lists, for each, the messages it must print and
// its exit status; a refused variant must also show that it stopped.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace torva_test
{

// An edit of one file: its new text made from the old ("" for a new file).
using text_edit = std::function<std::string(std::string)>;

struct file_edit {
    std::string file; // in the example's folder, or a new file (its folders are made)
    text_edit edit;   // null: the file is removed
};
using file_edits = std::vector<file_edit>; // applied in order

// The file removed from the copy.
file_edit removed(const std::string& file);

struct example_result {
    int status;
    std::string output;                       // standard output and error
    std::map<std::string, std::string> files; // the files asked for that the run left
};

// Copies examples/<example>, applies the edits and runs torva with `args`
// (the command line after the program) in one thread; the files named in
// `keep` are read back after the run.
example_result run_example_variant(const std::string& example, const std::string& args,
                                   const file_edits& edits = {}, const std::vector<std::string>& keep = {});

struct example_variant {
    std::string label;
    std::string example; // folder under examples/
    std::string args;    // the command line after the program
    file_edits edits;
    std::vector<std::string> messages; // printed, in this order
    int status = 1;
};

// What a refused variant (exit status other than 0) must not show: a line
// printed anywhere, a line printed after its first message, a file left
// behind.
struct refusal_checks {
    std::vector<std::string> never = {"Running...."};
    std::vector<std::string> not_after = {};
    std::vector<std::string> no_files = {};
};

// Runs the variant and checks its status, its messages, that no sanitizer
// report was printed and, when it is refused, what it must not show.
void expect_variant(const example_variant& v, const refusal_checks& refused = {});
void expect_variants(const std::vector<example_variant>& variants, const refusal_checks& refused = {});

// Text edits. Those that look for a text fail the test when it is not
// there, so that a changed example cannot make a case pass unseen.

// The first occurrence of `from` replaced by `to`.
text_edit replaced(const std::string& from, const std::string& to);
// The text up to the end of the first occurrence of `last`.
text_edit cut_after(const std::string& last);
// The text given whole, whatever the file held.
text_edit whole(const std::string& text);
// The text with `more` after it.
text_edit appended(const std::string& more);
// The edit applied to `base` in place of the file's own text.
text_edit made_from(const std::string& base, const text_edit& edit);
// Line n (from 1) replaced by the edit of its text (without its newline).
text_edit on_line(int n, const text_edit& edit);
// Every line from line n on ends in CR-LF.
text_edit crlf_from(int n);

// Project cards: the line of the card replaced by "CARD value" ("CARD"
// alone when the value is empty), or dropped.
text_edit set_card(const std::string& card, const std::string& value);
text_edit drop_card(const std::string& card);

// n bytes of every value, the same for the same seed: a file of noise.
std::string noise_bytes(std::size_t n, unsigned seed);

} // namespace torva_test
