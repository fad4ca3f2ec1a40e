// The SEDIMENTS table of the mapping-table file: one row per size class with
// its specific gravity, diameter (mm), binding fraction and output name,
// read from column 41 and checked against the ranges below.
#include <cstdio>
#include <string>
#include <string_view>

#include "core/error_state.h"
#include "core/text_parse.h"
#include "input/mapping_table.h"
#include "input/quality_inputs.h"

namespace
{

struct class_field {
    const char* name;
    double low;
    double high;
    bool low_excluded; // the value must lie above low
};

// The three values of a class row, in column order. The capacity formulas
// and the settling velocity divide by the specific gravity less 1 and by the
// diameter, so neither may reach its lower bound.
const class_field class_fields[3] = {
    {"specific gravity", 1.0, 25.0, true},
    {"particle diameter", 0.0, 1000.0, true}, // mm
    {"binding fraction", 0.0, 1.0, false},
};

constexpr std::size_t class_value_column = 40;

void refuse(const std::string& file, int row, const char* field, const std::string& word, const char* what)
{
    std::printf("Error: row %d of table SEDIMENTS in the mapping table file %s: the %s \"%s\" %s.\n", row,
                file.c_str(), field, word.c_str(), what);
    error_set(err_stop);
    report_error(error_state);
}

} // namespace

bool read_sediments_table(const std::string& table_file, int& n, dvec& spec_grav, dvec& part_diam,
                          std::vector<std::string>& output_names, dvec& f_bind)
{
    n = 0;
    file_rec table;
    if (!file_rec_open(table, table_file, "r")) {
        error_set(err_mapping_table_open, nullptr, table_file.c_str());
        report_error(error_state);
        return false;
    }
    if (!find_sediments_table(table))
        return true; // the sediment reader decides
    // Each class row holds its name in columns 1-40 and three values.
    static const count_field num_sed{"NUM_SED", 1, 10000, 46};
    const long long classes = read_table_count(table, table_file, tc_sediments, tc_num_sed, num_sed);
    if (classes < 0)
        return false;
    if (classes == 0) {
        std::printf("Error: table SEDIMENTS of the mapping table file %s, line %d: the NUM_SED line must follow the "
                    "table line.\n",
                    table_file.c_str(), table.line_no);
        error_set(err_stop);
        report_error(error_state);
        return false;
    }
    n = static_cast<int>(classes);
    dvector_alloc_zero(spec_grav, n, "spec_grav");
    dvector_alloc_zero(part_diam, n, "part_diam");
    dvector_alloc_zero(f_bind, n, "f_bind");
    output_names.assign(static_cast<std::size_t>(n) + 1, std::string());
    std::string line;
    read_line_rec(line, table, 1024); // column header
    for (int i = 1; i <= n; ++i) {
        if (!read_line_rec(line, table, 1024)) {
            std::printf("Error: table SEDIMENTS in the mapping table file %s ends before the row of class %d.\n",
                        table_file.c_str(), i);
            error_set(err_stop);
            report_error(error_state);
            return false;
        }
        std::string_view rest(line);
        rest.remove_prefix(rest.size() < class_value_column ? rest.size() : class_value_column);
        double* targets[3] = {&spec_grav[i], &part_diam[i], &f_bind[i]};
        for (int f = 0; f < 3; ++f) {
            const class_field& field = class_fields[f];
            std::string word;
            double v = 0.0;
            const num_status st = pop_token(rest, word) ? parse_double_strict(word, v) : num_status::empty;
            if (st != num_status::ok) {
                refuse(table_file, i, field.name, word, num_status_text(st));
                return false;
            }
            if (v < field.low || v > field.high || (field.low_excluded && v == field.low)) {
                char range[96];
                if (field.low_excluded)
                    std::snprintf(range, sizeof range, "must lie above %g and at most %g", field.low, field.high);
                else
                    std::snprintf(range, sizeof range, "lies outside %g to %g", field.low, field.high);
                refuse(table_file, i, field.name, word, range);
                return false;
            }
            *targets[f] = v;
        }
        std::string name;
        pop_token(rest, name);
        output_names[static_cast<std::size_t>(i)] = name;
    }
    return true;
}
