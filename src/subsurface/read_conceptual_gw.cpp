// The conceptual groundwater parameter file: a header line, then one card
// per line (keyword and value, in any order). Reading stops after the 7th
// card; a repeated card stops the run, negative values are replaced with a
// warning, the initial fractions become depths, and the upslope area of
// every cell is computed for the channel weights.
#include <cstdio>
#include <string>
#include <string_view>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/text_parse.h"
#include "subsurface/lumped_models.h"
#include "subsurface/soil_tables.h"

namespace
{

// A value outside [lo, hi] is refused; the model's own corrections (below
// 0, or underflow above 1) are applied after reading.
struct cgw_card {
    const char* keyword;
    double cgw_model::*slot;
    double lo, hi;
    const char* range_text;
};

constexpr double huge = 1e300;

// A store of no capacity or a rate above 1 would divide by zero or empty a
// store below nothing.
const cgw_card cgw_cards[] = {
    {"slow_max", &cgw_model::slow_max, -huge, huge, ""},
    {"fast_max", &cgw_model::fast_max, -huge, huge, ""},
    {"slow_rate", &cgw_model::slow_rate, -huge, 1.0, "is above 1"},
    {"fast_rate", &cgw_model::fast_rate, -huge, 1.0, "is above 1"},
    {"slow_content", &cgw_model::slow_content, -huge, huge, ""},
    {"fast_content", &cgw_model::fast_content, -huge, huge, ""},
    {"underflow_percent", &cgw_model::underflow_percent, -huge, huge, ""},
};
constexpr int cgw_card_count = sizeof cgw_cards / sizeof cgw_cards[0];

bool stop()
{
    error_set(err_stop);
    report_error(error_state);
    return false;
}

bool refuse(const file_rec& file, int line, const char* card, const std::string& word, const char* what)
{
    std::printf(
        "Error: the value \"%s\" of %s on line %d of the conceptual groundwater parameter file %s %s\n",
        word.c_str(), card, line, file.name.c_str(), what);
    return stop();
}

void correct(double& v, bool wrong, double value, const char* name)
{
    if (!wrong)
        return;
    v = value;
    std::fprintf(stderr, "WARNING:%s changed!\n", name);
}

bool read_cards(file_rec& file, cgw_model& m)
{
    std::string line, first;
    const bool read = read_line_rec(line, file) != 0;
    std::string_view head(line);
    if (!read || !pop_token(head, first) || first.compare(0, 19, "TORVA_CONCEPTUAL_GW") != 0) {
        std::fprintf(stderr, "have the proper header: TORVA_CONCEPTUAL_GW \n");
        std::fprintf(stderr, "Program terminated in read_conceptual_gw\n");
        std::printf("Error in the conceptual groundwater parameter file %s, line 1: its first word is \"%s\", not "
                    "TORVA_CONCEPTUAL_GW.\n",
                    file.name.c_str(), printable(first).c_str());
        return stop();
    }
    int seen[cgw_card_count] = {};
    int last_line[cgw_card_count] = {};
    int count = 0, line_no = 1;
    while (count < cgw_card_count) {
        if (!read_line_rec(line, file)) {
            std::printf("Premature end-of-file in the Conceptual GW parameter input file.\n");
            std::printf("The file should contain 9 parameters.  Only %d parameters read.\n", count);
            std::printf("Program terminated in read_conceptual_gw.\n");
            std::printf("Error in the conceptual groundwater parameter file %s: it ends without the card%s.\n",
                        file.name.c_str(), missing_cards(cgw_cards, seen).c_str());
            return stop();
        }
        ++line_no;
        std::string_view rest(line);
        std::string word, value;
        if (!pop_token(rest, word))
            continue;
        int card = -1;
        for (int k = 0; k < cgw_card_count; ++k)
            if (same_first_word(word, cgw_cards[k].keyword))
                card = k;
        if (card < 0)
            continue; // the header keyword again, or any other line
        const cgw_card& c = cgw_cards[card];
        pop_token(rest, value);
        std::string extra;
        if (pop_token(rest, extra))
            return refuse(file, line_no, c.keyword, value,
                          ("is followed by \"" + printable(extra) + "\"; a card holds one value").c_str());
        double x = 0.0;
        const num_status st = parse_double_strict(value, x);
        if (st != num_status::ok)
            return refuse(file, line_no, c.keyword, value, num_status_text(st));
        if (x < c.lo || x > c.hi)
            return refuse(file, line_no, c.keyword, value, c.range_text);
        m.*c.slot = x;
        ++seen[card];
        last_line[card] = line_no;
        ++count;
    }
    for (int k = 0; k < cgw_card_count; ++k)
        if (seen[k] > 1) {
            std::fprintf(stderr, "Duplicate cards read in Conceptual_GW parameter file.\n");
            std::fprintf(stderr, "There should be only 8 different cards in the file\n");
            std::fprintf(stderr, "with no duplicates.\n");
            std::fprintf(stderr, "Program terminated in read_conceptual_gw\n");
            std::printf("Error in the conceptual groundwater parameter file %s: the card %s is given %d times (line "
                        "%d is the last).\n",
                        file.name.c_str(), cgw_cards[k].keyword, seen[k], last_line[k]);
            return stop();
        }
    return true;
}

} // namespace

void read_conceptual_gw(model_state& s, file_rec& file, cgw_model& m, dvec& area)
{
    if (!read_cards(file, m))
        return;
    correct(m.slow_max, m.slow_max < 0.0, 10.0, "slow_max");
    correct(m.fast_max, m.fast_max < 0.0, 10.0, "fast_max");
    correct(m.slow_rate, m.slow_rate < 0.0, 0.01, "slow_rate");
    correct(m.fast_rate, m.fast_rate < 0.0, 0.01, "fast_rate");
    correct(m.slow_content, m.slow_content < 0.0, 0.01, "slow_content");
    correct(m.fast_content, m.fast_content < 0.0, 0.01, "fast_content");
    correct(m.underflow_percent, m.underflow_percent > 1.0, 0.01, "underflow_percent");
    if (m.slow_max <= 0.0 || m.fast_max <= 0.0) {
        std::printf("Error: the conceptual groundwater parameter file %s gives a store of no capacity "
                    "(slow_max %g, fast_max %g)\n",
                    file.name.c_str(), m.slow_max, m.fast_max);
        stop();
        return;
    }
    m.slow_content *= m.slow_max;
    m.fast_content *= m.fast_max;
    m.max_out = m.fast_max * m.fast_rate + m.slow_max * m.slow_rate;
    if (area.size() >= s.num_cells && !upslope_area(s.ground_elev, s.mask, area, s.rows, s.cols, s.gridsize))
        report_error(error_state);
}
