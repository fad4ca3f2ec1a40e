// The pipe-network file: CONNECT, SJUNC and SLINK lines, each SLINK
// followed by its block of NODE and PIPE lines; the superlinks are cut into
// computational segments with SUPERLINK_C_OPT and the network arrays are
// sized after cutting. The grid-pipe file follows when pipes leak.
#include <algorithm>
#include <cfloat>
#include <climits>
#include <cstdio>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "channel/channel_services.h"
#include "channel/superlink_input.h"
#include "core/check_count.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "core/text_parse.h"
#include "input/reader_echo.h"

namespace
{

// What one value of a line may hold; the bounds of count-limited values
// come from the file's own counts.
enum class lim {
    real,
    nonneg,
    positive,
    whole,
    count,
    link,
    junction,
    node,
    pipe,
    row,
    col,
    junc_inlet,
    node_inlet,
    length
};

// The longest pipe: cut into segments (SUPERLINK_C_OPT) it gives one per
// 100 m.
constexpr double max_pipe_length = 1e6;

struct field {
    const char* name;
    lim limit;
};

// The values of each line after its keyword, in order.
const field connect_fields[] = {{"superlink", lim::link},
                                {"upstream superjunction", lim::junction},
                                {"downstream superjunction", lim::junction}};
const field slink_fields[] = {{"superlink", lim::link}, {"number of pipes", lim::count}};
const field sjunc_fields[] = {
    {"superjunction", lim::junction}, {"ground elevation", lim::real},    {"invert elevation", lim::real},
    {"plan area", lim::nonneg},       {"inlet type", lim::junc_inlet},    {"grid row", lim::whole},
    {"grid column", lim::whole},      {"grate side length", lim::nonneg}, {"grate diameter", lim::nonneg}};
const field node_fields[] = {
    {"node", lim::node},        {"ground elevation", lim::real},    {"invert elevation", lim::real},
    {"plan area", lim::nonneg}, {"inlet type", lim::node_inlet},    {"grid row", lim::row},
    {"grid column", lim::col},  {"grate side length", lim::nonneg}, {"grate diameter", lim::nonneg}};
const field pipe_fields[] = {
    {"pipe", lim::pipe},    {"section type", lim::whole},  {"diameter", lim::positive},
    {"width", lim::nonneg}, {"slope", lim::real},          {"roughness", lim::real},
    {"length", lim::length},  {"conductivity", lim::nonneg}, {"drain spacing", lim::real}};

// The pipes of an SLINK line, each a NODE and a PIPE line of nine numbers
// ("NODE 1 0 0 0 0 0 0 0 0").
const count_field pipes_count{"number of pipes", 1, 1000000, 46};

struct reader {
    std::string path;
    std::FILE* fp = nullptr;
    std::vector<std::string> lines;
    std::vector<long> line_end; // offset in the file after each line
    int line_no = 0; // of the line being read, 1-based
    int links = 0, juncs = 0, max_n = 0;
    int rows = 0, cols = 0;
    int cur_n = 0; // pipes of the superlink whose block is read

    bool refuse(const char* what, const std::string& token, const char* why, double lo, double hi) const
    {
        std::printf("Error in the pipe-network file %s, line %d: %s \"%s\" %s", path.c_str(), line_no, what,
                    token.c_str(), why);
        if (lo <= hi && lo == -DBL_MAX)
            std::printf(" (allowed at most %.15g)", hi);
        else if (lo <= hi)
            std::printf(" (allowed %.15g to %.15g)", lo, hi);
        std::printf(".\n");
        return false;
    }

    // Refuses the current line for a cause of its own.
    bool fail(const std::string& cause) const
    {
        std::printf("Error in the pipe-network file %s, line %d: %s.\n", path.c_str(), line_no, cause.c_str());
        return false;
    }

