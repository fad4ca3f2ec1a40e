// Contaminant transport set-up: the CONTAMINANT_TRANSPORT table, the soil
// constituent layers, the growth of the per-constituent containers, the
// contaminant load map and the sediment-attached volumes.
#include <algorithm>
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/grid_map.h"
#include "input/mapping_table_checks.h"
#include "input/quality_inputs.h"
#include "input/reader_echo.h"

namespace
{

constexpr double depth_eps = 1e-16; // cm

int soil_constituent_layers(const model_state& s)
{
    if (s.inf_redist == 1)
        return 1 + (s.soil_moist_depth - s.top_layer_depth > depth_eps) +
               (s.top_layer_depth - s.mixing_layer_depth > depth_eps);
    if (s.green_ampt == 1)
        return 1;
    if (s.inf_layered_soil == 1)
        return s.mixing_layer_depth > depth_eps ? 3 : 2;
    // One layer over the top of the Richards columns.
    if (s.inf_richards == 1)
        return 1;
    return 0;
}

// A load is a mass (or, over the soil column, a concentration): a negative
// value would start the balances from mass that is not there. False, with
// the cell named and the run stopped, at the first such value.
bool load_map_values_ok(const model_state& s, const std::string& name)
{
    for (int r = 1; r <= s.mask.rows(); ++r)
        for (int c = 1; c <= s.mask.cols(); ++c) {
            const int cell = s.mask[r][c];
            if (cell < 1 || cell > s.contam_map.size() || s.contam_map[cell] >= 0.0)
                continue;
            std::printf("Error: row %d, column %d of the contaminant load map %s holds %g; a load cannot be "
                        "negative.\n",
                        r, c, name.c_str(), s.contam_map[cell]);
            error_set(err_stop);
            report_error(error_state);
            return false;
        }
    return true;
}

} // namespace

void setup_soil_constituent_layers(model_state& s)
{
    if (s.green_ampt || s.inf_redist) {
        if (s.top_layer_depth < depth_eps)
            s.top_layer_depth = s.soil_moist_depth;
        if (s.mixing_layer_depth < depth_eps)
            s.mixing_layer_depth = s.top_layer_depth;
    }
    // The soil constituent layer over a Richards column is the mixing layer:
    // without its depth it would hold no soil.
    if (s.inf_richards && s.soil_con_trans && !(s.mixing_layer_depth > depth_eps)) {
        std::fprintf(stderr, "Soil constituents over Richards columns need the depth of their soil layer: "
                             "give MIXING_LAYER_DEPTH (m) above 0\n");
        error_set(err_stop);
        report_error(error_state);
        return;
    }
    s.soil_con_layers = soil_constituent_layers(s);
    // The Richards columns have their own water-content matrices.
    if (!s.THETA)
        dmatrix_alloc_zero(s.num_cells, s.soil_con_layers + 1, s.THETA, "THETA");
    if (!s.THETAS)
        dmatrix_alloc_zero(s.num_cells, s.soil_con_layers + 1, s.THETAS, "THETAS");
}

void read_contaminant_params(model_state& s)
{
    if (!s.ov_con_trans)
        return;
    const int cells = s.num_cells;
    const bool table = s.mapping_table_given && s.mapping_table_flags[mt_contaminants];
    if (!table && !s.sed.soil_erosion) {
        reader_echo(s, echo_rule::with_trials, "using uniform contaminant transport values\n");
        s.num_contam = 0;
        error_set(err_contam_count);
        report_error(error_state);
        if (s.mapping_table_given)
            std::printf("Error: OV_CON_TRANS needs the CONTAMINANT_TRANSPORT table with a NUM_CONTAM of 1 or more; "
                        "the mapping table file %s has none.\n",
                        s.mapping_table_name.c_str());
        else
            std::printf("Error: OV_CON_TRANS needs the CONTAMINANT_TRANSPORT table of a mapping table file "
                        "(MAPPING_TABLE).\n");
        return;
    }
    reader_echo(s, echo_rule::with_trials,
                "reading contaminant transport table and map from master table file\n");
    s.contam_table_read = 1;
    if (table && !read_contam_table(s))
        return;
    // Erosion without a contaminant table carries no contaminants.
    s.num_contam = std::max(s.num_contam, 0);
    setup_soil_constituent_layers(s);
    if (run_stopped())
        return;
    grow_constituent_arrays(s, s.num_contam, cells, 0);
    if (run_stopped())
        return;
    // Each contaminant's PARTITION value holds over every cell of the soil.
    if (s.soil_con_trans)
        for (int i = 1; i <= s.num_contam && i <= s.soil_kd.count && i <= s.water_soil_partition_coef.cap;
             ++i)
            for (int j = 1; j <= cells && j <= s.soil_kd.width; ++j)
                s.soil_kd[i][j] = s.water_soil_partition_coef[i];

    if (s.contam_map_given) {
        const std::string& name = s.cards.contam_map;
        // Erosion alone carries no contaminant whose land mass the map could set.
        if (s.num_contam < 1) {
            std::printf("Error: the contaminant load map %s sets the first contaminant's mass on the land, "
                        "but the run has no contaminants (no CONTAMINANT_TRANSPORT table).\n",
                        name.c_str());
            error_set(err_stop);
            report_error(error_state);
            return;
        }
        if (!s.contam_map_file.fp && !file_rec_open(s.contam_map_file, name, "r")) {
            error_set(err_open_file, "contaminant load map", name.c_str());
            error_state.raised = 1;
            return;
        }
        reader_echo_split(s, echo_rule::with_trials,
                          text_format("reading contamimant load map from file: %s\n", name.c_str()),
                          text_format("reading contaminant load map from file: %s\n", name.c_str()));
        read_cell_reals(s, s.contam_map_file, name, s.contam_map);
        file_rec_close(s.contam_map_file);
        if (run_stopped() || !load_map_values_ok(s, name))
            return;
        if (s.land_mass.count >= 1)
            for (int i = 1; i <= cells && i <= s.land_mass.width && i <= s.contam_map.size(); ++i)
                s.land_mass[1][i] = s.contam_map[i];
    }
    if (s.sediment_contam) {
        const int classes = s.sed.num_sed;
        for (dmat* m : {&s.ov_sed_vol_qsx, &s.ov_sed_vol_qsy, &s.ov_sed_vol_susp, &s.ov_vol_sed_susp})
            dmatrix_alloc_zero(cells, classes, *m, "sediment-attached volume");
    }
}
