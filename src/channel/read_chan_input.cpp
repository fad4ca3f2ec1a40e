// The channel input file, read in passes: the global cards, a counting pass
// that sizes the network, the CONNECT pass, the main pass over the link
// blocks, the break-point sections and, at the end, the lakes. Where a pass
// starts decides the layout rules of the file (global cards first, then all
// CONNECT cards, then the link blocks).
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "channel/chan_file.h"
#include "channel/channel_input.h"
#include "core/check_count.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "core/text_parse.h"
#include "input/elev_series.h"
#include "input/reader_echo.h"
#include "input/time_series.h"

namespace
{

constexpr int max_upstream_links = 20;
constexpr int max_table_levels = 30000;
// Entries of any one table of the network ([node][link] arrays, lake cells
// and rating rows, section points, depth tables).
constexpr double max_table_entries = 1e7;

// The counts of the file, each with its range and the fewest characters its
// items take after it: a CONNECT card per link ("CONNECT 1 0 0"), a NODE
// card per node point, an X1 card per pair, a row of three numbers per
// rating point, a row and a column per lake cell.
const count_field links_count{"LINKS", 1, 1000000, 14};
const count_field maxnodes_count{"MAXNODES", 1, 1000000, 7};
const count_field nodes_count{"NODES", 1, 1000000, 7};
const count_field npairs_count{"NPAIRS", 1, 1000000, 7};
const count_field numstructs_count{"NUMSTRUCTS", 0, 1000000, 15};
const count_field numrate_count{"NUMRATE", 2, 1000000, 6};

const char* const struct_type_names[] = {"weir",         "sag_weir",     "round_culvert",     "oval_culvert",
                                         "rect_culvert", "rating_curve", "scheduled_release", "rule_curve"};

// Type 1..8 of a STRUCTTYPE word (the first name the lower-cased word begins
// with), 0 for none.
int struct_type_of(std::string word)
{
    for (char& c : word)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (int i = 0; i < 8; ++i) {
        const std::string name = struct_type_names[i];
        if (word.compare(0, name.size(), name) == 0)
            return i + 1;
    }
    return 0;
}

bool has(int type, int flag)
{
    return (type & flag) != 0;
}

// Everything one reading keeps besides the state.
struct chan_reader {
    model_state& s;
    chan_file f;
    int mlake = 0;
    // Counts of the counting pass.
    int connects = 0, max_up = 0;
    int trap = 0, trap_sub = 0, trap_ero = 0;
    int bp = 0, bp_sub = 0, bp_ero = 0;
    int lakes = 0, struct_links = 0, struct_elements = 0;
    long long numstructs_sum = 0;
    int first_link_line = 0, late_connect_line = 0; // the first CONNECT card after a LINK card
    int gw_links = 0, max_numrate = 0, max_numpts = 0, pointsources = 0, pumps = 0;
    int max_xsec = 0;
    // Per link: Manning n (0 without a card), bed conductivity and thickness,
    // sections counted, the nodes of the sections.
    std::vector<double> n_link, krb_link, mrb_link;
    std::vector<int> xsec_count;
    std::vector<std::vector<int>> xsec_nodes;
    imat got_xsec;
    // Per link: the lines of its LINK, CONNECT, NODES, DX, MANNINGS_N and
    // NUMSTRUCTS cards (0 without one), its NUMSTRUCTS value and the
    // elements its STRUCTTYPE cards start.
    std::vector<int> link_line, connect_line, kind_line, nodes_line, dx_line, n_line, numstructs_line;
    std::vector<int> numstructs, elements;
    int max_up_line = 0;
    imat elev_line; // [node point][link]: line of the ELEV card, 0 without
    std::vector<int> initwse_line; // per lake

