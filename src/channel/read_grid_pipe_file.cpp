// The grid-pipe file of the leaky pipes: which grid cells drain into which
// pipe nodes, and by what factor.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <new>
#include <string>
#include <string_view>

#include "channel/superlink_input.h"
#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/model_state.h"
#include "core/text_parse.h"

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
    int refuse(const char* what, int value = 0)
    {
        std::printf("Error in the grid-pipe file %s, line %d: %s", path.c_str(), line_no, what);
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
        return -9;
    }
    int n = 0;
    rest = g.line;
    if (pop_int_strict(rest, n) != num_status::ok || n < 1) {
        std::printf("The number of PIPECELLS in the gridpipe (.gpi) file\n");
        std::printf("must be greater than 0.  File format error, program terminating\n");
        return -9;
    }
    if (n > std::max(s.rows, 1) * std::max(s.cols, 1))
        return g.refuse("PIPECELLS exceeds the number of grid cells", n);
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
        if (!g.take(rest, "NUMPIPES", 0, 1000000, s.gpi_ncellsingrid[cell]))
            return -9;
        s.gpi_max_entries = std::max(s.gpi_max_entries, s.gpi_ncellsingrid[cell]);
    }
    const int m = s.gpi_max_entries;
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
    int entry = 0, gnum = 0;
    const int L = static_cast<int>(links.size()) - 1;
    while (g.next()) {
        const int kind = gridpipe_card_kind(g.line);
        rest = g.line;
        if (kind == gp_cellij) {
            int row = 0, col = 0;
            if (++cell > n)
                return g.refuse("more CELLIJ lines than PIPECELLS", n);
            if (!g.take(rest, "row", 1, s.rows, row) || !g.take(rest, "column", 1, s.cols, col))
                return -9;
            gnum = s.mask[row][col];
            entry = 1;
        } else if (kind == gp_spipe) {
            if (cell < 1)
                return g.refuse("SPIPE line before the first CELLIJ line");
            if (entry > s.gpi_ncellsingrid[cell])
                return g.refuse("more SPIPE lines in the cell than its NUMPIPES", s.gpi_ncellsingrid[cell]);
            int link = 0, node = 0;
            double pct = 0.0;
            if (!g.take(rest, "superlink", 1, L, link) ||
                !g.take(rest, "node", 1, links[static_cast<size_t>(link)].file_n + 1, node))
                return -9;
            const num_status st = pop_double_strict(rest, pct);
            if (st != num_status::ok) {
                std::printf("Error in the grid-pipe file %s, line %d: factor %s.\n", g.path.c_str(),
                            g.line_no, num_status_text(st));
                return -9;
            }
            s.gpi_link[cell][entry] = link;
            s.gpi_node[cell][entry] = node;
            s.gpi_pct[cell][entry] = pct;
            s.gpi_gnum[cell][entry] = gnum;
            ++entry;
        }
    }
    std::printf("Finished reading gridpipe file.\n");
    return 0;
}
