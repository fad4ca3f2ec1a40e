// Time-series outputs: every hydrograph interval one row is appended to
// each series of the run, the outlet hydrograph first.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/julian.h"
#include "core/model_state.h"
#include "coupling/coupling_services.h"
#include "coupling/coupling_state.h"
#include "output/linknode_series.h"
#include "output/output_steps.h"

namespace
{

// Decimal year of the current time (or its Julian date with
// STRICT_JULIAN_DATE), the time column of long-term rows.
double long_term_time(const model_state& s)
{
    if (s.strict_julian_date)
        return s.current_time;
    const double minutes_in_year = (s.cur_year - 1900) % 4 == 0 ? 527040.0 : 525600.0;
    const double minutes = (s.cur_yday - 1) * 1440.0 + s.cur_hour * 60.0 + s.cur_minute;
    return s.cur_year + minutes / minutes_in_year;
}

// One row of the outlet hydrograph and of the second, six-decimal one.
void write_outlet_hydrograph(model_state& s)
{
    const double q = s.qout_cfs ? s.qout * s.qout_cfs_factor : s.qout;
    double t;
    const char* format;
    if (s.long_term) {
        t = s.output_time;
        format = "%16.8lf %11.4lf\n";
    } else if (s.strict_julian_date) {
        t = s.current_time;
        format = s.qout_cfs ? "%16.8lf %10.3lf\n" : "%16.8lf %9.3lf\n";
    } else {
        t = s.elapsed_min;
        format = s.qout_cfs ? "%8.2lf %10.3lf\n" : "%8.2lf %9.3lf\n";
    }
    if (s.hydrograph_file.fp)
        std::fprintf(s.hydrograph_file.fp, format, t, q);
    if (s.sig_outlet_hydro && s.sig_outlet_hydro_file.fp)
        std::fprintf(s.sig_outlet_hydro_file.fp, "%8.2lf %12.6lf\n", t, q);
    ++s.hyd_rows_written;
}

// One row of the outlet sediment discharge of overland flow (m3/s, or
// ft3/s with QOUT_CFS): what left through the outlet in the last overland
// step over the step length, at the time of the hydrograph row.
void write_outlet_sediment(const model_state& s)
{
    if (!s.sed.soil_erosion || s.chan_sed_on || !s.ov_sed || !s.sed.outlet_sed_file.fp)
        return;
    const double t = s.long_term ? s.output_time : s.strict_julian_date ? s.current_time : s.elapsed_min;
    double q = s.ov_dt > 0.0 ? s.ov_sed->last_outlet_vol / s.ov_dt : 0.0;
    if (s.qout_cfs)
        q *= s.qout_cfs_factor;
    std::fprintf(s.sed.outlet_sed_file.fp, "%16.8lf %16.10lf\n", t, q);
}

// One row of the lake series: the time (elapsed minutes, or the date in
// long-term runs), then every channel lake's stage and volume.
void write_lake_levels(const model_state& s)
{
    std::FILE* fp = s.lake_output_file.fp;
    if (!s.chan_lakes || !s.lake_output || !fp)
        return;
    if (s.long_term) {
        int y = 0, mo = 0, d = 0, h = 0, mi = 0;
        double sec = 0.0;
        calendar_from_julian(s.current_time, y, mo, d, h, mi, sec);
        std::fprintf(fp, "%4d %2d %2d %2d %2d ", y, mo, d, h, mi);
    } else {
        std::fprintf(fp, "%14.8lf ", s.elapsed_min);
    }
    for (int k = 1; k <= s.num_lakes; ++k)
        std::fprintf(fp, "%9.3lf  %9.3lf ", s.lake_elev[k], s.lake_volume[k]);
    std::fprintf(fp, "\n");
}

// Time column of the point series: elapsed minutes in event runs, the
// long-term time otherwise.
void write_point_time(std::FILE* fp, const model_state& s)
{
    if (s.long_term)
        std::fprintf(fp, "%16.8lf ", s.output_time);
    else
        std::fprintf(fp, "%14.8lf ", s.elapsed_min);
}

// With channel sediment: one row of the outlet sediment discharge by class
// (the fine classes' wash load, then the sand entries, m3/s or ft3/s with
// QOUT_CFS) and, with OUTLET_SED_TSS, the outlet node's suspended-solids
// concentration (mg/L), at the time of the hydrograph row.
void write_outlet_channel_sediment(const model_state& s)
{
    if (!s.sed.soil_erosion || !s.chan_sed_on || s.chan_wash_outlet.empty())
        return;
    double t;
    const char* format;
    if (s.long_term) {
        t = s.output_time;
        format = "%16.8lf";
    } else {
        t = s.strict_julian_date ? s.current_time : s.elapsed_min;
        format = !s.qout_cfs ? "%16.10lf" : s.strict_julian_date ? "%16.8lf " : "%16.8lf";
    }
    const double f = s.qout_cfs ? s.qout_cfs_factor : 1.0;
    if (std::FILE* fp = s.sed.outlet_sed_file.fp) {
        std::fprintf(fp, format, t);
        for (int k = 1; k <= s.num_fine_classes; ++k)
            std::fprintf(fp, " %16.10lf", s.chan_wash_outlet[k] * f);
        for (int m = 1; m <= s.num_sand_classes + 1; ++m)
            std::fprintf(fp, " %16.10lf", s.chan_sand_outflow[m] * f);
        std::fprintf(fp, "\n");
    }
    const int L = s.num_links;
    if (std::FILE* fp = s.sed.outlet_tss_file.fp; fp && L >= 1)
        std::fprintf(fp, "%16.4lf %16.4lf \n", t, s.chan_sed_conc[s.node_dim * L + s.nx[L]][0]);
}

// With channel sediment: one row of the sediment discharge by class
// (OUT_SED_LOC) and of the suspended-solids concentration (OUT_TSS_LOC) at
// every sediment location.
void write_sediment_locations(const model_state& s)
{
    if (!s.chan_sed_on || s.qsmax.empty())
        return;
    const int n = s.num_fine_classes + s.num_sand_classes + 1;
    const double f = s.qout_cfs ? s.qout_cfs_factor : 1.0;
    if (std::FILE* fp = s.sed.sed_hyd_loc_file.fp) {
        write_point_time(fp, s);
        for (int m = 1; m <= s.num_sed_hyd_locations; ++m) {
            const int j = s.node_dim * s.slink[m] + s.snode[m];
            for (int k = 1; k <= n; ++k)
                std::fprintf(fp, "%16.10lf ", s.qsmax[j][k] * f);
        }
        std::fprintf(fp, "\n");
    }
    if (std::FILE* fp = s.sed.tss_loc_file.fp) {
        write_point_time(fp, s);
        for (int m = 1; m <= s.num_sed_hyd_locations; ++m)
            std::fprintf(fp, "%16.4lf", s.chan_sed_conc[s.node_dim * s.slink[m] + s.snode[m]][0]);
        std::fprintf(fp, "\n");
    }
}

// One row of a channel node series at the hydrograph locations: the node
// values (discharges converted with QOUT_CFS).
void write_channel_locations(model_state& s, int on, file_rec& file, const dnode_mat& values, bool discharge)
{
    if (!on || !file.fp || values.empty())
        return;
    write_point_time(file.fp, s);
    const double factor = discharge && s.qout_cfs ? s.qout_cfs_factor : 1.0;
    for (int k = 1; k <= s.num_hyd_locations; ++k)
        std::fprintf(file.fp, "%12.6lf ", values[s.hnode[k]][s.hlink[k]] * factor);
    std::fprintf(file.fp, "\n");
}

// The stream-aquifer exchange at the IN_GWFLUX_LOCATION nodes, m3/s
// positive into the channel: the seepage summed over the groundwater steps
// of the interval, averaged over its h steps; each sum starts again after
// it is written. Without stream-aquifer exchange the flux is 0.
void write_gwflux_locations(model_state& s, int h)
{
    std::FILE* fp = s.out_gwflux_location_file.fp;
    if (!s.in_gwflux_location_given || !fp)
        return;
    write_point_time(fp, s);
    const double factor = s.qout_cfs ? s.qout_cfs_factor : 1.0;
    const bool summed = !s.av_qriv.empty();
    for (int k = 1; k <= s.num_gwflux_locations; ++k) {
        const int l = s.gwflink[k], n = s.gwfnode[k];
        const double q = summed ? s.av_qriv[n][l] / h * s.link_dx[l] : 0.0;
        std::fprintf(fp, "%12.6lf ", q * factor);
    }
    std::fprintf(fp, "\n");
    // Cleared after the whole row, so a node listed twice shows its flux twice.
    if (summed)
        for (int k = 1; k <= s.num_gwflux_locations; ++k)
            s.av_qriv[s.gwfnode[k]][s.gwflink[k]] = 0.0;
}

// Cell depth and discharge at the IN_CELLDEPDIS_LOCATION cells: the current
// overland depths (left out with QOUT_CFS), then the magnitudes of the
// cells' face discharges.
void write_cell_depth_discharge(model_state& s)
{
    std::FILE* fp = s.out_celldepdis_location_file.fp;
    if (!s.in_celldepdis_location_given || !fp)
        return;
    if (s.long_term)
        std::fprintf(fp, "%16.8lf     ", s.output_time);
    else
        std::fprintf(fp, "%14.8lf     ", s.elapsed_min);
    const int count = std::min(s.num_cell_locations, s.gnumlocater.size());
    auto cell_at = [&s](int k) {
        const int c = s.gnumlocater[k];
        return c >= 1 && c <= s.num_cells ? c : 0;
    };
    if (!s.qout_cfs)
        for (int k = 1; k <= count; ++k) {
            const int c = cell_at(k);
            std::fprintf(fp, "%12.6lf  ", c && s.ov_depth.size() >= c ? s.ov_depth[c] : 0.0);
        }
    std::fprintf(fp, "        ");
    const double factor = s.qout_cfs ? s.qout_cfs_factor : 1.0;
    for (int k = 1; k <= count; ++k) {
        const int c = cell_at(k);
        double q = 0.0;
        if (c && s.ov_qx.size() >= c && s.ov_qy.size() >= c)
            q = std::sqrt(s.ov_qx[c] * s.ov_qx[c] + s.ov_qy[c] * s.ov_qy[c]);
        std::fprintf(fp, "%12.6lf  ", q * factor);
    }
    std::fprintf(fp, "\n");
}

// Overland depth (or ground plus depth, the water surface) at the listed
// grid positions; a position outside the watershed writes 0.
void write_overland_cells(model_state& s, int on, file_rec& file, int count, const ivec& rows,
                          const ivec& cols, bool surface)
{
    if (!on || !file.fp)
        return;
    write_point_time(file.fp, s);
    count = std::min({count, rows.size(), cols.size()});
    for (int k = 1; k <= count; ++k) {
        const int r = rows[k];
        const int c = cols[k];
        int cell = 0;
        if (r >= 1 && c >= 1 && r <= s.mask.rows() && c <= s.mask.cols())
            cell = s.mask[r][c];
        double v = 0.0;
        if (cell >= 1 && cell <= s.num_cells && s.ov_depth.size() >= cell)
            v = s.ov_depth[cell] + (surface && s.ground_elev.size() >= cell ? s.ground_elev[cell] : 0.0);
        std::fprintf(file.fp, "%12.6lf ", v);
    }
    std::fprintf(file.fp, "\n");
}

// Groundwater heads at the listed well cells (GW_WELL_LEVEL); a listed row
// and column outside the watershed reads 0.
void write_well_levels(model_state& s)
{
    if (!s.gw_well_level || !s.gw_well_level_file.fp)
        return;
    std::FILE* fp = s.gw_well_level_file.fp;
    write_point_time(fp, s);
    const int count = std::min({s.num_wells, s.well_row.size(), s.well_column.size()});
    for (int k = 1; k <= count; ++k) {
        const int r = s.well_row[k];
        const int c = s.well_column[k];
        int cell = 0;
        if (r >= 1 && c >= 1 && r <= s.mask.rows() && c <= s.mask.cols())
            cell = s.mask[r][c];
        const double head = cell >= 1 && cell <= s.elevgw.size() ? s.elevgw[cell] : 0.0;
        std::fprintf(fp, "%12.6lf ", head);
    }
    std::fprintf(fp, "\n");
}

// Flows of the listed superjunctions and superlink nodes (a node of the
// file is found among the computational ones with SUPERLINK_C_OPT),
// converted with QOUT_CFS.
void write_superlink_locations(model_state& s)
{
    if (!s.storm_sewer)
        return;
    const double factor = s.qout_cfs ? s.qout_cfs_factor : 1.0;
    if (s.superlink_junc_flow_given && s.superlink_junc_flow_file.fp && !s.sjunc_loc.empty()) {
        std::FILE* fp = s.superlink_junc_flow_file.fp;
        write_point_time(fp, s);
        for (int k = 1; k <= s.num_sjunc_locations; ++k)
            std::fprintf(fp, "%12.6lf ", s.sjunc_flow[s.sjunc_loc[k]] * factor);
        std::fprintf(fp, "\n");
    }
    if (s.superlink_node_flow_given && s.superlink_node_flow_file.fp && !s.sl_link.empty()) {
        std::FILE* fp = s.superlink_node_flow_file.fp;
        write_point_time(fp, s);
        for (int k = 1; k <= s.num_sl_node_locations; ++k) {
            const int l = s.sl_link[k];
            const int m = s.superlink_c_opt ? s.otc_node[l][s.sl_node[k]] : s.sl_node[k];
            std::fprintf(fp, "%12.6lf ", s.Q_node[l][m] * factor);
        }
        std::fprintf(fp, "\n");
    }
}

// Channel constituents at the hydrograph locations: OUT_CON_LOCATION the
// node concentration of every constituent, OUT_MASS_LOCATION its dissolved
// flux (g/s) followed, with SEDIMENT_CONTAM, by the attached flux.
void write_constituent_locations(model_state& s)
{
    if (!s.chan_con_trans || s.hnode.empty() || s.hlink.empty())
        return;
    const int count = std::min({s.num_hyd_locations, s.hnode.size(), s.hlink.size()});
    const auto value = [](const row_array<double>& rows, int k, int node) {
        const double* row = row_array_get(rows, k);
        return row && node >= 0 && node <= rows.width ? row[node] : 0.0;
    };
    if (s.out_con_location_given && s.out_con_location_file.fp) {
        std::FILE* fp = s.out_con_location_file.fp;
        write_point_time(fp, s);
        for (int m = 1; m <= count; ++m) {
            const int node = s.node_dim * s.hlink[m] + s.hnode[m];
            for (int k = 1; k <= s.num_constituents; ++k)
                std::fprintf(fp, "%12.6lf ", value(s.chan_conc, k, node));
        }
        std::fprintf(fp, "\n");
    }
    if (s.out_mass_location_given && s.out_mass_location_file.fp) {
        std::FILE* fp = s.out_mass_location_file.fp;
        write_point_time(fp, s);
        for (int m = 1; m <= count; ++m) {
            const int node = s.node_dim * s.hlink[m] + s.hnode[m];
            for (int k = 1; k <= s.num_constituents; ++k) {
                std::fprintf(fp, "%12.6lf ", value(s.dissolved_chan_flux, k, node));
                if (s.sediment_contam)
                    std::fprintf(fp, "%12.6lf ", value(s.attached_chan_flux, k, node));
            }
        }
        std::fprintf(fp, "\n");
    }
}

// The contaminant link/node series: each contaminant's concentration, then
// its mass.
void write_contaminant_series(model_state& s)
{
    if (!s.chan_con_trans)
        return;
    for (int c = 1; c <= s.con_map_count && c <= s.con_linknode_series.count; ++c) {
        linknode_series_write(s.con_linknode_series[c][1]);
        linknode_series_write(s.con_linknode_series[c][2]);
    }
}

} // namespace