    bool take(std::string_view& rest, const field& f, double& out) const
    {
        double lo = -DBL_MAX, hi = DBL_MAX;
        bool whole = false;
        switch (f.limit) {
        case lim::real:
            break;
        case lim::nonneg:
            lo = 0.0;
            break;
        case lim::positive:
            lo = 1e-12;
            break;
        case lim::whole:
            whole = true, lo = INT_MIN, hi = INT_MAX;
            break;
        case lim::count:
            whole = true, lo = 1, hi = INT_MAX;
            break;
        case lim::link:
            whole = true, lo = 1, hi = links;
            break;
        case lim::junction:
            whole = true, lo = 1, hi = juncs;
            break;
        case lim::node:
            whole = true, lo = 1, hi = cur_n + 1;
            break;
        case lim::pipe:
            whole = true, lo = 1, hi = cur_n;
            break;
        case lim::row:
            whole = true, lo = 0, hi = rows + 1;
            break;
        case lim::col:
            whole = true, lo = 0, hi = cols + 1;
            break;
        case lim::junc_inlet:
            whole = true, lo = 0, hi = 999;
            break;
        case lim::node_inlet:
            whole = true, lo = 0, hi = 10;
            break;
        case lim::length:
            hi = max_pipe_length;
            break;
        }
        std::string token;
        if (!pop_token(rest, token))
            return refuse(f.name, token, num_status_text(num_status::empty), 1, 0);
        num_status st;
        if (whole) {
            int v = 0;
            st = parse_int_strict(token, v);
            out = v;
        } else {
            st = parse_double_strict(token, out);
        }
        if (st != num_status::ok)
            return refuse(f.name, token, num_status_text(st), 1, 0);
        if (f.limit == lim::positive && out <= 0.0)
            return refuse(f.name, token, "is not above 0", 1, 0);
        if (f.limit == lim::junc_inlet && !((out >= 0 && out <= 10) || out == 888 || out == 999))
            return refuse(f.name, token, "is not an inlet type (0 to 10, 888 or 999)", 1, 0);
        if (out < lo || out > hi)
            return refuse(f.name, token, num_status_text(num_status::out_of_range), lo, hi);
        return true;
    }

    template <size_t K> bool take_all(std::string_view rest, const field (&fields)[K], double (&v)[K]) const
    {
        for (size_t k = 0; k < K; ++k)
            if (!take(rest, fields[k], v[k]))
                return false;
        return true;
    }
};

// The keyword of a line (case-sensitive, exact) and the text after it.
std::string_view first_word(const std::string& line, std::string_view& rest)
{
    const std::string_view v(line);
    const size_t b = v.find_first_not_of(" \t");
    if (b == std::string_view::npos) {
        rest = {};
        return {};
    }
    size_t e = v.find_first_of(" \t", b);
    if (e == std::string_view::npos)
        e = v.size();
    rest = v.substr(e);
    return v.substr(b, e - b);
}

bool is_blank(const std::string& line)
{
    return line.find_first_not_of(" \t\r\n") == std::string::npos;
}

superlink_node_row node_row(const double (&v)[9])
{
    superlink_node_row r;
    r.ground = v[1], r.invert = v[2], r.area = v[3], r.inlet = static_cast<int>(v[4]);
    r.row = static_cast<int>(v[5]), r.col = static_cast<int>(v[6]), r.grate_side = v[7], r.grate_dia = v[8];
    return r;
}

bool is_keyword(std::string_view w)
{
    return w == "CONNECT" || w == "SJUNC" || w == "SLINK" || w == "NODE" || w == "PIPE";
}

// A comment line: its first word begins with '#'.
bool is_comment(std::string_view w)
{
    return !w.empty() && w[0] == '#';
}

// The counting pass: superlinks, superjunctions and the largest N. A line
// whose first word is no keyword (and no comment) is refused: a misspelt
// card would leave its superlink or superjunction out.
bool count_lines(reader& r)
{
    for (size_t i = 0; i < r.lines.size(); ++i) {
        r.line_no = static_cast<int>(i) + 1;
        std::string_view rest;
        const std::string_view w = first_word(r.lines[i], rest);
        if (w.empty() || is_comment(w))
            continue;
        if (!is_keyword(w)) {
            std::string word(w.substr(0, 40));
            for (char& c : word)
                if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126)
                    c = '?';
            return r.fail("\"" + word +
                          "\" is no card of this file (CONNECT, SJUNC, SLINK, NODE or PIPE, in capitals; a "
                          "comment line begins with #)");
        }
        if (w == "CONNECT") {
            ++r.links;
        } else if (w == "SJUNC") {
            ++r.juncs;
        } else if (w == "SLINK") {
            std::string token;
            pop_token(rest, token);
            double n = 0.0;
            if (!r.take(rest, slink_fields[1], n))
                return false;
            std::fseek(r.fp, r.line_end[i], SEEK_SET);
            if (!check_count(static_cast<long long>(n), pipes_count, r.path, r.line_no, r.fp))
                return false;
            r.max_n = std::max(r.max_n, static_cast<int>(n));
        }
    }
    if (r.links == 0) {
        r.line_no = 0;
        std::printf("Error in the pipe-network file %s: it holds no superlink (no CONNECT line); a network "
                    "needs CONNECT, SJUNC and SLINK lines.\n",
                    r.path.c_str());
        return false;
    }
    const int m = std::max({r.links, r.juncs, r.max_n});
    if (m > 2000)
        std::printf("MAX dimension of superlink arrays too big.  Problem with read routine.\n");
    return true;
}

