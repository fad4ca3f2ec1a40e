// The per-cell working arrays of the processes that are on, zero-filled and
// sized by the number of cells, and the overland output location lists.
// Work arrays that only one process's own steps use are sized by those steps.
#include <cstdio>
#include <string>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/read_location_list.h"
#include "input/spatial_inputs.h"

namespace
{

// A list of cells given by grid row and column: the count, then the pairs.
// Rows and columns must lie on the grid.
bool read_cell_list(model_state& s, file_rec& file, int& count, ivec& rows, ivec& cols)
{
    return read_location_list(file, 2, count, rows, cols, [&](int k, int row, int col) {
        if (row >= 1 && row <= s.rows && col >= 1 && col <= s.cols)
            return true;
        std::printf("Error: entry %d of the cell list %s, row %d column %d, lies outside the grid of %d rows "
                    "and %d columns.\n",
                    k, file.name.c_str(), row, col, s.rows, s.cols);
        return false;
    });
}

} // namespace

void alloc_cell_arrays(model_state& s)
{
    const int n = s.num_cells;
    auto dv = [n](dvec& v, const char* name) { dvector_alloc_zero(v, n, name); };
    auto iv = [n](ivec& v, const char* name) { ivector_alloc_zero(v, n, name); };
    auto dm = [n](dmat& m, int cols, const char* name) {
        if (n > 0)
            dmatrix_alloc_zero(n, cols, m, name);
    };
    auto dc = [n](dcube& t, int b, int c, const char* name) {
        if (n > 0)
            d3tensor_alloc_zero(n, b, c, t, name);
    };

    // Overland flow.
    dv(s.ov_depth, "ov_depth");
    if (s.flood_grid)
        dv(s.max_flood_depth, "max_flood_depth");
    dv(s.ov_depth_old, "ov_depth_old");
    dv(s.cell_output_values, "cell_output_values");
    dv(s.rain_rate, "rain_rate");
    dv(s.slope_x, "slope_x");
    dv(s.slope_y, "slope_y");
    dv(s.ov_qx, "ov_qx");
    dv(s.ov_qy, "ov_qy");
    dv(s.ov_qx_sum, "ov_qx_sum");
    dv(s.ov_qy_sum, "ov_qy_sum");
    if (s.discharge || s.chan_discharge_output)
        dv(s.ov_q_map, "ov_q_map");
    iv(s.belowcon, "belowcon");
    iv(s.rightcon, "rightcon");
    iv(s.abovecon, "abovecon");
    iv(s.leftcon, "leftcon");
    if (s.ovr_flow_block) {
        dm(s.ovr_flow_block_frac, 5, "ovr_flow_block_frac");
        dv(s.ov_block_frac, "ov_block_frac");
    }
    iv(s.yes_exfil, "yes_exfil");

    // Soil parameters and infiltration.
    if (s.conductivity_given)
        dv(s.dist_ksat, "dist_ksat");
    if (s.capillary_given)
        dv(s.dist_cap_head, "dist_cap_head");
    if (s.porosity_given)
        dv(s.dist_porosity, "dist_porosity");
    if (s.pore_index_given)
        dv(s.dist_pore_index, "dist_pore_index");
    if (s.residual_sat_given)
        dv(s.dist_resid_sat, "dist_resid_sat");
    if (s.area_reduction_given)
        dv(s.area_reduction_values, "area_reduction_values");
    if (s.inf_redist || s.green_ampt || s.inf_layered_soil || s.inf_richards) {
        dv(s.dist_init_moisture, "dist_init_moisture");
        dv(s.event_inf_depth, "event_inf_depth");
        dv(s.inf_depth_mark, "inf_depth_mark");
        dv(s.inf_rate, "inf_rate");
        dv(s.soil_moisture, "soil_moisture");
        dv(s.inf_depth, "inf_depth");
        if (s.green_ampt)
            dv(s.psi_dtheta, "psi_dtheta");
        if (s.inf_redist || s.inf_layered_soil || s.inf_richards)
            dv(s.exfil_cell_depth, "exfil_cell_depth");
        if (s.inf_redist) {
            iv(s.iter_pond_1, "iter_pond_1");
            iv(s.iter_n, "iter_n");
            iv(s.no_wat_prof, "no_wat_prof");
            iv(s.iter_i_less_k, "iter_i_less_k");
            dv(s.redist_theta_1, "redist_theta_1");
            dv(s.redist_theta_2, "redist_theta_2");
            dv(s.redist_aux, "redist_aux");
            dv(s.dist_inf_col6, "dist_inf_col6");
            dv(s.dist_wilting_point, "dist_wilting_point");
        }
        if (s.soil_water_acct) {
            dv(s.soil_depth, "soil_depth");
            dv(s.soil_water, "soil_water");
            dv(s.soil_water_top, "soil_water_top");
            dv(s.soil_water_low, "soil_water_low");
            dv(s.et_removed, "et_removed");
            dv(s.soil_bottom_drain_acc, "soil_bottom_drain_acc");
            dv(s.soil_top_drain_acc, "soil_top_drain_acc");
            dv(s.soil_acct_input, "soil_acct_input");
            dv(s.soil_et_array, "soil_et_array");
            dv(s.unsat_down_flux, "unsat_down_flux");
            if (s.long_term)
                dv(s.direct_evap, "direct_evap");
            if (s.gw_simulation) {
                dv(s.gw_inf_redist_theta, "gw_inf_redist_theta");
                dv(s.sm_bottom_loss, "sm_bottom_loss");
                dv(s.soil_recharge_gw, "soil_recharge_gw");
            }
        }
        if (s.sacramento && s.sac_topo_index)
            dv(s.topo_dex, "topo_dex");
        if (s.inf_layered_soil == 1 || s.inf_richards == 1)
            iv(s.soiltype, "soiltype");
        if (s.inf_layered_soil == 1) {
            dv(s.wetdep, "wetdep");
            dm(s.THETA_ML, 4, "THETA_ML");
        }
        if (s.inf_richards == 1) {
            dv(s.VOLCHANGE, "VOLCHANGE");
            dv(s.MASSERROR, "MASSERROR");
            dv(s.dtr, "dtr");
            dv(s.avgks, "avgks");
            dv(s.totaldz, "totaldz");
            // Per soil type, not per cell.
            ivector_alloc_zero(s.num1, 151, "num1");
            ivector_alloc_zero(s.num2, 151, "num2");
            ivector_alloc_zero(s.num3, 151, "num3");
            iv(s.numcells, "numcells");
            iv(s.numtot, "numtot");
            iv(s.bound_type, "bound_type");
            dv(s.elevgw, "elevgw");
            dv(s.gw_flux, "gw_flux");
            dv(s.bottom_elev, "bottom_elev");
            dv(s.inf_rich, "inf_rich");
            dv(s.unsat_down_flux, "unsat_down_flux");
            if (s.gw_simulation)
                dv(s.soil_recharge_gw, "soil_recharge_gw");
            if (s.long_term)
                dv(s.direct_evap, "direct_evap");
            for (int i = 1; i <= s.bound_type.size(); ++i)
                s.bound_type[i] = 1;
        }
    }

    // Groundwater.
    if (s.water_table || s.stream_loss || s.chan_con_trans || s.chan_sed_on) {
        iv(s.gwbound, "gwbound");
        if (!s.inf_richards) {
            dv(s.elevgw, "elevgw");
            dv(s.gw_flux, "gw_flux");
        }
    }
    if (s.gw_recharge_cum || s.gw_recharge_inc) {
        dv(s.cell_recharge_cum, "cell_recharge_cum");
        dv(s.cell_recharge_prev, "cell_recharge_prev");
    }
    if (s.gw_simulation == 1) {
        iv(s.num_unsat_cells, "num_unsat_cells");
        dv(s.well_flux, "well_flux");
        if (!s.inf_richards) {
            dv(s.bottom_elev, "bottom_elev");
            dv(s.A, "A");
            dv(s.B, "B");
            dv(s.C, "C");
            dv(s.D, "D");
        }
    }

    // Long-term hydrometeorology and snow.
    if (s.long_term == 1) {
        dv(s.dist_albedo, "dist_albedo");
        dv(s.pet_rate, "pet_rate");
        dv(s.et_rate, "et_rate");
        dv(s.snow_swe, "snow_swe");
        dv(s.snow_depth_in, "snow_depth_in");
        dc(s.Melt_Waves, 6, 3, "Melt_Waves");
        dm(s.sn_stat, 23, "sn_stat");
        dc(s.wave, 51, 5, "wave");
        // Each snowpack starts with its wave exponent and effective porosity.
        for (int i = 1; i <= s.sn_stat.rows(); ++i) {
            s.sn_stat[i][16] = s.snow_param_a;
            s.sn_stat[i][10] = s.snow_param_b;
        }
        dv(s.snow_scf, "snow_scf");
        dv(s.cfgi, "cfgi");
        dv(s.root_depth, "root_depth");
        for (int i = 1; i <= s.snow_scf.size(); ++i)
            s.snow_scf[i] = 1.0;
        if (s.et_calc_penman) {
            dv(s.dist_veg_height, "dist_veg_height");
            dv(s.dist_trans_coeff, "dist_trans_coeff");
            dv(s.dist_canopy_resist, "dist_canopy_resist");
        }
        dv(s.snow_temp_map, "snow_temp_map");
        dm(s.HSNOW, 8, "HSNOW");
        iv(s.St_Event, "St_Event");
        dv(s.snow_hour_rain, "snow_hour_rain");
        s.snow_retention_kind = s.snap_retention == 1 ? 6 : 1;
    }

    // Interception, retention, roughness, lakes.
    if (s.interception == 1) {
        dv(s.dist_icep_cap, "dist_icep_cap");
        dv(s.dist_icep_coeff, "dist_icep_coeff");
        dv(s.icep_dep, "icep_dep");
        dv(s.ri_eff, "ri_eff");
    }
    dv(s.retent_dep, "retent_dep");
    dv(s.dist_rough, "dist_rough");
    dv(s.roughness_exp, "roughness_exp");
    if (s.chan_lakes == 1)
        iv(s.lake_num, "lake_num");
    if (s.overland_lake_on == 1) {
        iv(s.oland_lake_mask, "oland_lake_mask");
        iv(s.oland_lake_new, "oland_lake_new");
    }

    // Overland output locations.
    if (s.overland_depths && !read_cell_list(s, s.overland_depth_location_file, s.num_overland_depth_cells,
                                             s.overland_depth_row, s.overland_depth_col))
        return;
    if (s.overland_wse)
        read_cell_list(s, s.overland_wse_location_file, s.num_overland_wse_cells, s.overland_wse_row,
                       s.overland_wse_col);
}