void timeseries_output_step(model_state& s)
{
    if (s.kz_coupling && s.cards.kz_fluxes)
        kz_accumulate_fluxes(*s.kz_coupling, s.ov_qx, s.ov_qy, s.num_cells, s.rightcon, s.belowcon,
                             s.chan_explicit, s.qp, s.gridsize);
    const int h = s.hyd_freq_steps;
    if (h < 1 || s.step_count % h != 0)
        return;
    if (s.long_term)
        s.output_time = long_term_time(s);

    const double kz_day = s.cur_yday + s.cur_hour / 24.0 + s.cur_minute / 1440.0;
    if (s.kz_input_flag && kz_inflow_file.fp)
        std::fprintf(kz_inflow_file.fp, "%-8.1lf %-7.1f\n", kz_day, static_cast<double>(static_cast<float>(s.qout)));
    if (s.kz_coupling && s.cards.kz_fluxes)
        kz_write_fluxes(*s.kz_coupling, kz_day);
    write_outlet_hydrograph(s);
    write_outlet_sediment(s);
    write_outlet_channel_sediment(s);
    write_channel_locations(s, s.in_hyd_location_given, s.out_hyd_location_file, s.qp, true);
    write_gwflux_locations(s, h);
    write_cell_depth_discharge(s);
    write_superlink_locations(s);
    write_channel_locations(s, s.out_dep_location_given, s.out_dep_location_file, s.chan_depth, false);
    write_constituent_locations(s);
    write_soil_moisture_rows(s);
    write_well_levels(s);
    write_overland_cells(s, s.overland_depths, s.overland_depths_file, s.num_overland_depth_cells,
                         s.overland_depth_row, s.overland_depth_col, false);
    write_overland_cells(s, s.overland_wse, s.overland_wse_file, s.num_overland_wse_cells, s.overland_wse_row,
                         s.overland_wse_col, true);
    write_lake_levels(s);
    write_sediment_locations(s);
    if (!file_rec_flush(s.hydrograph_file))
        return;
    if (s.sig_outlet_hydro && !file_rec_flush(s.sig_outlet_hydro_file))
        return;
    write_channel_linknode_step(s);
    write_superlink_linknode_step(s);
    write_qbn_series(s);
    write_contaminant_series(s);
    if (s.cards.xy_out.output_on)
        xy_output_write(s.cards.xy_out, s.current_time);
}
