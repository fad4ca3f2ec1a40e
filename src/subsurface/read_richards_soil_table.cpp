// The Richards soil table, standalone (SOIL_LAYER_INPUT_FILE) or a section of
// the mapping table (headed form). Per type three layer lines: conductivity
// (cm/h), porosity, residual, initial water content, wilting point, field
// capacity, thickness (cm), then for Brooks-Corey the pore-size index, the
// bubbling head (cm, stored negative) and the node spacing (cm); for
// Havercamp ALPHA, BETA, AHAV, BHAV and the node spacing. The standalone file
// of a long-term run gives each type four vegetation values after its id.
// Then each cell's node count follows from its type and the water table.
#include "subsurface/soil_tables.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/check_count.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "core/text_parse.h"
#include "input/mapping_table.h"
#include "input/word_reader.h"

namespace
{

constexpr double any = 1e300;

// The fields of a layer line in file order, per model.
const num_field common_fields[] = {
    {"conductivity", 0.0, any},          {"porosity", 0.0, 1.0},      {"residual water content", 0.0, 1.0},
    {"initial water content", 0.0, 1.0}, {"wilting point", 0.0, 1.0}, {"field capacity", 0.0, 1.0},
    {"thickness", 0.0, any},
};
const num_field brooks_fields[] = {{"pore-size index", 1e-300, any}, {"bubbling head", -any, any},
                                   {"node spacing", 1e-300, any}};
const num_field havercamp_fields[] = {{"ALPHA", 1e-300, any}, {"BETA", 1e-300, any}, {"AHAV", 0.0, any},
                                      {"BHAV", 0.0, any},      {"node spacing", 1e-300, any}};
const num_field veg_fields[] = {{"albedo", 0.0, 1.0},
                                {"vegetation height", 0.0, any},
                                {"transmission coefficient", 0.0, any},
                                {"canopy resistance", 0.0, any}};

double* slot(soil_layer_rec& r, int model, int f)
{
    double* common[] = {r.hyd_cond, r.porosity, r.residual_sat, r.init_moisture, r.wilting_point, r.field_capacity,
                        r.depth};
    if (f < 7)
        return common[f];
    double* brooks[] = {r.pore_index, r.bubbling_head, r.node_spacing};
    double* havercamp[] = {r.hav_alpha, r.hav_beta, r.hav_a, r.hav_b, r.node_spacing};
    return model == 1 ? brooks[f - 7] : havercamp[f - 7];
}

const num_field& field_of(int model, int f)
{
    if (f < 7)
        return common_fields[f];
    return model == 1 ? brooks_fields[f - 7] : havercamp_fields[f - 7];
}

bool stop(const char* text)
{
    std::fputs(text, stdout);
    error_set(err_stop);
    report_error(error_state);
    return false;
}

// A value that stops the run names the table, soil id, layer and field.
bool take(std::string_view& v, bool have, const char* file, int id, int layer, const num_field& field, double& out)
{
    char msg[512];
    const num_status st = have ? pop_double_strict(v, out) : num_status::empty;
    if (st != num_status::ok) {
        std::snprintf(msg, sizeof msg, "Error: soil table %s, soil id %d, layer %d: the %s %s.\n", file, id, layer,
                      field.name, num_status_text(st));
        return stop(msg);
    }
    if (out < field.low || out > field.high) {
        std::snprintf(msg, sizeof msg, "Error: soil table %s, soil id %d, layer %d: the %s %g is outside %g to %g.\n",
                      file, id, layer, field.name, out, field.low, field.high);
        return stop(msg);
    }
    return true;
}

// Text source of the table: the standalone file as a stream of words, the
// mapping-table section line by line.
struct table_text {
    file_rec& table;
    bool headed;
    std::string line;
    std::string_view rest;
    bool have = false;
    // Standalone form: where each word starts in line, and its file line.
    std::vector<std::pair<std::size_t, int>> word_lines;

    // Loads the words of the next layer line (headed form) or the rest of
    // the file (standalone form, on the first call).
    void next_line()
    {
        if (headed) {
            have = read_line_rec(line, table) == 1;
            rest = line;
            return;
        }
        if (!have) {
            std::string word;
            word_reader in(table.fp);
            while (in.next(word)) {
                word_lines.emplace_back(line.size(), in.line());
                line += word + " ";
            }
            rest = line;
            have = true;
        }
    }