// The pipe checks of the file, in order: the message of the first that
// fails and the cause for the line naming the file, "" when the pipe passes.
std::string check_pipe(const superlink_pipe_row& p, int pipe, int link, int& tile_drains)
{
    if (p.sec < 1 || p.sec > 3) {
        std::printf("Error: pipe cross-section type not valid: node %d link %d.\n", pipe, link);
        return text_format("section type %d is not 1 (circular), 2 (arch) or 3 (box)", p.sec);
    }
    if (p.rough < 1e-8) {
        std::printf("Error: pipe roughness value not valid: node %d link %d.\n", pipe, link);
        return text_format("the roughness %g is below 1e-8", p.rough);
    }
    if (p.conductivity > 1e-8 && p.spacing < 1e-8) {
        std::printf(
            "Error: drain spacing cannot be zero if pipe conductivity greater than zero: node %d link %d.\n",
            pipe, link);
        return text_format("the drain spacing %g of a leaky pipe is below 1e-8", p.spacing);
    }
    if (p.slope < 0.0)
        std::printf("Warning: pipe slope is negative: node %d link %d\n", pipe, link);
    if (p.length < 1e-8) {
        std::printf("Error: pipe length is zero or negative: node %d link %d.\n", pipe, link);
        return text_format("the length %g is below 1e-8", p.length);
    }
    if (p.sec != 1 && p.width <= 0.0) {
        // Arch and box sections divide by their width.
        std::printf("Error: pipe width must be above 0 for arch and box sections: node %d link %d.\n", pipe,
                    link);
        return text_format("the width %g of an arch or box section is not above 0", p.width);
    }
    if (p.conductivity > 0.0)
        tile_drains = 1;
    return "";
}

