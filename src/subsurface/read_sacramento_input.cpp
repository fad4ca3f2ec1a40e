// The Sacramento parameter file: a header line, then one card per line
// (keyword and value, in any order). Reading stops after the 17th
// parameter card; a repeated card stops the run, initial fractions and
// drainage fractions outside their range are clipped with a warning, and
// the fractions become depths. With TOPO_INDEX the topographic index of
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

// The value a card may take; values outside are refused, except the
// fractions the model clips itself (any finite number).
struct value_range {
    double lo, hi;
    bool lo_open;
};

constexpr double huge = 1e300;
constexpr value_range positive{0.0, huge, true};
constexpr value_range non_negative{0.0, huge, false};
constexpr value_range fraction{0.0, 1.0, false};
constexpr value_range any_real{-huge, huge, false};

struct sac_card {
    const char* keyword;
    double sac_model::*slot;
    value_range range;
};

// The 17 parameter cards, with the range each value must lie in.
const sac_card sac_cards[] = {
    {"uztwm", &sac_model::uztwm, positive},   {"uzfwm", &sac_model::uzfwm, positive},
    {"uzk", &sac_model::uzk, any_real},       {"zperc", &sac_model::zperc, non_negative},
    {"rexp", &sac_model::rexp, non_negative}, {"lztwm", &sac_model::lztwm, positive},
    {"lzfsm", &sac_model::lzfsm, positive},   {"lzfpm", &sac_model::lzfpm, positive},
    {"lzsk", &sac_model::lzsk, any_real},     {"lzpk", &sac_model::lzpk, any_real},
    {"pfree", &sac_model::pfree, fraction},   {"saved", &sac_model::saved, non_negative},
    {"uztwc", &sac_model::uztwc, any_real},   {"uzfwc", &sac_model::uzfwc, any_real},
    {"lztwc", &sac_model::lztwc, any_real},   {"lzfsc", &sac_model::lzfsc, any_real},
    {"lzfpc", &sac_model::lzfpc, any_real},
};
constexpr int sac_card_count = sizeof sac_cards / sizeof sac_cards[0];

bool stop(model_state&)
{
    error_set(err_stop);
    report_error(error_state);
    return false;
}

bool refuse_value(model_state& s, const file_rec& file, int line, const char* card, const std::string& word,
                  const char* what)
{
    std::printf("Error: the value \"%s\" of %s on line %d of the Sacramento parameter file %s %s\n",
                word.c_str(), card, line, file.name.c_str(), what);
    return stop(s);
}

bool in_range(double v, const value_range& r)
{
    return (r.lo_open ? v > r.lo : v >= r.lo) && v <= r.hi;
}

const char* range_text(const value_range& r)
{
    if (r.hi <= 1.0)
        return "is not between 0 and 1";
    return r.lo_open ? "is not above 0" : "is negative";
}

// Clips an initial fraction to [0.01, 0.99] or a drainage fraction to
// [0.05, 0.5], with the warning naming the card.
void clip(double& v, double lo, double hi, double low_value, double high_value, const char* name)
{
    if (v > hi)
        v = high_value;
    else if (v < lo)
        v = low_value;
    else
        return;
    std::fprintf(stderr, "WARNING:%s changed!\n", name);
}

