// One row of the soil-moisture series at the IN_THETA_LOCATION cells: the
// water content of each listed node of a Richards column, the two layers of
// the accounting column in long-term runs, or the surface water content.
#include "output/output_steps.h"

#include <cstdio>

#include "core/model_state.h"

namespace
{

// Top-layer depth of cell c, cm: the first layer of its soil type with
// multi-layer Green-Ampt, else TOP_LAYER_DEPTH.
double top_layer_of(const model_state& s, int c)
{
    if (s.inf_layered_soil && c <= s.soiltype.size()) {
        const int t = s.soiltype[c];
        if (t >= 0 && t < soil_type_count)
            return s.soil_layers[static_cast<std::size_t>(t)].depth[0];
    }
    return s.top_layer_depth;
}

} // namespace

void write_soil_moisture_rows(model_state& s)
{
    std::FILE* fp = s.out_theta_location_file.fp;
    if (!s.in_theta_location_given || !fp)
        return;
    if (s.long_term)
        std::fprintf(fp, "%16.8lf ", s.output_time);
    else
        std::fprintf(fp, "%14.8lf ", s.elapsed_min);
    const int n = s.num_cells;
    const bool richards = s.inf_richards && s.THETA.rows() >= n && s.cell_num.size() >= s.num_theta_cells;
    const bool layers = s.long_term && s.soil_water_acct && s.soil_water_top.size() >= n &&
                        s.soil_water_low.size() >= n && s.soil_depth.size() >= n;
    for (int i = 1; i <= s.num_theta_cells && i <= s.cell_loc.size(); ++i) {
        const int c = s.cell_loc[i];
        if (richards) {
            for (int j = 1; j <= s.cell_num[i]; ++j) {
                const int node = s.cell_node_list[i][j];
                std::fprintf(fp, "%12.6lf ", node >= 0 && node <= s.THETA.cols() ? s.THETA[c][node] : 0.0);
            }
        } else if (layers) {
            const double d = top_layer_of(s, c);
            const double z = s.soil_depth[c];
            if (d > z) // a column of no depth holds no water
                std::fprintf(fp, "%12.6lf %12.6lf ", z > 0.0 ? s.soil_water_top[c] / z : 0.0, 999.99);
            else
                std::fprintf(fp, "%12.6lf %12.6lf ", s.soil_water_top[c] / d, s.soil_water_low[c] / (z - d));
        } else {
            std::fprintf(fp, "%12.6lf ", c <= s.soil_moisture.size() ? s.soil_moisture[c] : 0.0);
        }
    }
    std::fprintf(fp, "\n");
}
