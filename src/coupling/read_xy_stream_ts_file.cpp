// Reads the stream boundary time-series file: one block per point, opened
// by TORVA_TS and closed by END_TS, giving the point's position, its link
// and node and the name of its series among those already loaded.
#include <cstdio>
#include <string_view>

#include "core/error_state.h"
#include "core/text_parse.h"
#include "coupling/coupling_services.h"
#include "coupling/xy_file_lines.h"

namespace
{

bool first_word_is(std::string_view line, const char* word)
{
    return same_first_word(line, word) != 0;
}

void refuse(const std::string& path, int line_no, const std::string& what)
{
    std::printf("Error: line %d of the stream xy boundary time series file %s: %s.\n", line_no, path.c_str(),
                what.c_str());
    error_set(err_stop);
    report_error(error_state);
}

// Reads exactly the two numbers after the line's first word.
template <class T> bool two_values(std::string_view line, T& a, T& b, const std::string& path, int line_no)
{
    std::string word;
    pop_token(line, word);
    const std::string keyword = word;
    T* dest[2] = {&a, &b};
    for (int k = 0; k < 2; ++k) {
        const num_status st = xy_pop_strict(line, *dest[k]);
        if (st != num_status::ok) {
            refuse(path, line_no, "value " + std::to_string(k + 1) + " of " + keyword + " " + num_status_text(st));
            return false;
        }
    }
    if (pop_token(line, word)) {
        refuse(path, line_no, keyword + " takes two values; \"" + printable(word) + "\" follows them");
        return false;
    }
    return true;
}

// What a block gave, to refuse a block that leaves its point unplaced or
// without a series.
struct block_parts {
    int opened_at = 0;
    bool place = false;
    bool series = false;
};

} // namespace

void read_xy_stream_ts_file(xy_input& in, const std::string& path)
{
    static const xy_file_kind file_kind{
        "TORVA_XY_ST_BDY_TS", true, "Error: unable to open stream xy boundary input file.\n",
        "Error: incorrectly formatted header for stream xy time series boundary input file.\n", ""};
    file_rec rec;
    if (!xy_open_header(rec, path, file_kind))
        return;
    std::string line;
    int blocks = 0;
    while (read_line_rec(line, rec))
        if (first_word_is(line, "TORVA_TS"))
            ++blocks;
    if (blocks == 0) {
        std::printf("Error: the stream xy boundary time series file %s holds no TORVA_TS block; the run cannot "
                    "go on without the boundary it gives.\n",
                    path.c_str());
        error_set(err_stop);
        report_error(error_state);
        return;
    }
    std::rewind(rec.fp);
    rec.line_no = 0;
    read_line_rec(line, rec); // the header
    const int base = in.num_st_points;
    xy_stream_point_array_grow(in.stpts, blocks);
    int current = base - 1; // no block open yet
    bool open = false;
    block_parts parts;
    while (read_line_rec(line, rec)) {
        const int line_no = rec.line_no;
        if (first_word_is(line, "TORVA_TS")) {
            if (open) {
                refuse(path, line_no, "TORVA_TS opens a block before the block of line " +
                                          std::to_string(parts.opened_at) + " is closed by END_TS");
                return;
            }
            open = true;
            ++current;
            parts = block_parts();
            parts.opened_at = line_no;
            continue;
        }
        const bool xy = first_word_is(line, "XY");
        const bool linknode = first_word_is(line, "LINKNODE");
        const bool series = first_word_is(line, "TIMESERIES");
        const bool end = first_word_is(line, "END_TS");
        if (!open) {
            if (xy || linknode || series || end) {
                std::string_view v = line;
                std::string word;
                pop_token(v, word);
                refuse(path, line_no, word + " stands outside a block (TORVA_TS opens one)");
                return;
            }
            continue;
        }
        xy_stream_point& p = in.stpts[current];
        if (xy) {
            if (!two_values(line, p.x, p.y, path, line_no))
                return;
            parts.place = true;
        } else if (linknode) {
            if (!two_values(line, p.link, p.node, path, line_no))
                return;
            p.explicit_point = 1;
            parts.place = true;
        } else if (series) {
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
                refuse(path, line_no, name.empty() ? std::string("TIMESERIES names no series")
                                                   : "no series loaded so far is named " + name);
                return;
            }
            parts.series = true;
        } else if (end) {
            if (!parts.place || !parts.series) {
                refuse(path, line_no,
                       "the block of line " + std::to_string(parts.opened_at) + " gives " +
                           (parts.place ? "no TIMESERIES" : "neither XY nor LINKNODE for its point"));
                return;
            }
            open = false;
        }
    }
    if (open) {
        refuse(path, rec.line_no,
               "the file ends inside the block of line " + std::to_string(parts.opened_at) + " (END_TS closes it)");
        return;
    }
    in.num_st_points += blocks;
}