bool read_cards(model_state& s, file_rec& file, sac_model& m)
{
    std::string line, first;
    std::string_view head;
    const bool read = read_line_rec(line, file) != 0;
    head = line;
    if (!read || !pop_token(head, first) || first.compare(0, 16, "TORVA_SACRAMENTO") != 0) {
        std::fprintf(stderr, "The specified Sacramento model input parameter file does not\n");
        std::fprintf(stderr, "have the proper header: TORVA_SACRAMENTO \n");
        std::fprintf(stderr, "Program terminated in read_sacramento\n");
        std::printf("Error in the Sacramento parameter file %s, line 1: its first word is \"%s\", not "
                    "TORVA_SACRAMENTO.\n",
                    file.name.c_str(), printable(first).c_str());
        return stop(s);
    }
    int seen[sac_card_count] = {};
    int last_line[sac_card_count] = {};
    int count = 0, line_no = 1;
    while (count < sac_card_count) {
        if (!read_line_rec(line, file)) {
            std::printf("Premature end-of-file in the Sacramento parameter input file.\n");
            std::printf("The file should contain 21 parameters.  Only %d parameters read.\n", count);
            std::printf("Program terminated in read_sacramento_input.\n");
            std::printf("Error in the Sacramento parameter file %s: it ends without the card%s.\n",
                        file.name.c_str(), missing_cards(sac_cards, seen).c_str());
            return stop(s);
        }
        ++line_no;
        std::string_view rest(line);
        std::string word, value;
        if (!pop_token(rest, word))
            continue;
        int card = -1;
        for (int k = 0; k < sac_card_count; ++k)
            if (same_first_word(word, sac_cards[k].keyword))
                card = k;
        const bool basins = same_first_word(word, "num_basins");
        const bool basin = same_first_word(word, "basin");
        if (card < 0 && !basins && !basin)
            continue; // the header keyword again, or any other line
        const std::string card_name = card >= 0 ? sac_cards[card].keyword : basins ? "NUM_BASINS" : "BASIN";
        std::string_view v = rest;
        pop_token(v, value);
        std::string extra;
        if (pop_token(v, extra))
            return refuse_value(s, file, line_no, card_name.c_str(), value,
                                ("is followed by \"" + printable(extra) + "\"; a card holds one value").c_str());
        if (card < 0) {
            int n = 0;
            const num_status st = parse_int_strict(value, n);
            if (st != num_status::ok)
                return refuse_value(s, file, line_no, card_name.c_str(), value, num_status_text(st));
            if (n < 0)
                return refuse_value(s, file, line_no, card_name.c_str(), value, "is negative");
            if (basins)
                m.num_basins = n;
            continue;
        }
        double x = 0.0;
        const num_status st = parse_double_strict(value, x);
        if (st != num_status::ok)
            return refuse_value(s, file, line_no, sac_cards[card].keyword, value, num_status_text(st));
        if (!in_range(x, sac_cards[card].range))
            return refuse_value(s, file, line_no, sac_cards[card].keyword, value,
                                range_text(sac_cards[card].range));
        m.*sac_cards[card].slot = x;
        ++seen[card];
        last_line[card] = line_no;
        ++count;
    }
    for (int k = 0; k < sac_card_count; ++k)
        if (seen[k] > 1) {
            std::fprintf(stderr, "Duplicate cards read in Sacramento parameter file.\n");
            std::fprintf(stderr, "There should be only 21 different cards in the file\n");
            std::fprintf(stderr, "with no duplicates.\n");
            std::fprintf(stderr, "Program terminated in read_sacramento\n");
            std::printf("Error in the Sacramento parameter file %s: the card %s is given %d times (line %d is the "
                        "last).\n",
                        file.name.c_str(), sac_cards[k].keyword, seen[k], last_line[k]);
            return stop(s);
        }
    return true;
}

} // namespace

void read_sacramento_input(model_state& s, file_rec& file, sac_model& m)
{
    if (!read_cards(s, file, m))
        return;
    clip(m.uztwc, 0.0, 1.0, 0.01, 0.99, "uztwc");
    clip(m.uzfwc, 0.0, 1.0, 0.01, 0.99, "uzfwc");
    clip(m.lztwc, 0.0, 1.0, 0.01, 0.99, "lztwc");
    clip(m.lzfsc, 0.0, 1.0, 0.01, 0.99, "lzfsc");
    clip(m.lzfpc, 0.0, 1.0, 0.01, 0.99, "lzfpc");
    m.uztwc *= m.uztwm;
    m.uzfwc *= m.uzfwm;
    m.lztwc *= m.lztwm;
    m.lzfsc *= m.lzfsm;
    m.lzfpc *= m.lzfpm;
    clip(m.uzk, 0.0, 1.0, 0.05, 0.5, "uzk");
    clip(m.lzsk, 0.0, 1.0, 0.05, 0.5, "lzsk");
    clip(m.lzpk, 0.0, 1.0, 0.05, 0.5, "lzpk");
    if (m.saved > m.lzfpc) {
        m.saved = m.lzfpc;
        std::fprintf(stderr, "WARNING:saved changed!\n");
    }
    m.pbase = m.lzfpm * m.lzpk + m.lzfsm * m.lzsk;
    m.residual = 0.0;
    if (s.sac_topo_index && s.topo_dex.size() >= s.num_cells &&
        !topodex(s.ground_elev, s.mask, s.topo_dex, s.rows, s.cols, s.gridsize))
        report_error(error_state);
}
