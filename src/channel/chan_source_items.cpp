#include <cctype>
#include <cstdio>
#include <string>
#include <cstring>
#include <strings.h>

#include "channel/chan_file.h"
#include "channel/chan_point_input.h"
#include "core/julian.h"
#include "core/model_state.h"
#include "core/text_parse.h"

namespace
{

// The values of the file and the range each may take.
struct value_range {
    const char* what;
    double lo, hi;
};
const value_range value_ranges[] = {
    {"NUMPT count", 0.0, 1e6},  {"NRPDS count", 0.0, 1e9},   {"node", 1.0, 1e9},    {"link", 1.0, 1e9},
    {"discharge", -1e30, 1e30}, {"concentration", 0.0, 1e30}, {"year", 0.0, 9999.0}, {"month", 1.0, 12.0},
    {"day", 1.0, 31.0},         {"hour", 0.0, 24.0},          {"minute", 0.0, 59.0},
};

const value_range& range_of(const char* what)
{
    for (const value_range& r : value_ranges)
        if (std::strcmp(r.what, what) == 0)
            return r;
    return value_ranges[4];
}

chan_source_item refuse(model_state& s, const char* what, const char* where, const char* word,
                        const char* why)
{
    std::printf("Error in the channel point input file %s, %s: the %s \"%s\" %s.\n",
                s.chan_point_file.name.c_str(), where, what, word, why);
    chan_stop();
    return chan_source_item::refused;
}

// Reads the next number item into v (checked against its range).
chan_source_item number(model_state& s, const char* what, const char* where, double& v, bool whole)
{
    char word[64];
    if (std::fscanf(s.chan_point_file.fp, "%63s", word) != 1)
        return chan_source_item::eof;
    num_status st;
    if (whole) {
        int i = 0;
        st = parse_int_strict(word, i);
        v = i;
    } else {
        st = parse_double_strict(word, v);
    }
    if (st != num_status::ok)
        return refuse(s, what, where, word, num_status_text(st));
    const value_range& r = range_of(what);
    if (v < r.lo || v > r.hi) {
        char why[96];
        std::snprintf(why, sizeof why, "lies outside %g to %g", r.lo, r.hi);
        return refuse(s, what, where, word, why);
    }
    return chan_source_item::ok;
}

} // namespace

chan_source_item chan_source_find(model_state& s, const char* keyword, int& budget, bool numbers_are_data)
{
    char word[8];
    while (budget > 0) {
        if (std::fscanf(s.chan_point_file.fp, "%5s", word) != 1)
            return chan_source_item::eof;
        --budget;
        if (strncasecmp(word, keyword, 5) == 0)
            return chan_source_item::ok;
        double v = 0.0;
        if (numbers_are_data && parse_double_strict(word, v) == num_status::ok) {
            std::string card(keyword);
            for (char& c : card)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            std::printf("Error in the channel point input file %s: the number \"%s\" stands where the next %s card "
                        "belongs (does a line above hold more values than its layout takes?).\n",
                        s.chan_point_file.name.c_str(), word, card.c_str());
            chan_stop();
            return chan_source_item::refused;
        }
    }
    return chan_source_item::refused;
}

chan_source_item chan_source_int(model_state& s, const char* what, const char* where, int& out)
{
    double v = 0.0;
    const chan_source_item r = number(s, what, where, v, true);
    if (r == chan_source_item::ok)
        out = static_cast<int>(v);
    return r;
}

chan_source_item chan_source_real(model_state& s, const char* what, const char* where, double& out)
{
    return number(s, what, where, out, false);
}

int chan_source_date_read(model_state& s, const char* where)
{
    int* d = s.chan_point_date;
    char word[8];
    const bool got_word = std::fscanf(s.chan_point_file.fp, "%5s", word) == 1;
    if (got_word && strncasecmp(word, "input", 5) != 0) {
        refuse(s, "record keyword", where, word, "is not INPUT");
        return 0;
    }
    static const char* const fields[] = {"year", "month", "day", "hour", "minute"};
    int read[5] = {d[0], d[1], d[2], d[3], d[4]};
    chan_source_item r = got_word ? chan_source_item::ok : chan_source_item::eof;
    for (int k = 0; k < 5 && r == chan_source_item::ok; ++k)
        r = chan_source_int(s, fields[k], where, read[k]);
    if (r == chan_source_item::refused)
        return 0;
    if (r == chan_source_item::eof) {
        chan_source_last_date_line(read);
        return -1;
    }
    if (read[0] < 100)
        read[0] += 1900;
    if (!calendar_date_ok(read[0], read[1], read[2])) {
        char text[64];
        std::snprintf(text, sizeof text, "%d-%02d-%02d", read[0], read[1], read[2]);
        refuse(s, "date", where, text, "is not a calendar date");
        return 0;
    }
    for (int k = 0; k < 5; ++k)
        d[k] = read[k];
    return 1;
}

int chan_source_line(model_state& s)
{
    std::FILE* fp = s.chan_point_file.fp;
    const long here = std::ftell(fp);
    if (here < 0)
        return 0;
    std::rewind(fp);
    int line = 1;
    for (long k = 0; k < here; ++k)
        if (std::fgetc(fp) == '\n')
            ++line;
    std::fseek(fp, here, SEEK_SET);
    return line;
}

void chan_source_last_date_line(const int* d)
{
    std::printf("\n last year %d last month %d last day %d last hour %d last minute %d \n", d[0], d[1], d[2],
                d[3], d[4]);
}