    // The file line of the next word to read (of the last line read, headed).
    int line_no() const
    {
        if (headed || word_lines.empty())
            return table.line_no;
        const std::size_t at = static_cast<std::size_t>(rest.data() - line.data());
        auto it = std::upper_bound(word_lines.begin(), word_lines.end(), std::make_pair(at, INT_MAX));
        return it == word_lines.begin() ? word_lines.front().second : std::prev(it)->second;
    }
};

// Nodes a column may have, and all columns together: the column matrices
// (sixteen to twenty of them) are sized cells x the deepest column.
constexpr long long max_column_nodes = 100000;
constexpr long long max_all_nodes = 50000000;

// floor(a / b) as a count that check_count can weigh (1e18 for any larger).
long long node_quotient(double a, double b)
{
    const double q = std::floor(a / b);
    return q < 1e18 ? static_cast<long long>(q) : 1000000000000000000LL;
}

bool check_nodes(long long nodes, const std::string& what, const std::string& file, int line)
{
    const count_field field{what.c_str(), 0, max_column_nodes, 0};
    return check_count(nodes, field, file, line);
}

bool soil_id(table_text& t, const char* file, int index, int count, int& id)
{
    char msg[512];
    if (t.headed)
        t.next_line();
    const num_status st = t.have ? pop_int_strict(t.rest, id) : num_status::empty;
    if (st != num_status::ok) {
        std::snprintf(msg, sizeof msg, "Error: soil table %s: the id of soil type %d of %d %s.\n", file, index, count,
                      num_status_text(st));
        return stop(msg);
    }
    if (id < 0 || id >= soil_type_count) {
        std::snprintf(msg, sizeof msg, "Error: soil table %s: soil id %d is outside 0 to %d.\n", file, id,
                      soil_type_count - 1);
        return stop(msg);
    }
    return true;
}

// Nodes of a cell's column below a water table: the soil's own nodes and
// those of the aquifer between the soil's base and the aquifer bottom.
long long water_table_nodes(double aquifer, double delta_z, int num3)
{
    if (aquifer <= 0.0)
        return num3 + 1;
    const double ratio = aquifer / delta_z;
    if (ratio < 1.0)
        return num3 + 2;
    const long long whole = node_quotient(aquifer, delta_z);
    if (whole >= 1000000000000000000LL)
        return whole;
    return num3 + whole + 1 + (ratio - static_cast<double>(whole) >= 0.25 ? 1 : 0);
}

} // namespace

