// Snow parameters of long-term runs: the snowfall threshold, and every
// cell's NWSRFS parameters from the defaults, the project cards and the
// elevation bands of the NWSRFS_ELEV_SNOW file (a given card wins).
#include <cstdio>
#include <string>

#include "core/arrays.h"
#include "core/check_count.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "hydromet/snow_services.h"
#include "input/word_reader.h"

namespace
{

constexpr int band_columns = 10;

// One parameter: its band-file header word, default, card and array.
struct snow_param {
    const char* header;
    double fallback;
    int project_cards::*given;
    double project_cards::*card;
    dvec snow_state::*values;
};

// In the band file's column order after the two elevations.
const snow_param snow_params[] = {
    {"MF_Min", 0.0, &project_cards::nwsrfs_mf_min_given, &project_cards::nwsrfs_mf_min, &snow_state::MF_Min},
    {"MF_Max", 1.2, &project_cards::nwsrfs_mf_max_given, &project_cards::nwsrfs_mf_max, &snow_state::MF_Max},
    {"SCF", 1.0, &project_cards::nwsrfs_scf_given, &project_cards::nwsrfs_scf, &snow_state::snow_scf},
    {"FR_USE", 0.0, &project_cards::nwsrfs_fr_use_given, &project_cards::nwsrfs_fr_use, &snow_state::fr_use},
    {"TIPM", 0.2, &project_cards::nwsrfs_tipm_given, &project_cards::nwsrfs_tipm, &snow_state::TIPM},
    {"NMF", 0.2, &project_cards::nwsrfs_nmf_given, &project_cards::nwsrfs_nmf, &snow_state::NMF},
    {"FUA", 0.18, &project_cards::nwsrfs_fua_given, &project_cards::nwsrfs_fua, &snow_state::fua},
    {"PLWHC", 0.05, &project_cards::nwsrfs_plwhc_given, &project_cards::nwsrfs_plwhc, &snow_state::PLWHC},
};
constexpr int param_count = sizeof snow_params / sizeof snow_params[0];

// The values of a band row, in column order, with their ranges.
const num_field band_fields[band_columns] = {
    {"Lower_Elevation", -1e30, 1e30},
    {"Upper_Elevation", -1e30, 1e30},
    {"MF_Min", 0.0, 1e30},
    {"MF_Max", 0.0, 1e30},
    {"SCF", 0.0, 1e30},
    {"FR_USE", 0.0, 1e30},
    {"TIPM", 0.0, 1.0},
    {"NMF", 0.0, 1e30},
    {"FUA", 0.0, 1e30},
    {"PLWHC", 0.0, 1.0},
};
const num_field band_count_field = {"Number_Bands", 0.0, 1e9};
// The bands follow the count: ten numbers and the blanks between them.
const count_field band_rows_field = {"Number_Bands", 0, 1000000000, 19};

void print_format_help(const std::string& name)
{
    std::printf("Error reading elevation based NWSRFS snow input parameter file: %s\n\n", name.c_str());
    std::printf("The Elevation based NWSRFS input file should have the following format: \n\n");
    std::printf("Number_Bands:\tint(number of elevation bands) \n");
    std::printf("Lower_Elevation\tUpper_Elevation\tMF_Min\tMF_Max\tSCF\tFR_USE\tTIPM\tNMF\tFUA\tPLWHC \n");
    std::printf("0              \t##Elev_1\t      ##    \t##    \t## \t##\t\t\t##\t\t##\t##\t##  \n");
    std::printf("##Elev_1       \t##Elev_2\t      ##    \t##    \t## \t##\t\t\t##\t\t##\t##\t##  \n");
    std::printf("##Elev_2       \t##Elev_3\t      ##    \t##    \t## \t##\t\t\t##\t\t##\t##\t##  \n");
    std::printf("...            \t100000000\t      ##    \t##    \t## \t##\t\t\t##\t\t##\t##\t##  \n\n");
}

void fail(model_state& s, const std::string& name)
{
    print_format_help(name);
    file_rec_close(s.snow_file);
    error_set(err_stop);
    report_error(error_state);
}

// Header: "Number_Bands:" n, then the ten column words exactly. -1 after a
// failure already reported by the number reader, 0 for a bad word, else 1.
int read_header(word_reader& in, std::FILE* in_file, const std::string& name, int& bands)
{
    static const char* const words[band_columns] = {"Lower_Elevation",
                                                    "Upper_Elevation",
                                                    "MF_Min",
                                                    "MF_Max",
                                                    "SCF",
                                                    "FR_USE",
                                                    "TIPM",
                                                    "NMF",
                                                    "FUA",
                                                    "PLWHC"};
    bool ok = true;
    std::string word;
    auto bad_word = [&]() {
        std::printf("Error reading elevation based NWSRFS snow input parameter file: %s\n", name.c_str());
        ok = false;
    };
    if (!in.next(word) || word != "Number_Bands:") {
        bad_word();
    } else {
        const field_result r = read_int_field(in, name, 0, band_count_field, bands);
        if (r == field_result::refused)
            return -1;
        if (r == field_result::end_of_file)
            bad_word();
        else if (!check_count(bands, band_rows_field, name, in.line(), in_file))
            return -1;
    }
    for (const char* expected : words)
        if (!in.next(word) || word != expected)
            bad_word();
    return ok ? 1 : 0;
}

void refuse_band(const word_reader& in, const std::string& name, int band, const std::string& cause)
{
    std::printf("Error: file %s, line %d, band %d: %s.\n", name.c_str(), in.line(), band, cause.c_str());
    error_set(err_stop);
    report_error(error_state);
}

// The band rows: each cell strictly inside a row's elevations takes its
// values, except those of the parameters given by card. A band's lower
// elevation lies below its upper, and the file ends after the last band.
void read_bands(model_state& s, word_reader& in, const std::string& name, int bands)
{
    const int n = s.num_cells;
    double row[band_columns];
    for (int b = 1; b <= bands; ++b) {
        for (int c = 0; c < band_columns; ++c) {
            const field_result r = read_real_field(in, name, b, band_fields[c], row[c]);
            if (r == field_result::refused)
                return;
            if (r == field_result::end_of_file) {
                refuse_early_end(in, name, b, band_fields[c]);
                return;
            }
            if (c == 1 && !(row[0] < row[1])) {
                char cause[160];
                std::snprintf(cause, sizeof cause, "the Lower_Elevation %g is not below the Upper_Elevation %g", row[0],
                              row[1]);
                refuse_band(in, name, b, cause);
                return;
            }
        }
        for (int i = 1; i <= n; ++i) {
            const double z = s.ground_elev[i];
            if (!(row[0] < z && z < row[1]))
                continue;
            for (int p = 0; p < param_count; ++p)
                if (!(s.cards.*(snow_params[p].given)))
                    (s.*(snow_params[p].values))[i] = row[2 + p];
        }
    }
    std::string extra;
    if (in.next(extra))
        refuse_band(in, name, bands + 1,
                    "\"" + extra + "\" follows the last of the " + std::to_string(bands) +
                        " bands that Number_Bands gives");
}

} // namespace

