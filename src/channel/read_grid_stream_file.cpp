// The grid-stream file: for every grid cell the channel crosses, the
// link/node entries lying in it and the share of the cell each takes.
#include <algorithm>
#include <cstdio>
#include <string>

#include "channel/chan_file.h"
#include "channel/channel_input.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "core/text_parse.h"
#include "input/reader_echo.h"

namespace
{

bool refuse_extra(const chan_file& f, const char* what, int count)
{
    std::printf("Error in the grid-stream file %s, line %d: %s (%d announced).\n", f.path.c_str(), f.line_no,
                what, count);
    chan_stop();
    return false;
}

bool read_counts(model_state& s, chan_file& f)
{
    std::string_view rest;
    const chan_card_def* d = chan_next_line(f) ? chan_card_lookup(f.line) : nullptr;
    rest = f.line;
    if (!d || d->card != chan_card::streamcells) {
        std::printf("The second card in the grid-stream file must be STREAMCELLS\n");
        std::printf("File format error, program terminating.\n");
        chan_stop();
        return false;
    }
    int n = 0;
    if (!chan_take_int(f, *d, rest, 1, n))
        return false;
    if (n < 1) {
        std::printf("The number of STREAMCELLS in the grid-stream (.gst) file\n");
        std::printf("must be greater than 0.  File format error, program terminating\n");
        chan_stop();
        return false;
    }
    if (n > std::max(s.rows, 1) * std::max(s.cols, 1))
        return refuse_extra(f, "STREAMCELLS exceeds the number of grid cells", n);
    s.gst_ncells = n;
    s.gst_ncellsingrid.assign(n, 0);
    int cell = 0;
    while ((d = chan_next_card(f, rest))) {
        if (d->card != chan_card::numnodes)
            continue;
        if (++cell > n)
            return refuse_extra(f, "more NUMNODES cards than STREAMCELLS", n);
        if (!chan_take_int(f, *d, rest, 1, s.gst_ncellsingrid[cell]))
            return false;
        s.gst_max_entries = std::max(s.gst_max_entries, s.gst_ncellsingrid[cell]);
    }
    return true;
}

bool read_entries(model_state& s, chan_file& f)
{
    chan_rewind(f);
    int cell = 0, entry = 0, gnum = 0;
    std::string_view rest;
    while (const chan_card_def* d = chan_next_card(f, rest)) {
        if (d->card == chan_card::cellij) {
            int row = 0, col = 0;
            if (++cell > s.gst_ncells)
                return refuse_extra(f, "more CELLIJ cards than STREAMCELLS", s.gst_ncells);
            if (!chan_take_int(f, *d, rest, 1, row) || !chan_take_int(f, *d, rest, 2, col))
                return false;
            gnum = s.mask[row][col];
            entry = 1;
        } else if (d->card == chan_card::linknode) {
            if (cell < 1 || entry > s.gst_ncellsingrid[cell])
                return refuse_extra(f, "more LINKNODE cards in the stream cell than its NUMNODES",
                                    cell < 1 ? 0 : s.gst_ncellsingrid[cell]);
            int link = 0, node = 0;
            double share = 0.0;
            if (!chan_take_int(f, *d, rest, 1, link))
                return false;
            f.link = link;
            if (!chan_take_int(f, *d, rest, 2, node) || !chan_take_real(f, *d, rest, 3, share))
                return false;
            if (node > s.nx1[link]) {
                std::printf("Error in the grid-stream file %s, line %d: LINKNODE %d %d names node %d of link "
                            "%d, which "
                            "has %d node points.\n",
                            f.path.c_str(), f.line_no, link, node, node, link, s.nx1[link]);
                chan_stop();
                return false;
            }
            s.gst_link[cell][entry] = link;
            s.gst_node[cell][entry] = node;
            s.gst_pct[cell][entry] = share;
            s.gst_gnum[cell][entry] = gnum;
            ++entry;
        }
    }
    return true;
}

} // namespace

bool read_grid_stream_file(model_state& s)
{
    chan_file f(s.stream_cell_file, s.stream_cell_name, "grid-stream");
    f.links = s.num_links;
    f.max_nodes = s.max_nodes;
    f.rows = s.rows;
    f.cols = s.cols;
    std::string token;
    if (chan_next_line(f)) {
        std::string_view first = f.line;
        pop_token(first, token);
    }
    if (token.compare(0, 14, "GRIDSTREAMFILE") != 0) {
        std::printf("Error: the grid-stream file %s does not begin with GRIDSTREAMFILE.\n", f.path.c_str());
        chan_stop();
        return false;
    }
    if (!read_counts(s, f))
        return false;
    const int n = s.gst_ncells, m = std::max(s.gst_max_entries, 1);
    for (imat* a : {&s.gst_link, &s.gst_node, &s.gst_gnum})
        a->assign(n, m, 0);
    for (dmat* a : {&s.gst_pct, &s.gst_sac_weight, &s.gst_Vlat})
        a->assign(n, m, 0.0);
    if (!read_entries(s, f))
        return false;
    reader_echo(s, echo_rule::normal, "Finished reading non-orthogonal channel information from gst file.\n");
    return true;
}
