// The low-spot file: the places where water crosses an embankment, one
// SPOT card each.
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

bool is_spot_card(const std::string& line)
{
    std::size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\n')) ++i;
    std::size_t j = i;
    while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\n') ++j;
    return lower(line.substr(i, j - i)) == "spot";
}

void stop_run()
{
    error_set(err_stop);
    report_error(error_state);
}

} // namespace

void read_lowspot_file(file_rec& file, const std::string& name, int& count, std::vector<lowspot_rec>& spots)
{
    count = 0;
    spots.clear();
    std::string line;
    const bool have_header = file.fp && read_line_rec(line, file);
    std::string token;
    if (have_header) pop_token(line, token);
    token = lower(token);
    const std::string header = "lowspot";
    if (have_header && (token.size() > header.size() || header.compare(0, token.size(), token) != 0)) {
        std::fprintf(stderr, "The lowspot input file: %s does not start with the LOWSPOT card.\n", name.c_str());
        std::fprintf(stderr, "The file format is invalid.  Program terminated.\n");
        std::printf("Error in the low-spot file %s, line 1: its first word is \"%s\", not LOWSPOT.\n", name.c_str(),
                    printable(token).c_str());
        stop_run();
        return;
    }

    int n = 0;
    while (have_header && read_line_rec(line, file))
        if (is_spot_card(line)) ++n;
    if (n == 0) {
        std::fprintf(stderr, "Premature end-of-file in the lowspot input file.\n");
        std::fprintf(stderr, "No SPOT cards encountered before end of file.\n");
        std::fprintf(stderr, "Program terminated.\n");
        std::printf("Error in the low-spot file %s: it holds no SPOT card.\n", name.c_str());
        stop_run();
        return;
    }

    spots.assign(static_cast<size_t>(n) + 1, lowspot_rec{});
    std::vector<int> card_line(static_cast<size_t>(n) + 1, 0);
    std::rewind(file.fp);
    file.line_no = 0;
    int k = 0;
    while (k < n && read_line_rec(line, file)) {
        if (!is_spot_card(line)) continue;
        lowspot_rec& spot = spots[static_cast<size_t>(++k)];
        std::string_view rest(line);
        std::string word;
        pop_token(rest, word);
        // Row, column, the side (1 top, 2 right, 4 bottom, 8 left), the
        // fraction of the cell's width the spot spans and its crest (m).
        static const char* const fields[] = {"row", "column", "side", "fraction", "elevation"};
        double v[5];
        std::string fault = named_line_values(rest, fields, 5, 3, v);
        if (fault.empty()) {
            spot.row = static_cast<int>(v[0]);
            spot.col = static_cast<int>(v[1]);
            spot.side = static_cast<int>(v[2]);
            spot.fraction = v[3];
            spot.elevation = v[4];
            for (int j = 1; j < k && fault.empty(); ++j) {
                const lowspot_rec& other = spots[static_cast<size_t>(j)];
                if (other.row == spot.row && other.col == spot.col && other.side == spot.side)
                    fault = "the low spot on side " + std::to_string(spot.side) + " of row " +
                            std::to_string(spot.row) + ", column " + std::to_string(spot.col) +
                            " is given a second time (first at line " +
                            std::to_string(card_line[static_cast<size_t>(j)]) + ")";
            }
        }
        if (!fault.empty()) {
            std::fprintf(stderr,
                         "SPOT card %d of the lowspot input file %s needs a row, a column, a side, a fraction and "
                         "an elevation.\nProgram terminated.\n",
                         k, name.c_str());
            std::printf("Error in the low-spot file %s, line %d: %s.\n", name.c_str(), file.line_no, fault.c_str());
            spots.clear();
            stop_run();
            return;
        }
        card_line[static_cast<size_t>(k)] = file.line_no;
    }
    count = n;
}
