// Initial values of the nutrient module's stream constituents: the stream
// mapping tables fill the stream part's arrays; then each constituent by
// its card: a uniform value or a continuous stream map on the links with
// cross-sections, or the table. Every way gives the node masses (node area
// x node spacing x concentration). The first error met is kept, the other
// constituents are still assigned, and the run stops.
#include <cstdio>
#include <string>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/stream_mapping.h"
#include "quality/qbn_services.h"

namespace
{

enum init_mode { mode_map = 1, mode_table = 2, mode_uniform = 3 };
constexpr int section_links = 4 | 8 | 16;

// Which stream table fills each water constituent.
const int water_table[qbn_constituent_count] = {st_qbn_n, st_qbn_n,   st_qbn_n,   st_qbn_n,  st_qbn_p,
                                                st_qbn_p, st_qbn_oth, st_qbn_oth, st_qbn_oth};

void keep_first(int code, const std::string& what, const std::string& file)
{
    if (!run_stopped())
        error_set(code, what.empty() ? nullptr : what.c_str(), file.empty() ? nullptr : file.c_str());
}

// Calls f(slot, link, node) for the nodes of every link with a cross-section.
template <class F> void for_section_nodes(const model_state& s, F&& f)
{
    const int stride = s.max_nodes + 1;
    for (int i = 1; i <= s.num_links && i <= s.ltype.size() && i <= s.nx.size(); ++i) {
        if (!(s.ltype[i] & section_links))
            continue;
        for (int j = 1; j <= s.nx[i] && j <= s.max_nodes; ++j)
            f(i * stride + j, i, j);
    }
}

void set_masses(const model_state& s, qbn_constituent& c)
{
    for_section_nodes(
        s, [&](int slot, int i, int j) { c.mass[slot] = s.area[j][i] * s.link_dx[i] * c.conc[slot]; });
}

void assign_stream_constituent(model_state& s, const qbn_init_entry& e, const std::string& title,
                               qbn_constituent& c, bool table_read)
{
    switch (e.kind) {
    case mode_uniform:
        std::printf("Assigning spatially uniform parameters for the stream constituent %s\n", title.c_str());
        for_section_nodes(s, [&](int slot, int, int) { c.conc[slot] = e.value; });
        set_masses(s, c);
        return;
    case mode_table:
        if (!table_read) {
            keep_first(err_nutrient_no_stream_table, title, "");
            return;
        }
        std::printf("Assigning parameters for the stream constituent %s from the mapping table.\n",
                    title.c_str());
        set_masses(s, c);
        return;
    case mode_map: {
        imat unused;
        const int rc = read_stream_map_file(e.map, s.num_links, s.max_nodes, s.nx, unused, c.conc.data,
                                            stream_map_reals);
        if (rc == -1) {
            std::printf(
                "Error opening initial condition continuous map file \nfor the stream %s constituent. \n"
                "Given filename: %s\n",
                title.c_str(), e.map.c_str());
            keep_first(err_nutrient_file_open, "", e.map);
            return;
        }
        if (rc != 0) {
            std::printf("Error: the stream map %s of the %s constituent cannot be read.\n", e.map.c_str(),
                        title.c_str());
            keep_first(err_stop, "", "");
            return;
        }
        std::printf("Assigning parameters from a continuous map for the stream constituent %s\n",
                    title.c_str());
        set_masses(s, c);
        return;
    }
    default:
        return;
    }
}

} // namespace

void assign_stream_constituents(qbn_model& m, model_state& s)
{
    qbn_stream& p = m.stream;
    auto sp = [&](int k) { return p.species[k].conc.data; };
    // Table, its presence flag and its destinations.
    const struct {
        int id;
        int flag;
        stream_destinations dest;
    } tables[] = {
        {st_qbn_n, 1, {sp(0), sp(1), sp(2), sp(3)}},
        {st_qbn_p, 2, {sp(4), sp(5), nullptr, nullptr}},
        {st_qbn_c, 4, {p.doc.data, p.foc.data, nullptr, nullptr}},
        {st_qbn_oth, 3, {sp(6), sp(7), sp(8), nullptr}},
        {st_dispersion, 5, {p.dispersion.data, nullptr, nullptr, nullptr}},
    };
    bool read[st_dispersion + 1] = {};
    for (const auto& t : tables) {
        if (s.st_mapping_table_name.empty() || !s.stream_table_flags[t.flag])
            continue;
        read[t.id] = read_stream_mapping_table(s.st_mapping_table_name, t.id, t.dest, s.num_links,
                                               s.max_nodes, s.nx) != 0;
        if (run_stopped())
            return;
    }
    for (int f = 0; f < qbn_constituent_count; ++f) {
        std::string title;
        qbn_constituent_title(title, f, 0);
        assign_stream_constituent(s, m.st_init[f], title, p.species[f], read[water_table[f]]);
    }
}