    explicit chan_reader(model_state& st)
        : s(st), f(st.chan_input_file, st.channel_input_name, "channel input")
    {
    }
};

// A card the counting pass did not see (it stands above the global cards)
// would not fit the arrays sized by that pass.
bool layout_error(const chan_reader& r, const char* card)
{
    std::printf(
        "Error in the channel input file %s, line %d: this %s card does not fit the network counted\n"
        "below the global cards (ALPHA, BETA, THETA, LINKS, MAXNODES); every link block must follow them.\n",
        r.f.path.c_str(), r.f.line_no, card);
    chan_stop();
    return false;
}

// A table of rows x cols entries sized from the file's counts must stay
// within the stated limit.
bool table_fits(const chan_reader& r, const char* table, double rows, double cols)
{
    if (rows * cols <= max_table_entries)
        return true;
    std::printf("Error in the channel input file %s: the %s table of %.0f by %.0f entries is more than\n"
                "the %.0f entries a table of the channel network may hold.\n",
                r.f.path.c_str(), table, rows, cols, max_table_entries);
    chan_stop();
    return false;
}

// ---- global cards -------------------------------------------------------------

bool read_header(chan_reader& r)
{
    std::string token;
    if (chan_next_line(r.f)) {
        std::string_view rest = r.f.line;
        pop_token(rest, token);
    }
    for (char& c : token)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (token.compare(0, 10, "torva_chan") == 0)
        return true;
    std::printf("Error: the channel input file %s does not begin with TORVA_CHAN.\n", r.f.path.c_str());
    chan_stop();
    return false;
}

bool read_globals(chan_reader& r)
{
    model_state& s = r.s;
    const char* const names[] = {"ALPHA", "BETA", "THETA", "LINKS", "MAXNODES"};
    bool given[5] = {};
    int found = 0;
    int stray_line = 0; // the first card of another kind above the fifth global card
    const chan_card_def* stray = nullptr;
    std::string_view rest;
    while (found < 5) {
        const chan_card_def* d = chan_next_card(r.f, rest);
        if (!d) {
            std::printf("Premature end-of-file in the channel input file.\n");
            std::printf("The channel input file does not contain all the required parameter cards.\n");
            std::printf("These include: ALPHA, BETA, THETA, DX, LINKS, and MAXNODES.\n");
            std::printf("Repair your channel input file and try again.  These cards must appear at\n");
            std::printf("The beginning of the file before and COORD or LINK cards.\n");
            std::printf("Program terminated in read_chan_input.\n");
            std::string missing;
            for (int k = 0; k < 5; ++k)
                if (!given[k])
                    missing += std::string(missing.empty() ? "" : ", ") + names[k];
            r.f.line_no = 0;
            return chan_fail(r.f, nullptr,
                             text_format("it ends after %d of the five global cards; %s %s missing", found,
                                         missing.c_str(), missing.find(',') == std::string::npos ? "is" : "are"));
        }
        bool ok = true;
        switch (d->card) {
        case chan_card::alpha:
            ok = chan_take_real(r.f, *d, rest, 1, s.alpha);
            given[0] = true;
            break;
        case chan_card::beta:
            ok = chan_take_real(r.f, *d, rest, 1, s.beta);
            given[1] = true;
            break;
        case chan_card::theta:
            ok = chan_take_real(r.f, *d, rest, 1, s.theta);
            given[2] = true;
            break;
        case chan_card::links:
            ok = chan_take_int(r.f, *d, rest, 1, s.num_links);
            given[3] = true;
            break;
        case chan_card::maxnodes:
            ok = chan_take_int(r.f, *d, rest, 1, s.max_nodes);
            given[4] = true;
            break;
        default:
            if (d->card != chan_card::ignored && !stray) {
                stray = d;
                stray_line = r.f.line_no;
            }
            continue;
        }
        if (!ok)
            return false;
        if (d->card == chan_card::links && !check_count(s.num_links, links_count, r.f.path, r.f.line_no, r.f.rec.fp))
            return false;
        if (d->card == chan_card::maxnodes &&
            !check_count(s.max_nodes, maxnodes_count, r.f.path, r.f.line_no, r.f.rec.fp))
            return false;
        ++found;
    }
    if (stray) {
        // No pass that sizes the network sees a card above the global cards.
        r.f.line_no = stray_line;
        return chan_fail(r.f, stray,
                         "the global cards ALPHA, BETA, THETA, LINKS and MAXNODES must come before every other "
                         "card");
    }
    if (!given[3] || !given[4])
        return chan_fail(r.f, nullptr,
                         text_format("the five global cards above this line give no %s card",
                                     given[3] ? "MAXNODES" : "LINKS"));
    if (!table_fits(r, "node", s.max_nodes + 2.0, s.num_links + 1.0))
        return false;
    r.f.links = s.num_links;
    r.f.max_nodes = s.max_nodes;
    r.f.rows = s.rows;
    r.f.cols = s.cols;
    return true;
}

void alloc_link_arrays(chan_reader& r)
{
    model_state& s = r.s;
    const int L = s.num_links;
    s.node_dim = s.max_nodes + 1;
    s.link_dim = L + 1;
    s.link_node_cells = s.link_dim * s.node_dim;
    for (ivec* v : {&s.ltype, &s.ldex, &s.ndep, &s.dslink, &s.nx, &s.nx1, &s.og_nx1, &s.bplink})
        v->assign(L, 0);
    s.link_dx.assign(L, 0.0);
    s.inv_mannings_n.assign(L, 0.0);
    r.n_link.assign(L + 1, 0.0);
    r.krb_link.assign(L + 1, 0.0);
    r.mrb_link.assign(L + 1, 0.0);
    r.xsec_count.assign(L + 1, 0);
    r.xsec_nodes.assign(L + 1, {});
    for (std::vector<int>* v : {&r.link_line, &r.connect_line, &r.kind_line, &r.nodes_line, &r.dx_line, &r.n_line,
                                &r.numstructs_line, &r.numstructs, &r.elements})
        v->assign(static_cast<size_t>(L) + 1, 0);
    s.table_num.assign(s.node_dim, s.link_dim, 0);
}

// ---- counting pass ----------------------------------------------------------

void count_kind(chan_reader& r, int link, int kind)
{
    model_state& s = r.s;
    s.ltype[link] = kind;
    s.ldex[link] = link;
    if (kind <= 7) {
        ++r.trap;
        if (kind == 5 || kind == 7)
            ++r.trap_sub;
        if (kind == 6 || kind == 7)
            ++r.trap_ero;
    } else {
        ++r.bp;
        if (kind == 9 || kind == 11)
            ++r.bp_sub;
        if (kind == 10 || kind == 11)
            s.bplink[link] = ++r.bp_ero;
    }
}

// Cards of a link block: they need the LINK card of their block before them.
bool block_card(chan_card c)
{
    switch (c) {
    case chan_card::alpha:
    case chan_card::beta:
    case chan_card::theta:
    case chan_card::links:
    case chan_card::maxnodes:
    case chan_card::connect:
    case chan_card::link:
    case chan_card::ignored:
    case chan_card::streamcells:
    case chan_card::cellij:
    case chan_card::numnodes:
    case chan_card::linknode:
        return false;
    default:
        return true;
    }
}

bool lake_card(chan_card c)
{
    return c == chan_card::mlake || c == chan_card::static_lake || c == chan_card::numrate ||
           c == chan_card::minwse || c == chan_card::initwse || c == chan_card::maxwse || c == chan_card::numpts;
}

bool structure_card(chan_card c)
{
    return c == chan_card::numstructs || c == chan_card::structtype || c == chan_card::struct_value;
}

// The refusal of chan_fail at another line of the file (0: no line).
bool fail_at(chan_reader& r, int line, int link, const std::string& cause)
{
    const int here = r.f.line_no, here_link = r.f.link, here_node = r.f.node;
    r.f.line_no = line;
    r.f.link = link;
    r.f.node = 0;
    chan_fail(r.f, nullptr, cause);
    r.f.line_no = here;
    r.f.link = here_link;
    r.f.node = here_node;
    return false;
}

// Where a card may stand: block cards after a LINK card, lake cards in a
// lake link's block, structure cards in a structure link's block and the
// element values after a STRUCTTYPE card.
bool card_in_place(chan_reader& r, const chan_card_def& d)
{
    const model_state& s = r.s;
    const int link = r.f.link;
    if (!block_card(d.card))
        return true;
    if (link < 1)
        return chan_fail(r.f, &d, "it stands before the first LINK card; it belongs to a link block");
    if (lake_card(d.card) && !has(s.ltype[link], 32))
        return chan_fail(r.f, &d,
                         text_format("link %d is not a lake link; the lake cards follow the LAKE card of "
                                     "their block",
                                     link));
    if (structure_card(d.card) && !has(s.ltype[link], 64))
        return chan_fail(r.f, &d,
                         text_format("link %d is not a structure link; the structure cards follow the "
                                     "STRUCTURE card of their block",
                                     link));
    if (d.card == chan_card::struct_value && r.elements[static_cast<size_t>(link)] == 0)
        return chan_fail(r.f, &d, "it comes before the first STRUCTTYPE card of its link");
    return true;
}

bool counting_card(chan_reader& r, const chan_card_def& d, std::string_view& rest)
{
    model_state& s = r.s;
    chan_file& f = r.f;
    int& link = f.link;
    const size_t li = static_cast<size_t>(std::max(link, 0));
    int v = 0;
    double x = 0.0;
    if (!card_in_place(r, d))
        return false;
    switch (d.card) {
    case chan_card::dx:
        r.dx_line[li] = f.line_no;
        return chan_take_real(f, d, rest, 1, s.link_dx[link]);
    case chan_card::link: {
        if (!chan_take_int(f, d, rest, 1, link))
            return false;
        f.node = 0;
        const size_t l = static_cast<size_t>(link);
        if (r.link_line[l])
            return chan_fail(f, &d, text_format("link %d has a second block; its first LINK card is at line %d",
                                                link, r.link_line[l]));
        r.link_line[l] = f.line_no;
        if (!r.first_link_line)
            r.first_link_line = f.line_no;
        return true;
    }
    case chan_card::nodes:
        r.nodes_line[li] = f.line_no;
        return chan_take_int(f, d, rest, 1, s.nx1[link]);
    case chan_card::node:
        return chan_take_int(f, d, rest, 1, f.node);
    case chan_card::connect: {
        int l = 0, down = 0;
        if (!chan_take_int(f, d, rest, 1, l) || !chan_take_int(f, d, rest, 2, down) ||
            !chan_take_int(f, d, rest, 3, v))
            return false;
        int& seen = r.connect_line[static_cast<size_t>(l)];
        if (seen)
            return chan_fail(f, &d, text_format("a second CONNECT card for link %d; the first is at line %d", l,
                                                seen));
        seen = f.line_no;
        if (r.first_link_line && !r.late_connect_line)
            r.late_connect_line = f.line_no;
        ++r.connects;
        if (v > r.max_up) {
            r.max_up = v;
            r.max_up_line = f.line_no;
        }
        return true;
    }
    case chan_card::kind:
    case chan_card::structure:
    case chan_card::lake: {
        int& seen = r.kind_line[li];
        if (seen)
            return chan_fail(f, &d, text_format("link %d has a second kind card; its first is at line %d", link,
                                                seen));
        seen = f.line_no;
        if (d.card == chan_card::kind) {
            count_kind(r, link, d.arg);
        } else if (d.card == chan_card::structure) {
            ++r.struct_links;
            s.ltype[link] = 64;
            s.ldex[link] = link;
            s.nx1[link] = 2;
        } else {
            s.ltype[link] = 32;
            s.ldex[link] = ++r.lakes;
            s.chan_lakes = 1;
        }
        return true;
    }
    case chan_card::erodible:
        if (!has(s.ltype[link], 2)) {
            s.ltype[link] += 2;
            if (has(s.ltype[link], 4))
                ++r.trap_ero;
            if (has(s.ltype[link], 8))
                s.bplink[link] = ++r.bp_ero;
        }
        return true;
    case chan_card::subsurface:
        if (!has(s.ltype[link], 1)) {
            s.ltype[link] += 1;
            if (has(s.ltype[link], 4))
                ++r.trap_sub;
            if (has(s.ltype[link], 8))
                ++r.bp_sub;
        }
        return true;
    case chan_card::overbank:
        s.ltype[link] |= 256;
        s.chan_overbank = 1;
        return true;
    case chan_card::backwater:
        s.ltype[link] |= 512;
        return true;
    case chan_card::mannings_n:
        if (!chan_take_real(f, d, rest, 1, x))
            return false;
        r.n_link[li] = x;
        r.n_line[li] = f.line_no;
        if (x < 1e-8) {
            std::printf("Error encountered when reading the channel input file, link %d:\n", link);
            std::printf("    Manning's Roughness is 0.000\n");
            return chan_fail(f, &d, text_format("the roughness %g must be at least 1e-8", x));
        }
        return true;
    case chan_card::gw_bed_conductivity:
        ++r.gw_links;
        return chan_take_real(f, d, rest, 1, r.krb_link[li]);
    case chan_card::gw_bed_thickness:
        return chan_take_real(f, d, rest, 1, r.mrb_link[li]);
    case chan_card::npairs:
        if (!chan_take_int(f, d, rest, 1, v) || !check_count(v, npairs_count, f.path, f.line_no, f.rec.fp))
            return false;
        s.max_npairs = std::max(s.max_npairs, v);
        if (has(s.ltype[link], 8))
            ++r.xsec_count[li];
        return true;
    case chan_card::num_interp:
        if (!chan_take_int(f, d, rest, 1, v))
            return false;
        s.max_interp_points = std::max(s.max_interp_points, v);
        return true;
    case chan_card::numstructs:
        if (r.numstructs_line[li])
            return chan_fail(f, &d, text_format("link %d has a second NUMSTRUCTS card; its first is at line %d",
                                                link, r.numstructs_line[li]));
        if (!chan_take_int(f, d, rest, 1, v) || !check_count(v, numstructs_count, f.path, f.line_no, f.rec.fp))
            return false;
        r.numstructs_line[li] = f.line_no;
        r.numstructs[li] = v;
        r.numstructs_sum += v;
        return true;
    case chan_card::structtype: {
        std::string word;
        pop_token(rest, word);
        if (!struct_type_of(word))
            return chan_fail(f, &d,
                             "\"" + word +
                                 "\" is not a structure type (WEIR, SAG_WEIR, ROUND_CULVERT, OVAL_CULVERT, "
                                 "RECT_CULVERT, RATING_CURVE, SCHEDULED_RELEASE or RULE_CURVE)");
        ++r.struct_elements;
        ++r.elements[li];
        return true;
    }
    case chan_card::mlake:
        r.mlake = 1;
        return true;
    case chan_card::numrate:
        if (!chan_take_int(f, d, rest, 1, v) || !check_count(v, numrate_count, f.path, f.line_no, f.rec.fp))
            return false;
        r.max_numrate = std::max(r.max_numrate, v);
        return true;
    case chan_card::numpts: {
        const count_field cells{"NUMPTS", 0, static_cast<long long>(s.rows) * s.cols, 4};
        if (!chan_take_int(f, d, rest, 1, v) || !check_count(v, cells, f.path, f.line_no, f.rec.fp))
            return false;
        r.max_numpts = std::max(r.max_numpts, v);
        return true;
    }
    case chan_card::pointsource:
        ++r.pointsources;
        return true;
    case chan_card::pumpto:
        ++r.pumps;
        return true;
    default:
        return true;
    }
}

// What each link's block must give: a kind, and for a routed link its node
// points, spacing and roughness; a structure link its elements.
bool check_link_blocks(chan_reader& r)
{
    model_state& s = r.s;
    for (int l = 1; l <= s.num_links; ++l) {
        const size_t li = static_cast<size_t>(l);
        const int line = r.link_line[li];
        if (!line)
            return fail_at(r, 0, l,
                           text_format("link %d has no block (no LINK %d card after the CONNECT cards; is the "
                                       "file cut short?)",
                                       l, l));
        const int type = s.ltype[l];
        if (!has(type, 4 | 8 | 32 | 64))
            return fail_at(r, line, l,
                           "the link has no kind card (TRAPEZOID, BREAKPOINT, LAKE, STRUCTURE or one of "
                           "their variants)");
        if (s.nx1[l] > s.max_nodes)
            return fail_at(r, r.nodes_line[li], l,
                           text_format("the link has %d node points, more than MAXNODES (%d)", s.nx1[l],
                                       s.max_nodes));
        if (has(type, 4 | 8)) {
            if (!r.nodes_line[li])
                return fail_at(r, line, l, "the link has no NODES card");
            if (s.nx1[l] < 2)
                return fail_at(r, r.nodes_line[li], l,
                               text_format("NODES %d: a trapezoidal or break-point link needs at least 2 "
                                           "node points",
                                           s.nx1[l]));
            if (s.link_dx[l] < 1e-4) {
                std::printf("\nYour channel node spacing is %f in link %d\n", s.link_dx[l], l);
                std::printf("You must specify a realistic value.  Program terminated.\n");
                if (!r.dx_line[li])
                    return fail_at(r, line, l, "the link has no DX card");
                return fail_at(r, r.dx_line[li], l,
                               text_format("the node spacing DX %g is below 1e-4 m", s.link_dx[l]));
            }
        }
        if (has(type, 64) && r.elements[li] == 0)
            return fail_at(r, line, l, "the structure link has no STRUCTTYPE card");
        if (has(type, 64) && r.elements[li] != r.numstructs[li] && r.struct_elements == r.numstructs_sum)
            return fail_at(r, r.numstructs_line[li] ? r.numstructs_line[li] : line, l,
                           text_format("NUMSTRUCTS gives %d elements, the link's STRUCTTYPE cards %d",
                                       r.numstructs[li], r.elements[li]));
    }
    // Each link's node points take a NODE card of the file at least.
    chan_rewind(r.f);
    for (int l = 1; l <= s.num_links; ++l) {
        const size_t li = static_cast<size_t>(l);
        if (r.nodes_line[li] && !check_count(s.nx1[l], nodes_count, r.f.path, r.nodes_line[li], r.f.rec.fp))
            return false;
    }
    return true;
}

bool counting_pass(chan_reader& r)
{
    model_state& s = r.s;
    r.f.link = r.f.node = 0;
    std::string_view rest;
    while (const chan_card_def* d = chan_next_card(r.f, rest))
        if (!counting_card(r, *d, rest))
            return false;

    if (r.struct_elements != r.numstructs_sum) {
        std::printf("\nThe sum of NUMSTRUCTS arguments is %lld, while the total number\n", r.numstructs_sum);
        std::printf("of hydraulic structure element cards (e.g. WEIR, ROUND_CULVERT,\n");
        std::printf("etc.) is %d.  This inconstency is intolerable.  Check your channel\n",
                    r.struct_elements);
        std::printf("input file.  Program terminated.\n");
        for (int l = 1; l <= s.num_links; ++l) {
            const size_t li = static_cast<size_t>(l);
            if (r.elements[li] != r.numstructs[li])
                return fail_at(r, r.numstructs_line[li] ? r.numstructs_line[li] : r.link_line[li], l,
                               text_format("NUMSTRUCTS gives %d elements, the link's STRUCTTYPE cards %d",
                                           r.numstructs[li], r.elements[li]));
        }
        chan_stop();
        return false;
    }
    if (r.late_connect_line && r.connects == s.num_links)
        return fail_at(r, r.late_connect_line, 0,
                       text_format("this CONNECT card stands after the first link block (line %d); every "
                                   "CONNECT card must come before it",
                                   r.first_link_line));
    if (r.connects == s.num_links && !check_link_blocks(r))
        return false;
    s.chan_struct_table.assign(static_cast<size_t>(s.link_dim) + 1, link_struct_range{});
    s.chan_structures.assign(static_cast<size_t>(r.struct_elements) + 1, chan_struct_rec{});
    s.num_struct_elements = r.struct_elements;
    s.num_lakes = r.lakes;
    return true;
}

void print_summary(const chan_reader& r)
{
    const model_state& s = r.s;
    std::string t = "\n\nChannel input data:\n";
    t += text_format("  max. number of u.s. dependencies:      %d\n", r.max_up);
    t += text_format("  number of trapezoidal links:           %d\n", r.trap);
    t += text_format("    num w/ subsurface attribute:           %d\n", r.trap_sub);
    t += text_format("    num w/ erodible attribute:             %d\n", r.trap_ero);
    t += text_format("  number of breakpoint links:            %d\n", r.bp);
    t += text_format("    num w/ subsurface attribute:           %d\n", r.bp_sub);
    t += text_format("    num w/ erodible attribute:             %d\n", r.bp_ero);
    t += text_format("    max number of xsec in any bp link:     %d\n", r.max_xsec);
    t += text_format("    max number of xsec pairs:              %d\n", s.max_npairs);
    t += text_format("  number of lake links:                  %d\n", r.lakes);
    t += text_format("  number of hydraulic structure links:   %d\n", r.struct_links);
    t += text_format("    total no. of hydr. structure elements: %d\n", r.struct_elements);
    t += text_format("  number of groundwater links:           %d\n", r.gw_links);
    if (r.trap_sub + r.bp_sub != r.gw_links)
        t += " ===> Error: the number of specified subsurface links does not match the number of subsurface "
             "\nparameters. Check your subsurface links to ensure that they specify the bed concuctivity and "
             "thickness\n";
    reader_echo(s, echo_rule::normal, t);
}

bool check_counts(chan_reader& r)
{
    const model_state& s = r.s;
    if (r.max_up > max_upstream_links) {
        std::printf("Whoa there pardner!  You mean to tell me that you have more than 20\n");
        std::printf("channels flowing into one point?  How can that be?  I reckon that you\n");
        std::printf("or that new-fangled interface your a usin' have made a serious mistake.\n");
        std::printf("I been ridin' these rivers a long time, and I ain't never seen a\n");
        std::printf("junction like that.  Go back and count your CONNECT cards, partner.\n");
        std::printf("Program terminated because the maximum number of upstream dependencies\n");
        std::printf("in the read_chan_input subroutine was equal to %d, which is, frankly, a\n", r.max_up);
        std::printf("reediculous number.  Fifteen yard penalty from the spot of the foul.\n");
        return fail_at(r, r.max_up_line, 0,
                       text_format("this CONNECT card lists %d upstream links; at most %d are accepted", r.max_up,
                                   max_upstream_links));
    }
    if (r.connects != s.num_links) {
        std::printf("Your channel input file contains %d links, and %d CONNECT cards\n", s.num_links,
                    r.connects);
        std::printf("These two numbers must be equal.  Therefore, you have a major \n");
        std::printf("problem with your channel input file.  TORVA cannot proceed.\n");
        std::printf("Fifteen yard penalty from the line of scrimmage.\n");
        std::printf("program terminated.\n");
        for (int l = 1; l <= s.num_links; ++l)
            if (!r.connect_line[static_cast<size_t>(l)])
                return fail_at(r, 0, 0, text_format("link %d has no CONNECT card", l));
        chan_stop();
        return false;
    }
    return true;
}

// ---- break-point sections: where they lie, how many tables ----------------

bool locate_sections(chan_reader& r)
{
    model_state& s = r.s;
    chan_rewind(r.f);
    r.f.link = r.f.node = 0;
    std::string_view rest;
    while (const chan_card_def* d = chan_next_card(r.f, rest)) {
        if (d->card == chan_card::link && !chan_take_int(r.f, *d, rest, 1, r.f.link))
            return false;
        if (d->card == chan_card::node && !chan_take_int(r.f, *d, rest, 1, r.f.node))
            return false;
        if (d->card == chan_card::npairs && r.f.link >= 1 && has(s.ltype[r.f.link], 8))
            r.xsec_nodes[static_cast<size_t>(r.f.link)].push_back(r.f.node);
    }
    int tables = 0;
    for (int l = 1; l <= s.num_links; ++l) {
        if (!has(s.ltype[l], 8))
            continue;
        const std::vector<int>& q = r.xsec_nodes[static_cast<size_t>(l)];
        r.xsec_count[static_cast<size_t>(l)] = static_cast<int>(q.size());
        r.max_xsec = std::max(r.max_xsec, r.xsec_count[static_cast<size_t>(l)]);
        bool ordered = !q.empty();
        for (size_t j = 0; j < q.size(); ++j)
            if (q[j] < 1 || q[j] > s.nx1[l] || (j > 0 && q[j] <= q[j - 1]))
                ordered = false;
        if (!ordered) {
            std::printf(
                "Error in the channel input file %s: the cross-sections (NPAIRS cards) of break-point\n"
                "link %d must lie at increasing nodes 1..%d, one per node; it has %d.\n",
                r.f.path.c_str(), l, s.nx1[l], static_cast<int>(q.size()));
            chan_stop();
            return false;
        }
        if (has(s.ltype[l], 2))
            tables += s.nx1[l];
        else
            tables += q.size() > 1 ? q.back() - q.front() + 1 : 1;
    }
    s.num_bp_tables = tables;
    return true;
}

// ---- allocation of the network ---------------------------------------------

bool alloc_network(chan_reader& r)
{
    model_state& s = r.s;
    const int nd = s.node_dim, ld = s.link_dim;
    s.uslinks.assign(ld, std::max(r.max_up, 1), 0);
    r.got_xsec.assign(nd, ld, 0);
    r.elev_line.assign(nd, ld, 0);
    for (dnode_mat* m : {&s.bel, &s.lnx, &s.lny, &s.bottom, &s.bankfull_dep, &s.sslope, &s.sslope2,
                         &s.max_eros, &s.yp, &s.qp, &s.Fr, &s.qp_vol, &s.qp_vol_sed})
        m->assign(nd, ld, 0.0);
    if (r.gw_links > 0 || s.stream_loss) {
        s.Krb.assign(nd, ld, 0.0);
        s.Mrb.assign(nd, ld, 0.0);
    }
    if (r.pointsources > 0)
        s.stream_pointsource.assign(nd + 1, ld, nullptr);
    if (r.pumps > 0)
        s.stream_pumps.assign(nd, ld, nullptr);
    s.num_erodible_bp_links = r.bp_ero;
    if (!table_fits(r, "erodible section point", (r.bp_ero + 1.0) * nd, s.max_npairs + 1.0))
        return false;
    if (r.bp_ero > 0) {
        s.xbp_lnn.assign(r.bp_ero + 1, nd, s.max_npairs + 1, 0.0);
        s.ybp_lnn.assign(r.bp_ero + 1, nd, s.max_npairs + 1, 0.0);
        s.max_yp.assign(r.bp_ero + 1, nd, 0.0);
        s.ch_sand_vol0.assign(r.bp_ero + 1, nd, 0.0);
    }
    return true;
}

// ---- CONNECT pass and main pass ---------------------------------------------

// The CONNECT cards must agree with one another: a link's upstream links
// flow into it, each once, and following the downstream links from any link
// ends at an outlet.
bool check_connections(chan_reader& r)
{
    const model_state& s = r.s;
    const int L = s.num_links;
    for (int l = 1; l <= L; ++l) {
        const int line = r.connect_line[static_cast<size_t>(l)];
        const int down = s.dslink[l];
        if (down == l)
            return fail_at(r, line, l, "the link flows into itself");
        if (down > 0) {
            int listed = 0;
            for (int k = 1; k <= s.ndep[down]; ++k)
                listed += s.uslinks[down][k] == l;
            if (listed != 1)
                return fail_at(r, line, l,
                               text_format("link %d flows into link %d, whose CONNECT card (line %d) lists it %d "
                                           "times among its upstream links; it must list it once",
                                           l, down, r.connect_line[static_cast<size_t>(down)], listed));
        }
        for (int k = 1; k <= s.ndep[l]; ++k) {
            const int up = s.uslinks[l][k];
            if (s.dslink[up] != l)
                return fail_at(r, line, l,
                               text_format("upstream link %d flows into link %d by its own CONNECT card (line %d), "
                                           "not into link %d",
                                           up, s.dslink[up], r.connect_line[static_cast<size_t>(up)], l));
        }
    }
    // 0 not visited, 1 on the walk from the current link, 2 reaches an outlet.
    std::vector<char> state(static_cast<size_t>(L) + 1, 0);
    for (int l = 1; l <= L; ++l) {
        int k = l;
        while (k > 0 && state[static_cast<size_t>(k)] == 0) {
            state[static_cast<size_t>(k)] = 1;
            k = s.dslink[k];
        }
        if (k > 0 && state[static_cast<size_t>(k)] == 1)
            return fail_at(r, r.connect_line[static_cast<size_t>(k)], k,
                           "following the downstream links from this link leads back to it; the network "
                           "needs an outlet (downstream link 0)");
        for (k = l; k > 0 && state[static_cast<size_t>(k)] == 1; k = s.dslink[k])
            state[static_cast<size_t>(k)] = 2;
    }
    return true;
}

bool connect_pass(chan_reader& r)
{
    model_state& s = r.s;
    chan_rewind(r.f);
    r.f.link = r.f.node = 0;
    int read = 0;
    std::string_view rest;
    while (read < s.num_links) {
        const chan_card_def* d = chan_next_card(r.f, rest);
        if (!d) {
            std::printf("Premature end-of-file in the channel input file.\n");
            std::printf("While searching for %d CONNECT cards\n", s.num_links);
            std::printf("Program terminated in read_chan_input.\n");
            chan_stop();
            return false;
        }
        if (d->card != chan_card::connect)
            continue;
        int l = 0, n = 0;
        if (!chan_take_int(r.f, *d, rest, 1, l) || !chan_take_int(r.f, *d, rest, 2, s.dslink[l]) ||
            !chan_take_int(r.f, *d, rest, 3, n))
            return false;
        if (n > s.uslinks.cols())
            return layout_error(r, "CONNECT");
        s.ndep[l] = n;
        r.f.link = l;
        for (int k = 1; k <= n; ++k)
            if (!chan_take_int(r.f, *d, rest, 3 + k, value_limit::link, s.uslinks[l][k]))
                return false;
        ++read;
    }
    return check_connections(r);
}

// The first series of the list whose name begins with the given name.
template <class T> T* find_series(std::list<T>& list, const std::string& name)
{
    for (T& series : list)
        if (series.name.compare(0, name.size(), name) == 0)
            return &series;
    return nullptr;
}

bool struct_type_card(chan_reader& r, const chan_card_def& d, std::string_view& rest, int& element)
{
    model_state& s = r.s;
    std::string word;
    pop_token(rest, word);
    const int type = struct_type_of(word);
    if (type == 0)
        return true;
    const int j = ++element;
    if (j > s.num_struct_elements)
        return layout_error(r, "STRUCTTYPE");
    link_struct_range& range = s.chan_struct_table[static_cast<size_t>(r.f.link)];
    range.first = std::min(range.first, j);
    range.last = std::max(range.last, j);
    chan_struct_rec& e = s.chan_structures[static_cast<size_t>(j)];
    e.type = type;
    if (type < 6)
        return true;
    std::string name;
    pop_token(rest, name);
    const int usage = type == 6   ? err_rating_curve_usage
                      : type == 7 ? err_scheduled_release_usage
                                  : err_rule_curve_usage;
    const char* kind = type == 7 ? "time" : "elevation";
    if (name.empty()) {
        error_set(usage);
        report_error(error_state);
        chan_say(r.f, &d, text_format("the %s series name is missing", kind));
        return false;
    }
    if (type == 7)
        e.schedule = find_series(time_series_list, name);
    else
        e.rating = find_series(elev_series_list, name);
    if (!e.schedule && !e.rating) {
        error_set(usage + 1, nullptr, name.c_str());
        report_error(error_state);
        std::printf("\n"); // the code's message ends without one
        chan_say(r.f, &d, text_format("no %s series is named \"%s\"", kind, name.c_str()));
        return false;
    }
    return true;
}

void missing_series(const chan_reader& r, const char* card, const char* kind, const std::string& name)
{
    std::printf("Error: The %s series \"%s\" of the %s card at link %d, node %d of the channel input file\n"
                "%s is not found. Make sure that the series file is in the project file before the channel\n"
                "input file and that the series is defined.\n",
                kind, name.c_str(), card, r.f.link, r.f.node, r.f.path.c_str());
    chan_stop();
}

bool pump_card(chan_reader& r, const chan_card_def& d, std::string_view& rest)
{
    model_state& s = r.s;
    const int link = r.f.link;
    s.chan_pump_list.emplace_front();
    pump_rec& p = s.chan_pump_list.front();
    if (!chan_take_int(r.f, d, rest, 1, p.dest_link) || !chan_take_int(r.f, d, rest, 2, p.dest_node))
        return false;
    if (s.ltype[link] == 4)
        p.dest_node = 1;
    std::string word, name;
    pop_token(rest, word);
    pop_token(rest, name);
    if (word.compare(0, 4, "ELEV") == 0) {
        p.flow_type = 0;
        p.es = find_series(elev_series_list, name);
    } else if (word.compare(0, 2, "TS") == 0) {
        p.flow_type = 1;
        p.ts = find_series(time_series_list, name);
    } else {
        std::printf(
            "\n\nError in the channel input file: Flow type for pump is incorrectly\ndefined for link %d. "
            "Must be ELEV or TS.\n",
            link);
        chan_fail(r.f, &d, "the flow type \"" + word + "\" is neither ELEV nor TS");
        return true; // reading goes on; the node keeps no pump
    }
    if (name.empty() || (!p.es && !p.ts)) {
        missing_series(r, "PUMPTO", p.flow_type ? "time" : "elevation", name);
        return false;
    }
    s.stream_pumps[r.f.node][link] = &p;
    return true;
}

// Cards that apply to the node named by the last NODE card of the block.
bool node_card(chan_card c)
{
    switch (c) {
    case chan_card::elev:
    case chan_card::x_y:
    case chan_card::xsec:
    case chan_card::bottom_width:
    case chan_card::bankfull_depth:
    case chan_card::side_slope:
    case chan_card::max_erosion:
    case chan_card::pointsource:
    case chan_card::pumpto:
        return true;
    default:
        return false;
    }
}

bool main_card(chan_reader& r, const chan_card_def& d, std::string_view& rest, int& element)
{
    model_state& s = r.s;
    chan_file& f = r.f;
    const int l = f.link, n = f.node;
    if (node_card(d.card) && n < 1 && !(d.card == chan_card::pointsource && has(s.ltype[l], 32)))
        return chan_fail(f, &d, "it comes before the first NODE card of its link");
    switch (d.card) {
    case chan_card::link:
        f.node = 0;
        return chan_take_int(f, d, rest, 1, f.link);
    case chan_card::node:
        if (!chan_take_int(f, d, rest, 1, f.node))
            return false;
        if (has(s.ltype[l], 4 | 8) && f.node > s.nx1[l])
            return chan_fail(f, &d, text_format("link %d has %d node points (its NODES card, line %d)", l, s.nx1[l],
                                                r.nodes_line[static_cast<size_t>(l)]));
        return true;
    case chan_card::elev:
        r.elev_line[n][l] = f.line_no;
        return chan_take_real(f, d, rest, 1, s.bel[n][l]);
    case chan_card::x_y:
        return chan_take_real(f, d, rest, 1, s.lnx[n][l]) && chan_take_real(f, d, rest, 2, s.lny[n][l]);
    case chan_card::bottom_width:
        return chan_take_real(f, d, rest, 1, s.bottom[n][l]);
    case chan_card::bankfull_depth:
        return chan_take_real(f, d, rest, 1, s.bankfull_dep[n][l]);
    case chan_card::side_slope:
        return chan_take_real(f, d, rest, 1, s.sslope[n][l]);
    case chan_card::max_erosion:
        return chan_take_real(f, d, rest, 1, s.max_eros[n][l]);
    case chan_card::xsec:
        r.got_xsec[n][l] = s.ltype[l];
        return true;
    case chan_card::numstructs:
        return chan_take_int(f, d, rest, 1, s.chan_struct_table[static_cast<size_t>(l)].count);
    case chan_card::structtype:
        return struct_type_card(r, d, rest, element);
    case chan_card::struct_value: {
        double v = 0.0;
        if (!chan_take_real(f, d, rest, 1, v))
            return false;
        chan_struct_rec& e = s.chan_structures[static_cast<size_t>(element)];
        double* fields[] = {&e.length,        &e.up_elev, &e.down_invert, &e.slope,         &e.coeff_forward,
                            &e.coeff_reverse, &e.size1,   &e.size2,       &e.crest_low_loc, &e.rough_coeff};
        *fields[d.arg] = v;
        return true;
    }
    case chan_card::pointsource: {
        if (s.stream_pointsource.empty())
            return layout_error(r, "POINTSOURCE");
        if (has(s.ltype[l], 32))
            f.node = 1;
        std::string name;
        pop_token(rest, name);
        time_series* ts = name.empty() ? nullptr : find_series(time_series_list, name);
        if (!ts) {
            missing_series(r, "POINTSOURCE", "time", name);
            return false;
        }
        s.stream_pointsource[f.node][l] = ts;
        return true;
    }
    case chan_card::pumpto:
        if (s.stream_pumps.empty())
            return layout_error(r, "PUMPTO");
        return pump_card(r, d, rest);
    default:
        return true;
    }
}

// From the line after the L-th CONNECT card to the end of the file.
bool main_pass(chan_reader& r)
{
    model_state& s = r.s;
    r.f.link = r.f.node = 0;
    int element = 0;
    std::string_view rest;
    while (const chan_card_def* d = chan_next_card(r.f, rest))
        if (!main_card(r, *d, rest, element))
            return false;
    // Every node point of a routed link has its bed elevation; a file cut
    // short inside a link block lacks some.
    for (int l = 1; l <= s.num_links; ++l) {
        if (!has(s.ltype[l], 4 | 8))
            continue;
        for (int k = 1; k <= s.nx1[l]; ++k)
            if (!r.elev_line[k][l])
                return fail_at(r, 0, l,
                               text_format("node point %d of link %d has no ELEV card (its NODES card, line %d, "
                                           "gives it %d node points; is the file cut short?)",
                                           k, l, r.nodes_line[static_cast<size_t>(l)], s.nx1[l]));
    }
    return true;
}

// ---- river bed, sections, node values ----------------------------------------

void river_bed(chan_reader& r)
{
    model_state& s = r.s;
    if (s.Krb.empty())
        return;
    for (int l = 1; l <= s.num_links; ++l) {
        const bool own = has(s.ltype[l], 1) && (has(s.ltype[l], 4) || has(s.ltype[l], 8));
        for (int k = 1; k <= s.nx1[l]; ++k) {
            s.Krb[k][l] = own ? r.krb_link[static_cast<size_t>(l)] : s.k_river;
            s.Mrb[k][l] = own ? r.mrb_link[static_cast<size_t>(l)] : s.m_river;
        }
    }
}

bool link_sections(chan_reader& r)
{
    model_state& s = r.s;
    for (int l = 1; l <= s.num_links; ++l) {
        const double n = r.n_link[static_cast<size_t>(l)];
        s.inv_mannings_n[l] = n > 0.0 ? 1.0 / n : 0.0;
        if ((has(s.ltype[l], 4) || has(s.ltype[l], 8)) && n <= 0.0) {
            std::printf("Error encountered when reading the channel input file, link %d:\n", l);
            std::printf("    Manning's Roughness is 0.000\n");
            return fail_at(r, r.link_line[static_cast<size_t>(l)], l,
                           text_format("link %d has no MANNINGS_N card", l));
        }
        if (!has(s.ltype[l], 4))
            continue;
        int sec = 0;
        for (int k = 1; k <= s.nx1[l]; ++k)
            if (r.got_xsec[k][l] == s.ltype[l])
                sec = k;
        if (sec == 0) {
            std::printf("Error: Cross section parameters not found for link %d.\n", l);
            chan_stop();
            return false;
        }
        if (s.bottom[sec][l] <= 0.0 && s.sslope[sec][l] <= 0.0) {
            std::printf("Error in the channel input file %s: the trapezoidal section of link %d (node %d)\n"
                        "has neither a BOTTOM_WIDTH nor a SIDE_SLOPE above 0.\n",
                        r.f.path.c_str(), l, sec);
            chan_stop();
            return false;
        }
        for (int k = 1; k <= s.nx1[l]; ++k) {
            s.sslope[k][l] = s.sslope[sec][l];
            s.bottom[k][l] = s.bottom[sec][l];
            s.bankfull_dep[k][l] = s.bankfull_dep[sec][l];
            if (has(s.ltype[l], 2))
                s.max_eros[k][l] = s.max_eros[sec][l];
        }
    }
    return true;
}

// ---- break-point tables -----------------------------------------------------

struct section_set {
    dmat x, y;                               // [pair][section]
    std::vector<int> pairs, levels, node_of; // per section, 1-based
    int current = 0;                         // section being read
    int points = 0;                          // points read of it
    int link = 0;                            // link the sections belong to
    std::vector<char> built;                 // per link: tables built
};

bool incomplete(const chan_reader& r, const section_set& w)
{
    if (w.current == 0 || w.points == w.pairs[static_cast<size_t>(w.current)])
        return false;
    std::printf(
        "Error in the channel input file %s: cross-section %d of link %d has %d X1 cards; its NPAIRS\n"
        "card says %d.\n",
        r.f.path.c_str(), w.current, w.link, w.points, w.pairs[static_cast<size_t>(w.current)]);
    chan_stop();
    return true;
}

bool table_card(chan_reader& r, const chan_card_def& d, std::string_view& rest, section_set& w, int& counter)
{
    model_state& s = r.s;
    chan_file& f = r.f;
    switch (d.card) {
    case chan_card::link:
        return chan_take_int(f, d, rest, 1, f.link);
    case chan_card::node:
        return chan_take_int(f, d, rest, 1, f.node);
    default:
        break;
    }
    const int l = f.link;
    if (l < 1 || !has(s.ltype[l], 8))
        return true;
    const size_t j = static_cast<size_t>(w.current);
    switch (d.card) {
    case chan_card::npairs:
        if (incomplete(r, w))
            return false;
        if (w.current > 0 && w.link != l) {
            std::printf(
                "Error in the channel input file %s, line %d: the cross-sections of break-point link %d\n"
                "must follow one another; link %d starts a section before they are complete.\n",
                f.path.c_str(), f.line_no, w.link, l);
            chan_stop();
            return false;
        }
        if (w.current + 1 >= static_cast<int>(w.pairs.size()))
            return layout_error(r, "NPAIRS");
        w.link = l;
        ++w.current;
        w.points = 0;
        w.node_of[j + 1] = f.node;
        w.levels[j + 1] = 0;
        if (!chan_take_int(f, d, rest, 1, w.pairs[j + 1]))
            return false;
        return w.pairs[j + 1] <= w.x.rows() || layout_error(r, "NPAIRS");
    case chan_card::num_interp:
        return chan_take_int(f, d, rest, 1, w.levels[j]);
    case chan_card::x1: {
        if (++w.points > w.pairs[j]) {
            std::printf("\n\nError: There are more X1 cards than the NPAIRS card specifies \nfor table %d in "
                        "link %d.\n",
                        w.current, l);
            chan_stop();
            return false;
        }
        if (!chan_take_real(f, d, rest, 1, w.x[w.points][w.current]) ||
            !chan_take_real(f, d, rest, 2, w.y[w.points][w.current]))
            return false;
        if (w.points < w.pairs[j] || w.current != r.xsec_count[static_cast<size_t>(l)])
            return true;
        bp_link_sections in;
        in.link = l;
        in.nodes = s.nx1[l];
        in.type = s.ltype[l];
        in.count = w.current;
        in.x = &w.x;
        in.y = &w.y;
        in.node_of = w.node_of.data();
        in.pairs = w.pairs.data();
        in.levels = w.levels.data();
        in.mannings_n = r.n_link[static_cast<size_t>(l)];
        if (!build_breakpoint_tables(s, in, counter))
            return false;
        w.built[static_cast<size_t>(l)] = 1;
        reader_echo(s, echo_rule::with_trials, ".");
        w.current = w.points = 0;
        return true;
    }
    default:
        return true;
    }
}

bool breakpoint_tables(chan_reader& r)
{
    model_state& s = r.s;
    if (r.bp == 0)
        return true;
    chan_rewind(r.f);
    if (s.max_interp_points < 1) {
        std::printf(
            "Error: the number of interpolation points has not been specifiedfor any table. Each "
            "break-point cross-section table should have a NUM_INTERP ### card below the NPAIRS card\n");
        chan_stop();
        return false;
    }
    // Sections asking for more levels than a table may hold are refused by
    // the builder before it writes.
    const int levels = std::min(s.max_interp_points, max_table_levels);
    if (!table_fits(r, "break-point depth", levels + 1.0, s.num_bp_tables + 1.0) ||
        !table_fits(r, "cross-section point", s.max_npairs + 1.0, std::max(r.max_xsec, 1) + 1.0))
        return false;
    for (dmat* m : {&s.xarea, &s.xtw, &s.xk, &s.xp})
        m->assign(levels, s.num_bp_tables, 0.0);
    if (s.chan_mesh) {
        s.xi1.assign(levels, s.num_bp_tables, 0.0);
        s.xdkda.assign(levels, s.num_bp_tables, 0.0);
    }
    s.numpairs.assign(s.num_bp_tables, 0);
    s.numhts.assign(s.num_bp_tables, 0);
    s.ht_spc.assign(s.num_bp_tables, 0.0);
    s.max_interp_points = levels;
    reader_echo(s, echo_rule::with_trials, "Reading and interpolating break-point cross-sections ");

    section_set w;
    const int sections = std::max(r.max_xsec, 1);
    w.x.assign(s.max_npairs, sections, 0.0);
    w.y.assign(s.max_npairs, sections, 0.0);
    w.pairs.assign(static_cast<size_t>(sections) + 1, 0);
    w.levels.assign(static_cast<size_t>(sections) + 1, 0);
    w.node_of.assign(static_cast<size_t>(sections) + 1, 0);
    w.built.assign(static_cast<size_t>(s.num_links) + 1, 0);
    int counter = 0;
    r.f.link = r.f.node = 0;
    std::string_view rest;
    while (const chan_card_def* d = chan_next_card(r.f, rest))
        if (!table_card(r, *d, rest, w, counter))
            return false;
    if (incomplete(r, w))
        return false;
    for (int l = 1; l <= s.num_links; ++l) {
        if (has(s.ltype[l], 8) && !w.built[static_cast<size_t>(l)]) {
            std::printf(
                "Error in the channel input file %s: the cross-sections of break-point link %d were not\n"
                "all read (NPAIRS, NUM_INTERP and X1 cards below its LINK card).\n",
                r.f.path.c_str(), l);
            chan_stop();
            return false;
        }
    }
    reader_echo(s, echo_rule::with_trials, "\n");
    return true;
}

void node_values(model_state& s)
{
    for (int l = 1; l <= s.num_links; ++l) {
        s.nx[l] = (s.ltype[l] & (4 | 8 | 16)) ? s.nx1[l] - 1 : s.nx1[l];
        s.og_nx1[l] = s.nx[l];
    }
    for (int l = 1; l <= s.num_links; ++l) {
        for (int k = 1; k <= s.nx[l] && k + 1 <= s.node_dim; ++k) {
            s.bel[k][l] = (s.bel[k][l] + s.bel[k + 1][l]) / 2.0;
            s.yp[k][l] = s.bel[k][l];
            s.qp[k][l] = 0.0;
        }
    }
}

// ---- lakes ------------------------------------------------------------------

bool lake_tables_pass(chan_reader& r)
{
    model_state& s = r.s;
    chan_file& f = r.f;
    chan_rewind(f);
    f.link = f.node = 0;
    int lake = 0;
    std::string_view rest;
    while (chan_next_line(f)) {
        const std::string whole = f.line;
        const chan_card_def* d = chan_card_lookup(f.line);
        rest = f.line;
        if (!d) {
            // The rows of the NUMRATE and NUMPTS tables are taken with their
            // card; a row of numbers left over means a count too small.
            std::string_view line = whole;
            std::string first;
            double v = 0.0;
            if (pop_token(line, first) && parse_double_strict(first, v) == num_status::ok)
                return chan_fail(f, nullptr,
                                 "a row of numbers that no NUMRATE or NUMPTS card takes (does a count fall "
                                 "short of its rows?)");
            continue;
        }
        bool ok = true;
        switch (d->card) {
        case chan_card::link:
            ok = chan_take_int(f, *d, rest, 1, f.link);
            break;
        case chan_card::lake:
            lake = std::min(lake + 1, s.num_lakes);
            s.lake2link[f.link] = lake;
            break;
        case chan_card::mlake:
            ok = chan_take_real(f, *d, rest, 1, s.Mlake[lake]);
            s.calc_loss[lake] = 1;
            break;
        case chan_card::static_lake:
            s.yes_static_lake[lake] = 1;
            break;
        case chan_card::minwse:
            ok = chan_take_real(f, *d, rest, 1, s.minwse[lake]);
            break;
        case chan_card::initwse:
            r.initwse_line[static_cast<size_t>(lake)] = f.line_no;
            ok = chan_take_real(f, *d, rest, 1, s.initwse[lake]);
            break;
        case chan_card::maxwse:
            ok = chan_take_real(f, *d, rest, 1, s.maxwse[lake]);
            break;
        case chan_card::numrate: {
            ok = chan_take_int(f, *d, rest, 1, s.numrate[lake]);
            if (ok && s.numrate[lake] > s.lake_rate_elev.cols())
                return layout_error(r, "NUMRATE");
            s.yes_defined_curve_lake[lake] = 1;
            for (int k = 1; ok && k <= s.numrate[lake]; ++k) {
                std::string_view row;
                if (!chan_next_line(f)) {
                    std::printf(
                        "Error in the channel input file %s: end of file in the NUMRATE table of lake %d "
                        "(%d of %d lines read).\n",
                        f.path.c_str(), lake, k - 1, s.numrate[lake]);
                    chan_stop();
                    return false;
                }
                row = f.line;
                ok = chan_take_real(f, *d, row, 1, value_limit::real, s.lake_rate_elev[lake][k]) &&
                     chan_take_real(f, *d, row, 2, value_limit::nonneg, s.lake_rate_volume[lake][k]) &&
                     chan_take_real(f, *d, row, 3, value_limit::nonneg, s.lake_rate_area[lake][k]);
                // The curve is read both ways (elevation to volume, volume to
                // area): elevations rise and volumes do not fall.
                if (ok && k > 1 && s.lake_rate_elev[lake][k] <= s.lake_rate_elev[lake][k - 1])
                    return chan_fail(f, d,
                                     text_format("the elevation %g of rating row %d of lake %d is not above the "
                                                 "row before it (%g)",
                                                 s.lake_rate_elev[lake][k], k, lake, s.lake_rate_elev[lake][k - 1]));
                if (ok && k > 1 && s.lake_rate_volume[lake][k] < s.lake_rate_volume[lake][k - 1])
                    return chan_fail(f, d,
                                     text_format("the volume %g of rating row %d of lake %d is below the row "
                                                 "before it (%g)",
                                                 s.lake_rate_volume[lake][k], k, lake,
                                                 s.lake_rate_volume[lake][k - 1]));
            }
            break;
        }
        case chan_card::numpts: {
            ok = chan_take_int(f, *d, rest, 1, s.numpts[lake]);
            if (ok && s.numpts[lake] > s.lake_search.dim3())
                return layout_error(r, "NUMPTS");
            std::string_view row;
            for (int k = 1; ok && k <= s.numpts[lake]; ++k) {
                if ((k - 1) % 10 == 0) {
                    if (!chan_next_line(f)) {
                        std::printf(
                            "Error in the channel input file %s: end of file in the NUMPTS cells of lake %d "
                            "(%d of %d cells read).\n",
                            f.path.c_str(), lake, k - 1, s.numpts[lake]);
                        chan_stop();
                        return false;
                    }
                    row = f.line;
                }
                const int i = 2 * ((k - 1) % 10) + 1;
                ok = chan_take_int(f, *d, row, i, value_limit::row, s.lake_search[lake][1][k]) &&
                     chan_take_int(f, *d, row, i + 1, value_limit::col, s.lake_search[lake][2][k]);
            }
            break;
        }
        default:
            break;
        }
        if (!ok)
            return false;
    }
    return true;
}

// Marks a cell of lake j (cell 0, outside the watershed, is not a cell).
void mark_lake_cell(chan_reader& r, int j, int cell)
{
    model_state& s = r.s;
    if (cell < 1 || cell > s.lake_mask.size())
        return;
    s.lake_mask[cell] = j;
    ++s.lake_cells[j];
    if (r.mlake && s.calc_loss[j] && s.gw_simulation && cell <= s.gwbound.size())
        s.gwbound[cell] = 7;
}

bool lake_initial_state(chan_reader& r)
{
    model_state& s = r.s;
    const double cell_area = s.gridsize * s.gridsize;
    for (int j = 1; j <= s.num_lakes; ++j) {
        s.lake_volume[j] = 0.0;
        s.lake_cells[j] = 0;
        s.lake_in_dv[j] = 0.0;
        s.lake_out_dv[j] = 0.0;
        auto cell_of = [&](int k) { return s.mask[s.lake_search[j][1][k]][s.lake_search[j][2][k]]; };
        auto ground = [&](int cell) {
            return cell >= 1 && cell <= s.ground_elev.size() ? s.ground_elev[cell] : 0.0;
        };
        if (s.yes_defined_curve_lake[j]) {
            const int n = s.numrate[j];
            const double* elev = s.lake_rate_elev[j];
            if (n < 1 || s.initwse[j] < std::min(elev[1], elev[n]) ||
                s.initwse[j] > std::max(elev[1], elev[n])) {
                std::printf(
                    "Error in the channel input file %s: the initial water surface (INITWSE %.2lf) of lake "
                    "%d lies outside its rating curve (NUMRATE table).\n",
                    r.f.path.c_str(), s.initwse[j], j);
                chan_stop();
                return false;
            }
            s.lake_elev[j] = s.initwse[j];
            s.lake_volume[j] =
                lake_rating_interp(j, s.initwse[j], n, elev, s.lake_rate_volume[j], &s.lake_rating_warned[j]);
            s.lake_area[j] = lake_rating_interp(j, s.lake_volume[j], n, s.lake_rate_volume[j],
                                                s.lake_rate_area[j], &s.lake_rating_warned[j]);
            s.prevlake_volume[j] = s.lake_volume[j];
            for (int k = 1; k <= s.numpts[j]; ++k) {
                const int cell = cell_of(k);
                if (s.yes_static_lake[j] || ground(cell) + 1e-7 < s.initwse[j])
                    mark_lake_cell(r, j, cell);
            }
            continue;
        }
        for (int k = 1; k <= s.numpts[j]; ++k) {
            const int cell = cell_of(k);
            if (cell < 1 || ground(cell) + 1e-7 >= s.initwse[j])
                continue;
            mark_lake_cell(r, j, cell);
            s.lake_volume[j] += (s.initwse[j] - ground(cell)) * cell_area;
        }
        s.lake_elev[j] = s.initwse[j];
        s.prevlake_volume[j] = s.lake_volume_last_chan[j] = s.lake_volume[j];
        s.lake_area[j] = s.lake_cells[j] * cell_area;
    }
    return true;
}

bool read_lakes(chan_reader& r)
{
    model_state& s = r.s;
    const int n = s.num_lakes;
    for (ivec* v : {&s.numpts, &s.lake_cells, &s.numrate, &s.yes_static_lake, &s.yes_defined_curve_lake,
                    &s.lake_rating_warned, &s.calc_loss})
        v->assign(n, 0);
    for (dvec* v :
         {&s.minwse, &s.initwse, &s.maxwse, &s.lake_volume, &s.cumulative_lake_evap, &s.prevlake_volume,
          &s.lake_volume_last_chan, &s.lake_area, &s.lake_elev, &s.lake_in_dv, &s.lake_out_dv, &s.Mlake})
        v->assign(n, 0.0);
    s.lake2link.assign(s.num_links, 0);
    s.lake_mask.assign(s.num_cells, 0);
    s.new_flooded_grid.assign(s.num_cells, 0);
    s.pct_flooded.assign(s.node_dim, s.link_dim, 0.0);
    if (!table_fits(r, "lake cell", n + 1.0, 2.0 * (r.max_numpts + 1)) ||
        !table_fits(r, "lake rating", n + 1.0, r.max_numrate + 1.0))
        return false;
    s.lake_search.assign(n, 2, std::max(r.max_numpts, 1), 0);
    if (r.max_numrate > 0)
        for (dmat* m : {&s.lake_rate_elev, &s.lake_rate_volume, &s.lake_rate_area})
            m->assign(n, r.max_numrate, 0.0);
    r.initwse_line.assign(static_cast<size_t>(n) + 1, 0);
    if (!lake_tables_pass(r))
        return false;
    for (int j = 1; j <= n; ++j) {
        int link = 0;
        for (int l = 1; l <= s.num_links; ++l)
            if (s.lake2link[l] == j)
                link = l;
        if (!r.initwse_line[static_cast<size_t>(j)])
            return fail_at(r, r.link_line[static_cast<size_t>(link)], link,
                           text_format("lake %d (link %d) has no INITWSE card", j, link));
    }
    for (int j = 1; j <= n; ++j) {
        std::string t = text_format("Minimum Water Surface Elevation Lake #%d: %.2lf\n", j, s.minwse[j]);
        t += text_format("Initial Water Surface Elevation Lake #%d: %.2lf\n", j, s.initwse[j]);
        t += text_format("Maximum Water Surface Elevation Lake #%d: %.2lf\n", j, s.maxwse[j]);
        t += text_format("number of coords for lake #%d's search order: %d\n", j, s.numpts[j]);
        if (r.mlake && s.calc_loss[j])
            t += text_format("Simulating Lake Losses for Lake #%d, Bed Thickness: %.1lf m\n", j, s.Mlake[j]);
        reader_echo(s, echo_rule::always, t);
    }
    if (!lake_initial_state(r))
        return false;
    s.og_num_links = s.num_links;
    s.og_ndep = s.ndep;
    s.og_dslink = s.dslink;
    s.og_lytpe = s.ltype;
    s.og_uslinks = s.uslinks;
    return true;
}

int read_all(chan_reader& r)
{
    model_state& s = r.s;
    if (!read_header(r) || !read_globals(r))
        return 0;
    alloc_link_arrays(r);
    if (!counting_pass(r))
        return r.mlake;
    for (int l = 1; l <= s.num_links; ++l)
        r.max_xsec = std::max(r.max_xsec, r.xsec_count[static_cast<size_t>(l)]);
    print_summary(r);
    if (!check_counts(r) || !locate_sections(r))
        return r.mlake;
    if (!alloc_network(r) || !connect_pass(r) || !main_pass(r) || !check_structure_elements(s, r.f.path))
        return r.mlake;
    river_bed(r);
    if (!link_sections(r) || !breakpoint_tables(r))
        return r.mlake;
    node_values(s);
    if (s.grid_stream && !read_grid_stream_file(s))
        return r.mlake;
    if (s.chan_lakes && !read_lakes(r))
        return r.mlake;
    return r.mlake;
}

} // namespace

int read_chan_input(model_state& s)
{
    s.chan_sed_on = 0;
    chan_reader r(s);
    try {
        return read_all(r);
    } catch (const std::bad_alloc&) {
        std::printf("Error allocating memory for variable %s\n", "channel network");
        chan_stop();
        return r.mlake;
    }
}
