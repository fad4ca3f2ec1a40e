// The grid-pipe file of the leaky pipes: which grid cells drain into which
// pipe nodes, and by what factor.
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <map>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "channel/superlink_input.h"
#include "core/check_count.h"
#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/model_state.h"
#include "core/text_parse.h"
#include "input/reader_echo.h"

int gridpipe_card_kind(std::string& line)
{
    size_t b = 0;
    while (b < line.size() && (line[b] == '\t' || line[b] == '\n' || line[b] == ' '))
        ++b;
    size_t e = b;
    while (e < line.size() && line[e] != '\0' && line[e] != '\t' && line[e] != '\n' && line[e] != ' ')
        ++e;
    std::string word = line.substr(b, e - b);
    for (char& c : word)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    line.erase(0, e);
    if (word == "pipecells")
        return 0;
    if (word == "cellij")
        return 1;
    if (word == "numpipes")
        return 2;
    if (word == "spipe")
        return 3;
    return 4;
}

namespace
{

enum gp_kind { gp_pipecells = 0, gp_cellij = 1, gp_numpipes = 2, gp_spipe = 3, gp_other = 4 };

// Entries of the [cell][entry] tables.
constexpr double max_gpi_entries = 1e7;

struct gp_reader {
    file_rec& rec;
    const std::string& path;
    int line_no = 0;
    std::string line;

    bool next()
    {
        if (!read_line_rec(line, rec))
            return false;
        ++line_no;
        return true;
    }
    void rewind()
    {
        std::rewind(rec.fp);
        line_no = 0;
    }
    int refuse(const std::string& what, int value = 0)
    {
        std::printf("Error in the grid-pipe file %s", path.c_str());
        if (line_no > 0)
            std::printf(", line %d", line_no);
        std::printf(": %s", what.c_str());
        if (value)
            std::printf(" (%d)", value);
        std::printf(".\n");
        return -9;
    }
    // Takes a whole number within lo..hi; false after the message.
    bool take(std::string_view& rest, const char* name, int lo, int hi, int& out)
    {
        const num_status st = pop_int_strict(rest, out);
        if (st == num_status::ok && out >= lo && out <= hi)
            return true;
        std::printf("Error in the grid-pipe file %s, line %d: %s %s (allowed %d to %d).\n", path.c_str(),
                    line_no, name, st == num_status::ok ? "is out of range" : num_status_text(st), lo, hi);
        return false;
    }
};

} // namespace