// One SLINK block from line i on; i is left on the last line of the block.
// The line that ends a block early is not read as anything else.
bool read_block(reader& r, size_t& i, superlink_file_link& l, int link, int& tile_drains)
{
    std::vector<bool> node_seen(static_cast<size_t>(l.n) + 2, false),
        pipe_seen(static_cast<size_t>(l.n) + 1, false);
    r.cur_n = l.n;
    const int first_line = r.line_no;
    for (++i; i < r.lines.size(); ++i) {
        if (is_blank(r.lines[i]))
            continue;
        r.line_no = static_cast<int>(i) + 1;
        std::string_view rest;
        const std::string_view w = first_word(r.lines[i], rest);
        if (is_comment(w))
            continue;
        double v[9];
        if (w == "NODE") {
            if (!r.take_all(rest, node_fields, v))
                return false;
            const int k = static_cast<int>(v[0]);
            if (node_seen[static_cast<size_t>(k)])
                return r.fail(text_format("node %d of superlink %d is given twice", k, link));
            l.nodes[static_cast<size_t>(k)] = node_row(v);
            node_seen[static_cast<size_t>(k)] = true;
            if (v[2] > v[1])
                std::printf("WARNING: ground elevation less than node bottom. superlink %d, node %d\n", link,
                            k);
        } else if (w == "PIPE") {
            if (!r.take_all(rest, pipe_fields, v))
                return false;
            const int k = static_cast<int>(v[0]);
            if (pipe_seen[static_cast<size_t>(k)])
                return r.fail(text_format("pipe %d of superlink %d is given twice", k, link));
            superlink_pipe_row& p = l.pipes[static_cast<size_t>(k)];
            p.sec = static_cast<int>(v[1]), p.diameter = v[2], p.width = v[3], p.slope = v[4];
            p.rough = v[5], p.length = v[6], p.conductivity = v[7], p.spacing = v[8];
            pipe_seen[static_cast<size_t>(k)] = true;
            const std::string cause = check_pipe(p, k, link, tile_drains);
            if (!cause.empty())
                return r.fail(text_format("pipe %d of superlink %d: ", k, link) + cause);
            if (k == l.n)
                break;
        } else {
            break;
        }
    }
    // A superlink with rows missing would carry pipes of no size.
    const long nodes = std::count(node_seen.begin() + 1, node_seen.end(), true);
    const long pipes = std::count(pipe_seen.begin() + 1, pipe_seen.end(), true);
    if (nodes != l.n + 1 || pipes != l.n) {
        r.line_no = first_line;
        std::printf(
            "Error in the pipe-network file %s, line %d: the block of superlink %d holds %ld of its %d "
            "NODE lines and %ld of its %d PIPE lines.\n",
            r.path.c_str(), first_line, link, nodes, l.n + 1, pipes, l.n);
        return false;
    }
    return true;
}

bool read_lines(model_state& s, reader& r, std::vector<superlink_file_link>& links,
                std::vector<superlink_node_row>& juncs, std::vector<int>& junc_line)
{
    for (size_t i = 0; i < r.lines.size(); ++i) {
        if (is_blank(r.lines[i]))
            continue;
        r.line_no = static_cast<int>(i) + 1;
        std::string_view rest;
        const std::string_view w = first_word(r.lines[i], rest);
        if (w == "CONNECT") {
            double v[3];
            if (!r.take_all(rest, connect_fields, v))
                return false;
            superlink_file_link& l = links[static_cast<size_t>(v[0])];
            if (l.connect_line)
                return r.fail(text_format("a second CONNECT line for superlink %d; the first is line %d",
                                          static_cast<int>(v[0]), l.connect_line));
            l.us = static_cast<int>(v[1]);
            l.ds = static_cast<int>(v[2]);
            l.connect_line = r.line_no;
        } else if (w == "SJUNC") {
            double v[9];
            if (!r.take_all(rest, sjunc_fields, v))
                return false;
            const int j = static_cast<int>(v[0]);
            if (junc_line[static_cast<size_t>(j)])
                return r.fail(text_format("a second SJUNC line for superjunction %d; the first is line %d", j,
                                          junc_line[static_cast<size_t>(j)]));
            juncs[static_cast<size_t>(j)] = node_row(v);
            junc_line[static_cast<size_t>(j)] = r.line_no;
            if (v[2] > v[1])
                std::printf("WARNING: ground elevation less than node bottom. superjunction %d\n", j);
        } else if (w == "SLINK") {
            double v[2];
            if (!r.take_all(rest, slink_fields, v))
                return false;
            const int t = static_cast<int>(v[0]);
            superlink_file_link& l = links[static_cast<size_t>(t)];
            if (l.slink_line)
                return r.fail(
                    text_format("a second SLINK line for superlink %d; the first is line %d", t, l.slink_line));
            l.n = static_cast<int>(v[1]);
            l.slink_line = r.line_no;
            l.nodes.assign(static_cast<size_t>(l.n) + 2, superlink_node_row{});
            l.pipes.assign(static_cast<size_t>(l.n) + 1, superlink_pipe_row{});
            if (!read_block(r, i, l, t, s.tile_drains))
                return false;
        } else if (w == "NODE" || w == "PIPE") {
            return r.fail(std::string(w) + " line outside a superlink block (NODE and PIPE lines follow the "
                                           "SLINK line of their superlink)");
        }
    }
    return true;
}

