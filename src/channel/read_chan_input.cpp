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
constexpr double network_cell_limit = 1e8; // node x link slots of the [node][link] arrays

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
    int lakes = 0, struct_links = 0, struct_elements = 0, numstructs_sum = 0;
    int gw_links = 0, max_numrate = 0, max_numpts = 0, pointsources = 0, pumps = 0;
    int max_xsec = 0;
    // Per link: Manning n (0 without a card), bed conductivity and thickness,
    // sections counted, the nodes of the sections.
    std::vector<double> n_link, krb_link, mrb_link;
    std::vector<int> xsec_count;
    std::vector<std::vector<int>> xsec_nodes;
    imat got_xsec;

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
    int found = 0;
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
            chan_stop();
            return false;
        }
        bool ok = true;
        switch (d->card) {
        case chan_card::alpha:
            ok = chan_take_real(r.f, *d, rest, 1, s.alpha);
            break;
        case chan_card::beta:
            ok = chan_take_real(r.f, *d, rest, 1, s.beta);
            break;
        case chan_card::theta:
            ok = chan_take_real(r.f, *d, rest, 1, s.theta);
            break;
        case chan_card::links:
            ok = chan_take_int(r.f, *d, rest, 1, s.num_links);
            break;
        case chan_card::maxnodes:
            ok = chan_take_int(r.f, *d, rest, 1, s.max_nodes);
            break;
        default:
            continue;
        }
        if (!ok)
            return false;
        ++found;
    }
    if (s.num_links < 1 || s.max_nodes < 1 ||
        (s.num_links + 1.0) * (s.max_nodes + 2.0) > network_cell_limit) {
        std::printf(
            "Error in the channel input file %s: LINKS (%d) and MAXNODES (%d) must both be at least 1\n"
            "and their network must hold fewer than %.0f nodes.\n",
            r.f.path.c_str(), s.num_links, s.max_nodes, network_cell_limit);
        chan_stop();
        return false;
    }
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