void read_snow_bands(model_state& s)
{
    s.snow_temp_threshold = s.snow_temp_base_given ? s.cards.snow_temp_base : 0.0;
    if (s.eb_snow || !s.long_term)
        return;
    const int n = s.num_cells;
    for (const snow_param& p : snow_params) {
        dvec& v = s.*(p.values);
        // The correction factor is allocated with the other cell arrays.
        if ((p.values != &snow_state::snow_scf || v.size() < n) && !dvector_alloc_zero(v, n, p.header)) {
            error_set(err_stop);
            report_error(error_state);
            return;
        }
        const double value = s.cards.*(p.given) ? s.cards.*(p.card) : p.fallback;
        for (int i = 1; i <= n; ++i)
            v[i] = value;
    }
    for (dvec* v : {&s.snow_heat_deficit, &s.snow_liquid, &s.snow_ice, &s.snow_period_hours})
        if (!dvector_alloc_zero(*v, n, "snow pack bookkeeping")) {
            error_set(err_stop);
            report_error(error_state);
            return;
        }
    if (!s.nwsrfs_elev_snow)
        return;
    const std::string& name = s.nwsrfs_elev_snow_name;
    if (!file_rec_open(s.snow_file, name, "r")) {
        std::printf("Cannot open elevation based NWSRFS snow input parameter file: %s\n", name.c_str());
        error_set(err_stop);
        report_error(error_state);
        return;
    }
    word_reader in(s.snow_file.fp);
    int bands = 0;
    const int header = read_header(in, s.snow_file.fp, name, bands);
    if (header < 0) {
        file_rec_close(s.snow_file);
        return;
    }
    if (header == 0) {
        fail(s, name);
        return;
    }
    read_bands(s, in, name, bands); // a refused value is reported by its reader
    file_rec_close(s.snow_file);
}

void alloc_snow_cell_array(model_state& s)
{
    if (s.num_cells > 0 && !dvector_alloc_zero(s.snow_band_cell, s.num_cells, "snow_band_cell")) {
        error_set(err_stop);
        report_error(error_state);
    }
}
