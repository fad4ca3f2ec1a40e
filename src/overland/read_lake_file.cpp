// The lake file: the initial water-surface elevation of every lake, one
// LAKE card per lake.
#include <cctype>
#include <cstdio>
#include <string>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/text_parse.h"
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

void stop_run()
{
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
        stop_run();
        return;
    }

    int cards = 0;
    while (have_header && read_line_rec(line, file)) {
        if (lower(first_word(line)) != "lake") continue;
        ++cards;
        std::string word;
        pop_token(line, word);
        int id = 0;
        double elev = 0.0;
        double volume = 0.0;
        const bool complete = pop_int(line, id) && pop_double(line, elev) && pop_double(line, volume);
        if (!complete || id < 1 || id > expected || id >= static_cast<int>(lakes.size())) {
            std::fprintf(stderr,
                         "LAKE card %d of the %s lake input data file needs a lake number from 1 to %d, an "
                         "elevation and a volume.\nProgram terminated.\n",
                         cards, kind_word, expected);
            stop_run();
            return;
        }
        std::printf("%d   Elev: %.2lf   Volume: %.2lf\n", cards, elev, volume);
        ov_lake& lake = lakes[static_cast<size_t>(id)];
        lake.stage = elev;
        lake.stage_init = elev;
        lake.volume = volume;
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
    stop_run();
}
