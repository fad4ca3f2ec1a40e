// The lake file: the initial water-surface elevation of every lake, one
// LAKE card per lake.
#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/text_parse.h"
#include "input/word_reader.h"
#include "overland/lake_files.h"

namespace {

std::string lower(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// First word of a line; blanks, tabs and newlines end it.
std::string first_word(const std::string& line)
{
    std::size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\n')) ++i;
    std::size_t j = i;
    while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\n') ++j;
    return line.substr(i, j - i);
}

// The line after a lake file's own message: the file, the line (none when
// line_no is 0) and the fault; the run stops.
void lake_file_refusal(const file_rec& file, const char* kind_word, int line_no, const std::string& what)
{
    if (line_no > 0)
        std::printf("Error in the %s lake file %s, line %d: %s.\n", kind_word, file.name.c_str(), line_no,
                    what.c_str());
    else
        std::printf("Error in the %s lake file %s: %s.\n", kind_word, file.name.c_str(), what.c_str());
    error_set(err_stop);
    report_error(error_state);
}

} // namespace

void read_lake_file(file_rec& file, int kind, int expected, std::vector<ov_lake>& lakes)
{
    const bool overland = kind != 2;
    const char* kind_word = overland ? "overland" : "channel";
    const std::string header = overland ? "torva_overland_lake_file" : "torva_channel_lake_file";

    std::string line;
    const bool have_header = file.fp && read_line_rec(line, file);
    std::string token;
    if (have_header) pop_token(line, token);
    token = lower(token);
    if (have_header && (token.size() > header.size() || header.compare(0, token.size(), token) != 0)) {
        std::fprintf(stderr, "The %s lake input data file doesn't start with\n", kind_word);
        std::fprintf(stderr, " %s card.\n", overland ? "TORVA_OVERLAND_LAKE_FILE" : "TORVA_CHANNEL_LAKE_FILE");
        std::fprintf(stderr, "The file format is invalid.  Program terminated.\n");
        lake_file_refusal(file, kind_word, 1, "its first word is \"" + printable(token) + "\"");
        return;
    }

    int cards = 0;
    std::vector<int> card_line(static_cast<size_t>(expected > 0 ? expected : 0) + 1, 0);
    while (have_header && read_line_rec(line, file)) {
        if (lower(first_word(line)) != "lake") continue;
        ++cards;
        std::string_view rest(line);
        std::string word;
        pop_token(rest, word);
        // The lake number, its water-surface elevation (m) and its volume
        // (m3, replaced by the volume below the stage over the lake's cells).
        static const char* const fields[] = {"lake number", "elevation", "volume"};
        double v[3];
        std::string fault = named_line_values(rest, fields, 3, 1, v);
        const int id = fault.empty() ? static_cast<int>(v[0]) : 0;
        if (fault.empty() && (id < 1 || id > expected || id >= static_cast<int>(lakes.size())))
            fault = "the lake number " + std::to_string(id) + " is not one of the lakes 1 to " +
                    std::to_string(expected) + " of the lake map";
        if (fault.empty() && v[2] < 0.0)
            fault = "the volume is negative";
        if (fault.empty() && card_line[static_cast<size_t>(id)] != 0)
            fault = "lake " + std::to_string(id) + " has a second LAKE card (the first is at line " +
                    std::to_string(card_line[static_cast<size_t>(id)]) + ")";
        if (!fault.empty()) {
            std::fprintf(stderr,
                         "LAKE card %d of the %s lake input data file needs a lake number from 1 to %d, an "
                         "elevation and a volume.\nProgram terminated.\n",
                         cards, kind_word, expected);
            lake_file_refusal(file, kind_word, file.line_no, fault);
            return;
        }
        card_line[static_cast<size_t>(id)] = file.line_no;
        std::printf("%d   Elev: %.2lf   Volume: %.2lf\n", cards, v[1], v[2]);
        ov_lake& lake = lakes[static_cast<size_t>(id)];
        lake.stage = v[1];
        lake.stage_init = v[1];
        lake.volume = v[2];
    }
    if (cards == expected) return;
    if (cards == 0) {
        std::fprintf(stderr, "Premature end-of-file in the %s lake input data file.\n", kind_word);
        std::fprintf(stderr, "No LAKE cards encountered before end of file.\n");
    } else {
        std::fprintf(stderr, "Incorrect number of LAKE cards in the %s lake input data file.\n", kind_word);
        std::fprintf(stderr, "Expected %d LAKE cards, read %d\n", expected, cards);
    }
    std::fprintf(stderr, "Program terminated.\n");
    std::string missing;
    for (int id = 1; id <= expected && missing.empty(); ++id)
        if (card_line[static_cast<size_t>(id)] == 0)
            missing = "; lake " + std::to_string(id) + " has none";
    lake_file_refusal(file, kind_word, 0,
                      "it holds " + std::to_string(cards) + " LAKE cards for the " + std::to_string(expected) +
                          " lakes of the lake map" + missing);
}
