// Bad (and good) variants of an example project run through the program:
// the example's folder is copied into a scratch folder, some of its files
// are replaced or edited, and torva runs its project there.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace torva_test {

// An edit of one file's text: its name in the example's folder and the new
// text made from the old ("" when the file is new).
using file_edits = std::map<std::string, std::function<std::string(std::string)>>;

struct example_result {
    int status;
    std::string output;
    std::map<std::string, std::string> files; // the files asked for, as the run left them
};

// Copies examples/<example> into a fresh scratch folder, applies the edits
// and runs torva on the project file `project` there; the files named in
// `keep` are read back after the run.
example_result run_example_variant(const std::string& example, const std::string& project,
                                   const file_edits& edits, const std::vector<std::string>& keep = {});

// Edits: the text replaced by `by` at its first occurrence (the edit fails
// the test when `what` is not there); a file's text given whole.
std::function<std::string(std::string)> replace_text(const std::string& what, const std::string& by);
std::function<std::string(std::string)> whole_text(const std::string& text);

// The project's card line "CARD ..." replaced by `line` ("" drops it), or
// `line` added at the end when the card is not there.
std::function<std::string(std::string)> card_line(const std::string& card, const std::string& line);

} // namespace torva_test
