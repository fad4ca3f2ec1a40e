// Reads the stream boundary time-series file: one block per point, opened
// by TORVA_TS and closed by END_TS, giving the point's position, its link
// and node and the name of its series among those already loaded.
#include <cstdio>
#include <string_view>

#include "core/error_state.h"
#include "core/text_parse.h"
#include "coupling/coupling_services.h"

namespace
{

bool first_word_is(std::string_view line, const char* word)
{
    return same_first_word(line, word) != 0;
}

// Reads the two numbers after the line's first word strictly.
template <class T> bool two_values(std::string_view line, T& a, T& b, const std::string& path, int line_no)
{
    std::string word;
    pop_token(line, word);
    num_status st;
    if constexpr (std::is_same_v<T, int>) {
        st = pop_int_strict(line, a);
        if (st == num_status::ok)
            st = pop_int_strict(line, b);
    } else {
        st = pop_double_strict(line, a);
        if (st == num_status::ok)
            st = pop_double_strict(line, b);
    }
    if (st == num_status::ok)
        return true;
    std::printf("Error: line %d of the stream xy boundary time series file %s: a value %s.\n", line_no,
                path.c_str(), num_status_text(st));
    error_set(err_stop);
    return false;
}

} // namespace

void read_xy_stream_ts_file(xy_input& in, const std::string& path)
{
    file_rec rec;
    if (!file_rec_open(rec, path, "r")) {
        std::printf("Error: unable to open stream xy boundary input file.\n");
        return;
    }
    std::string line;
    if (!read_line_rec(line, rec) || !first_word_is(line, "TORVA_XY_ST_BDY_TS")) {
        std::printf("Error: incorrectly formatted header for stream xy time series boundary input file.\n");
        return;
    }
    int blocks = 0;
    while (read_line_rec(line, rec))
        if (first_word_is(line, "TORVA_TS"))
            ++blocks;
    if (blocks == 0)
        return;
    std::rewind(rec.fp);
    read_line_rec(line, rec); // the header
    const int base = in.num_st_points;
    xy_stream_point_array_grow(in.stpts, blocks);
    int current = base;
    int line_no = 1;
    while (read_line_rec(line, rec) && current < base + blocks) {
        ++line_no;
        xy_stream_point& p = in.stpts[current];
        if (first_word_is(line, "XY")) {
            if (!two_values(line, p.x, p.y, path, line_no))
                return;
        } else if (first_word_is(line, "LINKNODE")) {
            if (!two_values(line, p.link, p.node, path, line_no))
                return;
            p.explicit_point = 1;
        } else if (first_word_is(line, "TIMESERIES")) {
            std::string_view rest = line;
            std::string word, name;
            pop_token(rest, word);
            pop_token(rest, name);
            strip_quotes(name);
            p.series = name.empty() ? nullptr : ts_find(name);
            if (!p.series) {
                std::printf("Error!!! unable to find time series [%s] for the xy boundary stream time series "
                            "file.\n",
                            name.c_str());
                std::printf(
                    "         Perhaps the related TIME_SERIES_FILE card in the project file is below the "
                    "XYBDYINPUT_STTIMESERIES card?\n");
            }
        } else if (first_word_is(line, "END_TS")) {
            ++current;
        }
    }
    in.num_st_points += blocks;
}