int read_richards_soil_table(model_state& s, file_rec& table, int model, int headed)
{
    if (model != 1 && model != 2)
        return 0;
    char msg[512];
    const std::string name = table.name;
    const char* file = name.c_str();
    table_text t{table, headed != 0, {}, {}, false, {}};
    int count = 0;
    if (headed) {
        count = read_num_ids(table);
        std::string unused;
        read_line_rec(unused, table);
        skip_table_headers(table);
    } else {
        t.next_line();
        int unused = 0;
        if (pop_int_strict(t.rest, count) != num_status::ok || pop_int_strict(t.rest, unused) != num_status::ok)
            count = 0;
    }
    if (count <= 0) {
        std::snprintf(msg, sizeof msg, "Error: soil table %s: the number of soil types is missing.\n", file);
        stop(msg);
        return -1;
    }

    if (s.water_table && !(s.aquifer_delta_z > 0.0)) {
        std::snprintf(msg, sizeof msg,
                      "Error: soil table %s: the Richards columns below a water table need a positive "
                      "AQUIFER_DELTA_Z.\n",
                      file);
        stop(msg);
        return -1;
    }
    const bool veg = !headed && s.long_term;
    const int fields = model == 1 ? 10 : 12;
    std::vector<char> seen(soil_type_count, 0);
    std::vector<int> id_line(soil_type_count, 0);
    int largest = 0;
    for (int k = 1; k <= count; ++k) {
        int id = 0;
        const int line_of_id = t.headed ? 0 : t.line_no();
        if (!soil_id(t, file, k, count, id))
            return -1;
        const int at = t.headed ? table.line_no : line_of_id;
        if (!soil_id_first_time(id_line, id, at, file))
            return -1;
        soil_layer_rec& rec = s.soil_layers[static_cast<std::size_t>(id)];
        seen[static_cast<std::size_t>(id)] = 1;
        largest = std::max(largest, id);
        if (veg) {
            double* v[] = {&rec.albedo, &rec.veg_height, &rec.trans_coeff, &rec.canopy_resist};
            for (int f = 0; f < 4; ++f)
                if (!take(t.rest, t.have, file, id, 0, veg_fields[f], *v[f]))
                    return -1;
        }
        for (int layer = 0; layer < 3; ++layer) {
            if (headed && layer > 0)
                t.next_line();
            if (headed && layer == 0)
                t.rest = t.line.size() > 87 ? std::string_view(t.line).substr(87) : std::string_view();
            for (int f = 0; f < fields; ++f)
                if (!take(t.rest, t.have, file, id, layer + 1, field_of(model, f), slot(rec, model, f)[layer]))
                    return -1;
            // Each line of the mapping-table section holds exactly its values
            // (a remark may follow); the standalone file is a stream of numbers.
            if (headed && !refuse_extra_value(t.rest, model == 1 ? tc_richards_brooks : tc_richards_havercamp,
                                              name, table.line_no, id, fields))
                return -1;
            if (model == 1)
                rec.bubbling_head[layer] = -std::fabs(rec.bubbling_head[layer]);
        }
    }

    // Node counts per soil type, sized by the largest id in use.
    s.num1.assign(largest, 0);
    s.num2.assign(largest, 0);
    s.num3.assign(largest, 0);
    for (int id = 0; id <= largest; ++id) {
        if (!seen[static_cast<std::size_t>(id)])
            continue;
        const soil_layer_rec& r = s.soil_layers[static_cast<std::size_t>(id)];
        long long layer_nodes[3];
        for (int L = 0; L < 3; ++L) {
            layer_nodes[L] = node_quotient(r.depth[L], r.node_spacing[L]);
            char what[160];
            std::snprintf(what, sizeof what, "node count of layer %d of soil id %d (thickness %g cm / node spacing %g cm)",
                          L + 1, id, r.depth[L], r.node_spacing[L]);
            if (!check_nodes(layer_nodes[L], what, name, id_line[static_cast<std::size_t>(id)]))
                return -1;
        }
        const long long column = layer_nodes[0] + layer_nodes[1] + layer_nodes[2] + 1 - (s.water_table ? 1 : 0);
        char what[96];
        std::snprintf(what, sizeof what, "node count of the column of soil id %d", id);
        if (!check_nodes(column, what, name, id_line[static_cast<std::size_t>(id)]))
            return -1;
        s.num1[id] = static_cast<int>(layer_nodes[0]);
        s.num2[id] = s.num1[id] + static_cast<int>(layer_nodes[1]);
        s.num3[id] = static_cast<int>(column);
    }

    const int n = s.num_cells;
    int most = 0;
    for (int i = 1; i <= n && i <= s.soiltype.size() && i <= s.numcells.size(); ++i) {
        const int type = s.soiltype[i];
        if (type < 0 || type > largest || !seen[static_cast<std::size_t>(type)]) {
            std::snprintf(msg, sizeof msg, "Error: soil table %s has no soil id %d, the soil type of cell %d.\n", file,
                          type, i);
            stop(msg);
            return -1;
        }
        const soil_layer_rec& r = s.soil_layers[static_cast<std::size_t>(type)];
        if (veg) {
            dvec* dest[] = {&s.dist_albedo, &s.dist_veg_height, &s.dist_trans_coeff, &s.dist_canopy_resist};
            const double v[] = {r.albedo, r.veg_height, r.trans_coeff, r.canopy_resist};
            for (int f = 0; f < 4; ++f)
                if (i <= dest[f]->size())
                    (*dest[f])[i] = v[f];
        }
        int nodes = s.num3[type];
        if (s.water_table && i <= s.ground_elev.size() && i <= s.bottom_elev.size()) {
            const double aquifer =
                (s.ground_elev[i] - s.bottom_elev[i]) - (r.depth[0] + r.depth[1] + r.depth[2]) / 100.0;
            const long long with_aquifer = water_table_nodes(aquifer, s.aquifer_delta_z, s.num3[type]);
            char what[200];
            std::snprintf(what, sizeof what,
                          "node count of the column of cell %d (soil id %d over %g m of aquifer at AQUIFER_DELTA_Z %g m)",
                          i, type, aquifer, s.aquifer_delta_z);
            if (!check_nodes(with_aquifer + 9, what, name, id_line[static_cast<std::size_t>(type)]))
                return -1;
            nodes = static_cast<int>(with_aquifer);
            if (i <= s.numtot.size())
                s.numtot[i] = nodes;
            nodes += 9;
        } else if (i <= s.numtot.size()) {
            s.numtot[i] = nodes;
        }
        s.numcells[i] = nodes;
        most = std::max(most, nodes);
    }
    if (static_cast<long long>(n) * (most + 2) > max_all_nodes) {
        std::snprintf(msg, sizeof msg,
                      "Error: soil table %s: the Richards columns of %d cells with up to %d nodes need %lld nodes; "
                      "the model holds at most %lld. Use a coarser node spacing.\n",
                      file, n, most + 2, static_cast<long long>(n) * (most + 2), max_all_nodes);
        stop(msg);
        return -1;
    }
    return most + 2;
}