// Every superlink needs its CONNECT line and its block, every superjunction
// its SJUNC line; a 888 or 999 outlet and an inlet at a superjunction of the
// grid lie within the grid.
bool check_complete(const reader& r, const std::vector<superlink_file_link>& links,
                    const std::vector<superlink_node_row>& juncs, const std::vector<int>& junc_line)
{
    for (int t = 1; t <= r.links; ++t) {
        const superlink_file_link& l = links[static_cast<size_t>(t)];
        if (!l.connect_line || !l.slink_line) {
            std::printf("Error in the pipe-network file %s: superlink %d has no %s line.\n", r.path.c_str(),
                        t, l.connect_line ? "SLINK" : "CONNECT");
            return false;
        }
    }
    for (int j = 1; j <= r.juncs; ++j) {
        if (!junc_line[static_cast<size_t>(j)]) {
            std::printf("Error in the pipe-network file %s: superjunction %d has no SJUNC line.\n",
                        r.path.c_str(), j);
            return false;
        }
        const superlink_node_row& n = juncs[static_cast<size_t>(j)];
        // The position of a 999 outlet is a channel link and node, checked
        // with the channel network.
        if (n.inlet != 999 && (n.row < 0 || n.row > r.rows + 1 || n.col < 0 || n.col > r.cols + 1)) {
            std::printf(
                "Error in the pipe-network file %s, line %d: superjunction %d lies at row %d, column %d, "
                "outside the grid of %d rows and %d columns.\n",
                r.path.c_str(), junc_line[static_cast<size_t>(j)], j, n.row, n.col, r.rows, r.cols);
            return false;
        }
    }
    return true;
}

// The network arrays, sized for the cut network.
void store_network(model_state& s, const reader& r, const std::vector<superlink_file_link>& links,
                   const std::vector<superlink_node_row>& juncs)
{
    const int L = r.links, J = r.juncs;
    int max_seg = 0;
    for (int t = 1; t <= L; ++t)
        max_seg = std::max(max_seg, links[static_cast<size_t>(t)].n);
    s.num_slink = L;
    s.num_sjunc = J;
    s.superlink_max_nodes = max_seg;
    s.superlink_array_dim = std::max({L, J, r.max_n}) + 2;
    s.superlink_array_dim = std::max(s.superlink_array_dim, max_seg);
    s.superlink_node_dim = max_seg + 2;
    const int C = s.superlink_node_dim;

    for (dvec* v : {&s.sjunc_ground_elev, &s.sjunc_invert_elev, &s.sjunc_area, &s.sjunc_grate_sidelength,
                    &s.sjunc_grate_dia, &s.sjunc_head, &s.sjunc_flow})
        v->assign(J, 0.0);
    for (ivec* v : {&s.sjunc_inlet_type, &s.superjunct_i, &s.superjunct_j, &s.bound})
        v->assign(J, 0);
    for (ivec* v : {&s.us_sjunc, &s.ds_sjunc, &s.nnodes, &s.superlink_cnodes})
        v->assign(L, 0);
    for (dvec* v : {&s.slink_zinv_up, &s.slink_zinv_dn})
        v->assign(L, 0.0);
    for (dmat* m : {&s.node_ground_elev, &s.slink_node_Zinv, &s.As, &s.grate_sidelength_node,
                    &s.grate_dia_node, &s.slink_node_depth, &s.Q_node, &s.diameter, &s.width, &s.S0, &s.M_n,
                    &s.dx, &s.superlink_pipe_conductivity, &s.drain_spacing, &s.dxc})
        m->assign(L, C, 0.0);
    for (imat* m :
         {&s.inlet_type, &s.superlink_node_i, &s.superlink_node_j, &s.sec_type, &s.otc_node, &s.otc_pipe})
        m->assign(L, C, 0);

    for (int j = 1; j <= J; ++j) {
        const superlink_node_row& n = juncs[static_cast<size_t>(j)];
        s.sjunc_ground_elev[j] = n.ground;
        s.sjunc_invert_elev[j] = n.invert;
        s.sjunc_area[j] = n.area;
        s.sjunc_inlet_type[j] = n.inlet;
        s.superjunct_i[j] = n.row;
        s.superjunct_j[j] = n.col;
        s.sjunc_grate_sidelength[j] = n.grate_side;
        s.sjunc_grate_dia[j] = n.grate_dia;
        s.bound[j] = n.inlet > 10 ? 1 : 0;
    }
    for (int t = 1; t <= L; ++t) {
        const superlink_file_link& l = links[static_cast<size_t>(t)];
        s.us_sjunc[t] = l.us;
        s.ds_sjunc[t] = l.ds;
        s.nnodes[t] = l.file_n;
        s.superlink_cnodes[t] = l.n;
        for (int k = 1; k <= l.n + 1; ++k) {
            const superlink_node_row& n = l.nodes[static_cast<size_t>(k)];
            s.node_ground_elev[t][k] = n.ground;
            s.slink_node_Zinv[t][k] = n.invert;
            s.As[t][k] = n.area;
            s.inlet_type[t][k] = n.inlet;
            s.superlink_node_i[t][k] = n.row;
            s.superlink_node_j[t][k] = n.col;
            s.grate_sidelength_node[t][k] = n.grate_side;
            s.grate_dia_node[t][k] = n.grate_dia;
        }
        for (int k = 1; k <= l.n; ++k) {
            const superlink_pipe_row& p = l.pipes[static_cast<size_t>(k)];
            s.sec_type[t][k] = p.sec;
            s.diameter[t][k] = p.diameter;
            s.width[t][k] = p.width;
            s.S0[t][k] = p.slope;
            s.M_n[t][k] = p.rough;
            s.dx[t][k] = p.length;
            s.superlink_pipe_conductivity[t][k] = p.conductivity;
            s.drain_spacing[t][k] = p.spacing;
            s.dxc[t][k] = p.dxc;
        }
        for (size_t k = 1; k < l.otc_node.size(); ++k)
            s.otc_node[t][k] = l.otc_node[k];
        for (size_t k = 1; k < l.otc_pipe.size(); ++k)
            s.otc_pipe[t][k] = l.otc_pipe[k];
    }
}

} // namespace