bool counting_card(chan_reader& r, const chan_card_def& d, std::string_view& rest)
{
    model_state& s = r.s;
    chan_file& f = r.f;
    int& link = f.link;
    int v = 0;
    double x = 0.0;
    switch (d.card) {
    case chan_card::dx:
        return chan_take_real(f, d, rest, 1, s.link_dx[link]);
    case chan_card::link:
        return chan_take_int(f, d, rest, 1, link);
    case chan_card::nodes:
        return chan_take_int(f, d, rest, 1, s.nx1[link]);
    case chan_card::connect: {
        int l = 0, down = 0;
        if (!chan_take_int(f, d, rest, 1, l) || !chan_take_int(f, d, rest, 2, down) ||
            !chan_take_int(f, d, rest, 3, v))
            return false;
        ++r.connects;
        r.max_up = std::max(r.max_up, v);
        return true;
    }
    case chan_card::kind:
        count_kind(r, link, d.arg);
        return true;
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
        r.n_link[static_cast<size_t>(link)] = x;
        if (x < 1e-8) {
            std::printf("Error encountered when reading the channel input file, link %d:\n", link);
            std::printf("    Manning's Roughness is 0.000\n");
            chan_stop();
            return false;
        }
        return true;
    case chan_card::gw_bed_conductivity:
        ++r.gw_links;
        return chan_take_real(f, d, rest, 1, r.krb_link[static_cast<size_t>(link)]);
    case chan_card::gw_bed_thickness:
        return chan_take_real(f, d, rest, 1, r.mrb_link[static_cast<size_t>(link)]);
    case chan_card::npairs:
        if (!chan_take_int(f, d, rest, 1, v))
            return false;
        s.max_npairs = std::max(s.max_npairs, v);
        if (has(s.ltype[link], 8))
            ++r.xsec_count[static_cast<size_t>(link)];
        return true;
    case chan_card::num_interp:
        if (!chan_take_int(f, d, rest, 1, v))
            return false;
        s.max_interp_points = std::max(s.max_interp_points, v);
        return true;
    case chan_card::structure:
        ++r.struct_links;
        s.ltype[link] = 64;
        s.ldex[link] = link;
        s.nx1[link] = 2;
        return true;
    case chan_card::numstructs:
        if (!chan_take_int(f, d, rest, 1, v))
            return false;
        r.numstructs_sum += v;
        return true;
    case chan_card::structtype: {
        std::string word;
        pop_token(rest, word);
        if (struct_type_of(word))
            ++r.struct_elements;
        return true;
    }
    case chan_card::lake:
        s.ltype[link] = 32;
        s.ldex[link] = ++r.lakes;
        s.chan_lakes = 1;
        return true;
    case chan_card::mlake:
        r.mlake = 1;
        return true;
    case chan_card::numrate:
        if (!chan_take_int(f, d, rest, 1, v))
            return false;
        r.max_numrate = std::max(r.max_numrate, v);
        return true;
    case chan_card::numpts:
        if (!chan_take_int(f, d, rest, 1, v))
            return false;
        r.max_numpts = std::max(r.max_numpts, v);
        return true;
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

bool counting_pass(chan_reader& r)
{
    model_state& s = r.s;
    r.f.link = r.f.node = 0;
    std::string_view rest;
    while (const chan_card_def* d = chan_next_card(r.f, rest))
        if (!counting_card(r, *d, rest))
            return false;

    if (r.struct_elements != r.numstructs_sum) {
        std::printf("\nThe sum of NUMSTRUCTS arguments is %d, while the total number\n", r.numstructs_sum);
        std::printf("of hydraulic structure element cards (e.g. WEIR, ROUND_CULVERT,\n");
        std::printf("etc.) is %d.  This inconstency is intolerable.  Check your channel\n",
                    r.struct_elements);
        std::printf("input file.  Program terminated.\n");
        chan_stop();
        return false;
    }
    if (r.struct_elements > 0 && r.struct_links == 0) {
        std::printf("Error in the channel input file %s: it holds %d structure elements (NUMSTRUCTS and\n"
                    "STRUCTTYPE cards) but no STRUCTURE link.\n",
                    r.f.path.c_str(), r.struct_elements);
        chan_stop();
        return false;
    }
    for (int l = 1; l <= s.num_links; ++l) {
        if (s.nx1[l] > s.max_nodes) {
            std::printf(
                "Error in the channel input file %s: link %d has %d node points, more than MAXNODES (%d).\n",
                r.f.path.c_str(), l, s.nx1[l], s.max_nodes);
            chan_stop();
            return false;
        }
    }
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
        chan_stop();
        return false;
    }
    if (r.connects != s.num_links) {
        std::printf("Your channel input file contains %d links, and %d CONNECT cards\n", s.num_links,
                    r.connects);
        std::printf("These two numbers must be equal.  Therefore, you have a major \n");
        std::printf("problem with your channel input file.  TORVA cannot proceed.\n");
        std::printf("Fifteen yard penalty from the line of scrimmage.\n");
        std::printf("program terminated.\n");
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

void alloc_network(chan_reader& r)
{
    model_state& s = r.s;
    const int nd = s.node_dim, ld = s.link_dim;
    s.uslinks.assign(ld, std::max(r.max_up, 1), 0);
    r.got_xsec.assign(nd, ld, 0);
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
    if (r.bp_ero > 0) {
        s.xbp_lnn.assign(r.bp_ero + 1, nd, s.max_npairs + 1, 0.0);
        s.ybp_lnn.assign(r.bp_ero + 1, nd, s.max_npairs + 1, 0.0);
        s.max_yp.assign(r.bp_ero + 1, nd, 0.0);
        s.ch_sand_vol0.assign(r.bp_ero + 1, nd, 0.0);
    }
}

// ---- CONNECT pass and main pass ---------------------------------------------

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
    return true;
}

// The first series of the list whose name begins with the given name.
template <class T> T* find_series(std::list<T>& list, const std::string& name)
{
    for (T& series : list)
        if (series.name.compare(0, name.size(), name) == 0)
            return &series;
    return nullptr;
}

bool struct_type_card(chan_reader& r, std::string_view& rest, int& element)
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
    if (name.empty()) {
        error_set(usage);
        error_state.raised = 1;
        return false;
    }
    if (type == 7)
        e.schedule = find_series(time_series_list, name);
    else
        e.rating = find_series(elev_series_list, name);
    if (!e.schedule && !e.rating) {
        error_set(usage + 1, nullptr, name.c_str());
        error_state.raised = 1;
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
        chan_stop();
        return true; // reading goes on; the node keeps no pump
    }
    if (name.empty() || (!p.es && !p.ts)) {
        missing_series(r, "PUMPTO", p.flow_type ? "time" : "elevation", name);
        return false;
    }
    s.stream_pumps[r.f.node][link] = &p;
    return true;
}

bool main_card(chan_reader& r, const chan_card_def& d, std::string_view& rest, int& element)
{
    model_state& s = r.s;
    chan_file& f = r.f;
    const int l = f.link, n = f.node;
    switch (d.card) {
    case chan_card::link:
        return chan_take_int(f, d, rest, 1, f.link);
    case chan_card::node:
        return chan_take_int(f, d, rest, 1, f.node);
    case chan_card::elev:
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
        return struct_type_card(r, rest, element);
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
    (void)s;
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
            chan_stop();
            return false;
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
    while (const chan_card_def* d = chan_next_card(f, rest)) {
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
    s.lake_search.assign(n, 2, std::max(r.max_numpts, 1), 0);
    if (r.max_numrate > 0)
        for (dmat* m : {&s.lake_rate_elev, &s.lake_rate_volume, &s.lake_rate_area})
            m->assign(n, r.max_numrate, 0.0);
    if (!lake_tables_pass(r))
        return false;
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
    alloc_network(r);
    if (!connect_pass(r) || !main_pass(r) || !check_structure_elements(s, r.f.path))
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
