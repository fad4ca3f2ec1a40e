// The grid-stream file: for every grid cell the channel crosses, the
// link/node entries lying in it and the share of the cell each takes.
// STREAMCELLS stream cells follow, each a CELLIJ card, its NUMNODES card and
// that many LINKNODE cards; a file cut short, a cell given twice or a count
// beyond what the file or the network holds is refused.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>

#include "channel/chan_file.h"
#include "channel/channel_input.h"
#include "core/check_count.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "core/text_parse.h"
#include "input/reader_echo.h"

namespace
{

// Entries of the [stream cell][entry] tables.
constexpr double max_gst_entries = 1e7;

bool read_counts(model_state& s, chan_file& f)
{
    std::string_view rest;
    const chan_card_def* d = chan_next_line(f) ? chan_card_lookup(f.line) : nullptr;
    rest = f.line;
    if (!d || d->card != chan_card::streamcells) {
        std::printf("The second card in the grid-stream file must be STREAMCELLS\n");
        std::printf("File format error, program terminating.\n");
        return chan_fail(f, nullptr, "the second card must be STREAMCELLS");
    }
    int n = 0;
    if (!chan_take_int(f, *d, rest, 1, n))
        return false;
    // Each stream cell takes a CELLIJ and a NUMNODES card ("CELLIJ 1 1",
    // "NUMNODES 1").
    const count_field cells{"STREAMCELLS", 1, static_cast<long long>(s.rows) * s.cols, 22};
    if (n < 1) {
        std::printf("The number of STREAMCELLS in the grid-stream (.gst) file\n");
        std::printf("must be greater than 0.  File format error, program terminating\n");
    }
    if (!check_count(n, cells, f.path, f.line_no, f.rec.fp))
        return false;
    s.gst_ncells = n;
    s.gst_ncellsingrid.assign(n, 0);
    // A cell holds at most every node of the network, each entry a LINKNODE
    // card ("LINKNODE 1 1 1").
    long long nodes = 0;
    for (int l = 1; l <= s.num_links; ++l)
        nodes += std::max(s.nx1[l], 0);
    const count_field entries{"NUMNODES", 0, nodes, 15};
    int cell = 0;
    while ((d = chan_next_card(f, rest))) {
        if (d->card != chan_card::numnodes)
            continue;
        if (++cell > n)
            return chan_fail(f, d, text_format("more NUMNODES cards than STREAMCELLS (%d announced)", n));
        int& k = s.gst_ncellsingrid[cell];
        if (!chan_take_int(f, *d, rest, 1, k) || !check_count(k, entries, f.path, f.line_no, f.rec.fp))
            return false;
        s.gst_max_entries = std::max(s.gst_max_entries, k);
    }
    if (static_cast<double>(n) * std::max(s.gst_max_entries, 1) > max_gst_entries)
        return chan_fail(f, nullptr,
                         text_format("its table of %d stream cells by %d entries is more than the %.0f entries "
                                     "it may hold",
                                     n, s.gst_max_entries, max_gst_entries));
    return true;
}

// Stream cell `cell` ends: it must hold the entries its NUMNODES announced.
bool cell_complete(const model_state& s, chan_file& f, int cell, int entries, int cell_line, bool numnodes_seen)
{
    if (cell < 1)
        return true;
    const int at = f.line_no;
    f.line_no = cell_line;
    bool ok = true;
    if (!numnodes_seen)
        ok = chan_fail(f, nullptr, text_format("stream cell %d has no NUMNODES card after its CELLIJ card", cell));
    else if (entries != s.gst_ncellsingrid[cell])
        ok = chan_fail(f, nullptr,
                       text_format("stream cell %d has %d of the %d LINKNODE cards its NUMNODES card announces", cell,
                                   entries, s.gst_ncellsingrid[cell]));
    f.line_no = at;
    return ok;
}

bool read_entries(model_state& s, chan_file& f)
{
    chan_rewind(f);
    int cell = 0, entry = 0, gnum = 0, cell_line = 0;
    bool numnodes_seen = false;
    std::map<std::pair<int, int>, int> first_line; // line of each (row, column) given
    std::string_view rest;
    while (const chan_card_def* d = chan_next_card(f, rest)) {
        f.link = f.node = 0;
        if (d->card == chan_card::cellij) {
            if (!cell_complete(s, f, cell, entry - 1, cell_line, numnodes_seen))
                return false;
            int row = 0, col = 0;
            if (++cell > s.gst_ncells)
                return chan_fail(f, d, text_format("more CELLIJ cards than STREAMCELLS (%d announced)", s.gst_ncells));
            if (!chan_take_int(f, *d, rest, 1, row) || !chan_take_int(f, *d, rest, 2, col))
                return false;
            const auto seen = first_line.emplace(std::make_pair(row, col), f.line_no);
            if (!seen.second)
                return chan_fail(f, d,
                                 text_format("the cell at row %d, column %d is given twice; its first CELLIJ card "
                                             "is at line %d",
                                             row, col, seen.first->second));
            gnum = s.mask[row][col];
            entry = 1;
            cell_line = f.line_no;
            numnodes_seen = false;
        } else if (d->card == chan_card::numnodes) {
            if (cell < 1 || numnodes_seen)
                return chan_fail(f, d, "every NUMNODES card follows the CELLIJ card of its stream cell");
            numnodes_seen = true;
        } else if (d->card == chan_card::linknode) {
            if (cell < 1 || !numnodes_seen)
                return chan_fail(f, d, "every LINKNODE card follows the CELLIJ and NUMNODES cards of its stream cell");
            if (entry > s.gst_ncellsingrid[cell])
                return chan_fail(f, d,
                                 text_format("more LINKNODE cards in the stream cell than its NUMNODES (%d announced)",
                                             s.gst_ncellsingrid[cell]));
            int link = 0, node = 0;
            double share = 0.0;
            if (!chan_take_int(f, *d, rest, 1, link))
                return false;
            f.link = link;
            if (!chan_take_int(f, *d, rest, 2, node) || !chan_take_real(f, *d, rest, 3, share))
                return false;
            // The exchange reaches the nodes of a routed link (node points
            // less one); a lake or structure link keeps its node points.
            const bool routed = (s.ltype[link] & (4 | 8 | 16)) != 0;
            const int last = routed ? s.nx[link] : s.nx1[link];
            if (node > last)
                return chan_fail(f, d,
                                 text_format("LINKNODE %d %d names node %d of link %d, which has %d %s", link, node,
                                             node, link, last, routed ? "nodes" : "node points"));
            s.gst_link[cell][entry] = link;
            s.gst_node[cell][entry] = node;
            s.gst_pct[cell][entry] = share;
            s.gst_gnum[cell][entry] = gnum;
            ++entry;
        } else if (d->card == chan_card::streamcells && f.line_no > 2) {
            return chan_fail(f, d, "the file has one STREAMCELLS card, its second line");
        }
    }
    f.link = f.node = 0;
    if (!cell_complete(s, f, cell, entry - 1, cell_line, numnodes_seen))
        return false;
    f.line_no = 0; // the whole file
    if (cell < s.gst_ncells)
        return chan_fail(f, nullptr,
                         text_format("it has %d of the %d stream cells (CELLIJ cards) its STREAMCELLS card "
                                     "announces (is the file cut short?)",
                                     cell, s.gst_ncells));
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
