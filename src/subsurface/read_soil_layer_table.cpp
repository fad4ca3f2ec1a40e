// The standalone layered soil table (SOIL_LAYER_INPUT_FILE): the number of
// soil types, an unused line, then per type a line with its id and one line
// per layer: conductivity (cm/h), pore-size index, capillary head (cm),
// porosity, field capacity, wilting point, residual and initial water
// content and, for layers 1 and 2, the thickness (cm). Every value is read
// strictly; a table that ends early or holds a word where a number belongs
// stops the run naming the soil id, the layer and the field.
#include "subsurface/soil_tables.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/error_state.h"
#include "core/model_state.h"
#include "core/text_parse.h"

namespace
{

struct layer_field {
    const char* name;
    double lo, hi;
};

constexpr double any = 1e300;

// The fields of a layer line in file order, with the values each may take.
const layer_field layer_fields[] = {
    {"conductivity", 0.0, any},
    {"pore-size index", 0.0, any},
    {"capillary head", 0.0, any},
    {"porosity", 0.0, 1.0},
    {"field capacity", 0.0, 1.0},
    {"wilting point", 0.0, 1.0},
    {"residual water content", 0.0, 1.0},
    {"initial water content", 0.0, 1.0},
    {"thickness", 0.0, any},
};

double* field_slot(soil_layer_rec& rec, int field)
{
    double* slots[] = {rec.hyd_cond,      rec.pore_index,   rec.cap_head,      rec.porosity,   rec.field_capacity,
                       rec.wilting_point, rec.residual_sat, rec.init_moisture, rec.depth};
    return slots[field];
}

bool stop(const char* text)
{
    std::fputs(text, stdout);
    error_set(err_stop);
    report_error(error_state);
    return false;
}

bool next_line(file_rec& table, std::string& line)
{
    return read_line_rec(line, table) == 1;
}

} // namespace

bool soil_table_stop(const char* text)
{
    return stop(text);
}

bool soil_id_first_time(std::vector<int>& id_line, int id, int line, const char* file)
{
    int& first = id_line[static_cast<std::size_t>(id)];
    if (first > 0) {
        char msg[256];
        std::snprintf(msg, sizeof msg, "Error: soil table %s, line %d: soil id %d is given twice (first on line %d).\n",
                      file, line, id, first);
        return stop(msg);
    }
    first = line;
    return true;
}

bool read_soil_layer_values(std::string_view v, bool have, int first_field, int layer, int id,
                            const char* file, soil_layer_rec& rec, std::string_view* rest)
{
    char msg[512];
    const int fields = layer < 2 ? 9 : 8; // the third layer has no thickness
    for (int f = first_field; f < fields; ++f) {
        const layer_field& lf = layer_fields[f];
        double x = 0.0;
        const num_status st = have ? pop_double_strict(v, x) : num_status::empty;
        if (st == num_status::ok && (x < lf.lo || x > lf.hi)) {
            std::snprintf(msg, sizeof msg, "Error: soil table %s, soil id %d, layer %d: the %s %g is outside %g to %g.\n",
                          file, id, layer + 1, lf.name, x, lf.lo, lf.hi);
            return stop(msg);
        }
        if (st != num_status::ok) {
            std::snprintf(msg, sizeof msg, "Error: soil table %s, soil id %d, layer %d: the %s %s.\n", file, id,
                          layer + 1, lf.name, num_status_text(st));
            return stop(msg);
        }
        field_slot(rec, f)[layer] = x;
    }
    if (rest)
        *rest = v;
    return true;
}

bool read_soil_layer_table(file_rec& table, const std::string& name, soil_type_table& types)
{
    char msg[512];
    const char* file = name.c_str();
    std::string line;
    int count = 0;
    num_status st = num_status::empty;
    if (next_line(table, line)) {
        std::string_view v(line);
        st = pop_int_strict(v, count);
        if (st == num_status::ok && count < 0)
            st = num_status::out_of_range;
    }
    if (st != num_status::ok) {
        std::snprintf(msg, sizeof msg, "Error: soil table %s: the number of soil types %s.\n", file,
                      num_status_text(st));
        return stop(msg);
    }
    next_line(table, line); // not used

    std::vector<int> id_line(soil_type_count, 0); // where each id was given, 0: not yet
    for (int t = 1; t <= count; ++t) {
        int id = 0;
        st = num_status::empty;
        if (next_line(table, line)) {
            std::string_view v(line);
            st = pop_int_strict(v, id);
        }
        if (st != num_status::ok) {
            std::snprintf(msg, sizeof msg, "Error: soil table %s: the id of soil type %d of %d %s.\n", file, t,
                          count, num_status_text(st));
            return stop(msg);
        }
        if (id < 0 || id >= soil_type_count) {
            std::snprintf(msg, sizeof msg, "Error: soil table %s: soil id %d is outside 0 to %d.\n", file, id,
                          soil_type_count - 1);
            return stop(msg);
        }
        if (!soil_id_first_time(id_line, id, table.line_no, file))
            return false;
        soil_layer_rec& rec = types.soil_layers[static_cast<std::size_t>(id)];
        for (int layer = 0; layer < 3; ++layer) {
            const bool have = next_line(table, line);
            if (!read_soil_layer_values(line, have, 0, layer, id, file, rec))
                return false;
        }
    }
    return true;
}