int read_grid_pipe_file(model_state& s, file_rec& rec, const std::vector<superlink_file_link>& links)
{
    gp_reader g{rec, s.grid_pipe_name, 0, {}};
    s.gpi_ncells = 0;
    s.gpi_max_entries = 0;
    std::string token;
    std::string_view rest;
    if (!g.next() || (rest = g.line, !pop_token(rest, token)) || token.compare(0, 12, "GRIDPIPEFILE") != 0) {
        // Reading on without its header would leave the leaky pipes
        // without cells while the run reports success.
        std::printf("The gridpipe file format is invalid\n");
        std::printf("Error in the grid-pipe file %s: its first line must begin with GRIDPIPEFILE.\n",
                    g.path.c_str());
        return -9;
    }
    if (!g.next() || gridpipe_card_kind(g.line) != gp_pipecells) {
        std::printf("The second card in the grid-pipe file must be PIPECELLS\n");
        std::printf("File format error, program terminating.\n");
        return g.refuse("the second line must be a PIPECELLS line");
    }
    int n = 0;
    rest = g.line;
    const num_status st = pop_int_strict(rest, n);
    if (st != num_status::ok || n < 1) {
        std::printf("The number of PIPECELLS in the gridpipe (.gpi) file\n");
        std::printf("must be greater than 0.  File format error, program terminating\n");
        if (st != num_status::ok) {
            g.refuse(std::string("the count of PIPECELLS ") + num_status_text(st));
            return -9;
        }
    }
    // Each cell takes a CELLIJ and a NUMPIPES line ("CELLIJ 1 1", "NUMPIPES 1").
    const count_field cells_count{"PIPECELLS", 1, static_cast<long long>(s.rows) * s.cols, 22};
    if (!check_count(n, cells_count, g.path, g.line_no, rec.fp))
        return -9;
    // A cell drains into at most every node of the network, each entry an
    // SPIPE line ("SPIPE 1 1 1").
    long long pipe_nodes = 0;
    for (size_t t = 1; t < links.size(); ++t)
        pipe_nodes += links[t].file_n + 1;
    const count_field entries_count{"NUMPIPES", 0, pipe_nodes, 12};
    try {
        s.gpi_ncellsingrid.assign(n, 0);
    } catch (const std::bad_alloc&) {
        std::printf("Error allocating memory for variable %s\n", "gpi_ncellsingrid");
        return -9;
    }
    int cell = 0;
    while (g.next()) {
        if (gridpipe_card_kind(g.line) != gp_numpipes)
            continue;
        if (++cell > n)
            return g.refuse("more NUMPIPES lines than PIPECELLS", n);
        rest = g.line;
        if (!g.take(rest, "NUMPIPES", 0, INT_MAX, s.gpi_ncellsingrid[cell]) ||
            !check_count(s.gpi_ncellsingrid[cell], entries_count, g.path, g.line_no, rec.fp))
            return -9;
        s.gpi_max_entries = std::max(s.gpi_max_entries, s.gpi_ncellsingrid[cell]);
    }
    const int m = s.gpi_max_entries;
    if (static_cast<double>(n) * std::max(m, 1) > max_gpi_entries) {
        g.line_no = 0;
        return g.refuse(text_format("its table of %d cells by %d entries is more than the %.0f entries it may hold",
                                    n, m, max_gpi_entries));
    }
    try {
        s.gpi_link.assign(n, m, 0);
        s.gpi_node.assign(n, m, 0);
        s.gpi_gnum.assign(n, m, 0);
        s.gpi_pct.assign(n, m, 0.0);
    } catch (const std::bad_alloc&) {
        std::printf("Error allocating memory for variable %s\n", "gpi_link");
        return -9;
    }
    s.gpi_ncells = n;

    g.rewind();
    cell = 0;
    int entry = 0, gnum = 0, cell_line = 0;
    bool numpipes_seen = false;
    std::map<std::pair<int, int>, int> first_line; // of each (row, column) given
    const int L = static_cast<int>(links.size()) - 1;
    // The cell that ends must hold the entries its NUMPIPES line announced.
    auto cell_complete = [&]() {
        if (cell < 1 || (numpipes_seen && entry - 1 == s.gpi_ncellsingrid[cell]))
            return true;
        const int at = g.line_no;
        g.line_no = cell_line;
        if (!numpipes_seen)
            g.refuse(text_format("cell %d has no NUMPIPES line after its CELLIJ line", cell));
        else
            g.refuse(text_format("cell %d has %d of the %d SPIPE lines its NUMPIPES line announces", cell,
                                 entry - 1, s.gpi_ncellsingrid[cell]));
        g.line_no = at;
        return false;
    };
    while (g.next()) {
        const int kind = gridpipe_card_kind(g.line);
        rest = g.line;
        if (kind == gp_cellij) {
            if (!cell_complete())
                return -9;
            int row = 0, col = 0;
            if (++cell > n)
                return g.refuse("more CELLIJ lines than PIPECELLS", n);
            if (!g.take(rest, "row", 1, s.rows, row) || !g.take(rest, "column", 1, s.cols, col))
                return -9;
            const auto seen = first_line.emplace(std::make_pair(row, col), g.line_no);
            if (!seen.second)
                return g.refuse(text_format("the cell at row %d, column %d is given twice; its first CELLIJ line "
                                            "is line %d",
                                            row, col, seen.first->second));
            gnum = s.mask[row][col];
            entry = 1;
            cell_line = g.line_no;
            numpipes_seen = false;
        } else if (kind == gp_numpipes) {
            if (cell < 1 || numpipes_seen)
                return g.refuse("every NUMPIPES line follows the CELLIJ line of its cell");
            numpipes_seen = true;
        } else if (kind == gp_pipecells && g.line_no > 2) {
            return g.refuse("the file has one PIPECELLS line, its second");
        } else if (kind == gp_spipe) {
            if (cell < 1)
                return g.refuse("SPIPE line before the first CELLIJ line");
            if (!numpipes_seen)
                return g.refuse("SPIPE line before the NUMPIPES line of its cell");
            if (entry > s.gpi_ncellsingrid[cell])
                return g.refuse("more SPIPE lines in the cell than its NUMPIPES", s.gpi_ncellsingrid[cell]);
            int link = 0, node = 0;
            double pct = 0.0;
            if (!g.take(rest, "superlink", 1, L, link) ||
                !g.take(rest, "node", 1, links[static_cast<size_t>(link)].file_n + 1, node))
                return -9;
            const num_status fst = pop_double_strict(rest, pct);
            if (fst != num_status::ok || pct < 0.0) {
                std::printf("Error in the grid-pipe file %s, line %d: factor %s.\n", g.path.c_str(), g.line_no,
                            fst != num_status::ok ? num_status_text(fst) : "is below 0");
                return -9;
            }
            s.gpi_link[cell][entry] = link;
            s.gpi_node[cell][entry] = node;
            s.gpi_pct[cell][entry] = pct;
            s.gpi_gnum[cell][entry] = gnum;
            ++entry;
        }
    }
    if (!cell_complete())
        return -9;
    if (cell < n) {
        g.line_no = 0;
        return g.refuse(text_format("it has %d of the %d cells (CELLIJ lines) its PIPECELLS line announces (is the "
                                    "file cut short?)",
                                    cell, n));
    }
    std::printf("Finished reading gridpipe file.\n");
    return 0;
}
