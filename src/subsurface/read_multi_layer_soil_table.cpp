// The MULTI_LAYER_SOIL section of the mapping table: NUM_IDS, a second count
// line that is not used, the column headers, then three lines per id. The
// first begins with the id and a description; the first non-zero number
// after the id (within 87 words) is the layer-1 conductivity and the layer's
// other values follow. The other two lines begin with the conductivity.
#include "subsurface/soil_tables.h"

#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/model_state.h"
#include "core/text_parse.h"
#include "input/mapping_table.h"

namespace
{

constexpr int description_words = 87;

// A word that spells a number beyond the reals: nan, inf, infinity (any
// case, signed) or one too large for a double.
bool non_finite_number(const std::string& word)
{
    std::string w = word;
    if (!w.empty() && (w[0] == '-' || w[0] == '+'))
        w.erase(0, 1);
    for (char& c : w)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return w == "nan" || w == "inf" || w == "infinity";
}

// The layer-1 conductivity of a first line: the first word after the id that
// reads as a non-zero number; words of the description are passed over. A
// word that spells a number the model cannot take (nan, inf, 1e400) is the
// conductivity too, and is refused as such: status and word are returned.
num_status first_conductivity(std::string_view& v, double& k, std::string& word)
{
    for (int w = 0; w < description_words && pop_token(v, word); ++w) {
        double x = 0.0;
        const num_status st = parse_double_strict(word, x);
        if (st == num_status::ok && x != 0.0) {
            k = x;
            return st;
        }
        if (st == num_status::out_of_range || (st == num_status::not_finite && non_finite_number(word)))
            return st;
    }
    return num_status::empty;
}

} // namespace

int read_multi_layer_soil_table(file_rec& table, const std::string& name, soil_type_table& types)
{
    char msg[512];
    const char* file = name.c_str();
    const int count = read_num_ids(table);
    if (count <= 0) {
        std::snprintf(msg, sizeof msg, "Error: soil table %s: MULTI_LAYER_SOIL has no NUM_IDS line with a count.\n",
                      file);
        soil_table_stop(msg);
        return -1;
    }
    std::string line;
    read_line_rec(line, table); // second count line, not used
    skip_table_headers(table);

    std::vector<int> id_line(soil_type_count, 0); // where each id was given, 0: not yet
    for (int t = 1; t <= count; ++t) {
        int id = 0;
        num_status st = num_status::empty;
        std::string_view v;
        if (read_line_rec(line, table) == 1) {
            v = line;
            st = pop_int_strict(v, id);
        }
        if (st != num_status::ok) {
            std::snprintf(msg, sizeof msg, "Error: soil table %s: the id of soil type %d of %d %s.\n", file, t, count,
                          num_status_text(st));
            soil_table_stop(msg);
            return -1;
        }
        if (id < 0 || id >= soil_type_count) {
            std::snprintf(msg, sizeof msg, "Error: soil table %s: soil id %d is outside 0 to %d.\n", file, id,
                          soil_type_count - 1);
            soil_table_stop(msg);
            return -1;
        }
        if (!soil_id_first_time(id_line, id, table.line_no, file))
            return -1;
        soil_layer_rec& rec = types.soil_layers[static_cast<std::size_t>(id)];
        double k = 0.0;
        std::string word;
        const num_status kst = first_conductivity(v, k, word);
        if (kst == num_status::empty) {
            std::snprintf(msg, sizeof msg,
                          "Error: soil table %s, line %d, soil id %d, layer 1: the conductivity is missing.\n", file,
                          table.line_no, id);
            soil_table_stop(msg);
            return -1;
        }
        if (kst != num_status::ok) {
            std::snprintf(msg, sizeof msg,
                          "Error: soil table %s, line %d, soil id %d, layer 1: the conductivity \"%s\" %s.\n", file,
                          table.line_no, id, word.c_str(), num_status_text(kst));
            soil_table_stop(msg);
            return -1;
        }
        if (k < 0.0) {
            std::snprintf(msg, sizeof msg,
                          "Error: soil table %s, soil id %d, layer 1: the conductivity %g is below 0.\n", file, id, k);
            soil_table_stop(msg);
            return -1;
        }
        rec.hyd_cond[0] = k;
        // A layer line holds its values and maybe a remark, never a further number.
        std::string_view rest;
        if (!read_soil_layer_values(v, true, 1, 0, id, file, rec, &rest) ||
            !refuse_extra_value(rest, tc_multi_layer_soil, name, table.line_no, id, 9))
            return -1;
        for (int layer = 1; layer < 3; ++layer) {
            const bool have = read_line_rec(line, table) == 1;
            if (!read_soil_layer_values(line, have, 0, layer, id, file, rec, &rest) ||
                !refuse_extra_value(rest, tc_multi_layer_soil, name, table.line_no, id, layer < 2 ? 9 : 8))
                return -1;
        }
    }
    return count;
}