int read_superlink_file(model_state& s, file_rec& pipe_file, file_rec& grid_pipe_file, int c_option)
{
    reader r;
    r.path = s.storm_sewer_name;
    r.rows = s.rows;
    r.cols = s.cols;
    r.fp = pipe_file.fp;
    std::string line;
    while (pipe_file.fp && read_raw_line(pipe_file.fp, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        r.lines.push_back(line);
        r.line_end.push_back(std::ftell(pipe_file.fp));
    }
    if (!count_lines(r))
        return -1;
    std::vector<superlink_file_link> links(static_cast<size_t>(r.links) + 1);
    std::vector<superlink_node_row> juncs(static_cast<size_t>(r.juncs) + 1);
    std::vector<int> junc_line(static_cast<size_t>(r.juncs) + 1, 0);
    s.tile_drains = 0;
    if (!read_lines(s, r, links, juncs, junc_line) || !check_complete(r, links, juncs, junc_line))
        return -1;

    for (size_t t = 1; t < links.size(); ++t) {
        superlink_file_link& l = links[t];
        l.file_n = l.n;
        if (c_option == 1) {
            cut_superlink_segments(static_cast<int>(t), l);
        } else {
            for (int k = 1; k <= l.n; ++k)
                l.pipes[static_cast<size_t>(k)].dxc = l.pipes[static_cast<size_t>(k)].length;
        }
    }
    try {
        store_network(s, r, links, juncs);
    } catch (const std::bad_alloc&) {
        std::printf("Error allocating memory for variable %s\n", "superlink network");
        return -1;
    }
    if (s.tile_drains == 1) {
        if (!grid_pipe_file.fp) {
            std::printf("\nSince you have leaky pipes you must include the GRID_PIPE card and grid pipe "
                        "input file in "
                        "your project file");
            error_set(err_open_file, "tile drain grid pipe", s.grid_pipe_name.c_str());
            return 0;
        }
        return read_grid_pipe_file(s, grid_pipe_file, links);
    }
    return 0;
}
