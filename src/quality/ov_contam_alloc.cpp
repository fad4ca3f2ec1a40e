// Sizes the overland constituent accumulators and work vectors once per run,
// so the time loop allocates nothing.
#include <algorithm>
#include <new>

#include "core/error_state.h"
#include "core/model_state.h"
#include "quality/ov_contam.h"

namespace
{

void fit_rows(row_array<double>& r, int rows, int width)
{
    if (r.count < rows)
        row_array_add_rows(r, rows - r.count, width);
}

void fit_totals(checked_array<double>& a, const char* name, int n)
{
    if (a.name.empty())
        checked_array_set_name(a, name);
    if (a.cap < n)
        checked_array_grow(a, n - a.cap);
}

void fit_vec(dvec& v, int n)
{
    if (v.size() != n)
        v.assign(n, 0.0);
}

} // namespace

bool ov_contam_alloc(model_state& s)
{
    const int n = s.num_cells;
    const int nc = s.num_constituents;
    if (n <= 0 || nc <= 0)
        return true;
    try {
        for (row_array<double>* r :
             {&s.precip_cell_mass, &s.infil_cell_mass, &s.soil_exch_cell_mass, &s.decay_cell_mass,
              &s.qbn_cell_mass, &s.sed_source_cell_mass, &s.qlat_cell_mass, &s.soil_con_work,
              &s.soil_con_inflow, &s.ov_soil_exch_mass})
            fit_rows(*r, nc, n);
        fit_totals(s.ov_exfil_dmt, "ov_exfil_dmt", nc);
        fit_totals(s.ov_sed_source_dmt, "ov_sed_source_dmt", nc);
        fit_totals(s.qbn_infil_mass, "qbn_infil_mass", nc);
        fit_totals(s.global_qbn_loss_mass, "global_qbn_loss_mass", nc);
        fit_totals(s.global_qbn_gain_mass, "global_qbn_gain_mass", nc);
        // Totals the constituent growth sizes only with soil or sediment
        // transport, which the overland steps book as well.
        fit_totals(s.ov_sed_source_mass, "ov_sed_source_mass", nc);
        fit_totals(s.event_ov_sed_source_mass, "event_ov_sed_source_mass", nc);
        fit_totals(s.event_sed_out_mass, "event_sed_out_mass", nc);
        fit_totals(s.sed_out_mass, "sed_out_mass", nc);
        for (dvec* v : {&s.con_conc_work, &s.con_mass_work, &s.con_disp_work, &s.con_source_work,
                        &s.ov_face_flux, &s.ov_mass_pred, &s.ov_conc_pred})
            fit_vec(*v, n);
        if (s.chan_lakes && s.ov_lake_of.size() != n)
            s.ov_lake_of.assign(n, 0);
        if (s.chan_lakes && !s.chan_con_trans && s.num_lakes > 0) {
            // Lakes that carry no constituents still take the overland
            // mass that flows or floods into them (their concentration
            // stays 0) and the overland balance books it.
            fit_rows(s.lake_conc, nc, s.num_lakes);
            fit_rows(s.lake_ov_inflow_mass, nc, s.num_lakes);
            for (dvec* v : {&s.lake_ov_mass_event, &s.lake_ov_mass_total})
                if (v->size() < nc)
                    v->assign(nc, 0.0);
        }
        const std::size_t blocks = static_cast<std::size_t>((n + ov_sum_block - 1) / ov_sum_block);
        if (s.ov_block_sums.size() != blocks)
            s.ov_block_sums.assign(blocks, ov_source_booking());
        if (s.sediment_contam) {
            const int classes = s.sed.num_sed;
            for (row_array<double>* r : {&s.sed_con_work, &s.sed_con_chan_deposit, &s.sed_outlet_cell_mass,
                                         &s.ov_fraction_dissolved})
                fit_rows(*r, nc, n);
            if (s.sed_con_mass.count < nc)
                row_array_add_rows(s.sed_con_mass, nc - s.sed_con_mass.count, n);
            if (classes > 0) {
                if (s.ov_sed_fract_attached.count < nc)
                    matrix_stack_add(s.ov_sed_fract_attached, nc - s.ov_sed_fract_attached.count, 0.0, n,
                                     classes);
                if (s.sed_con_class.count < nc)
                    matrix_stack_add(s.sed_con_class, nc - s.sed_con_class.count, 0.0, n, classes);
                for (dmat* m : {&s.ov_sed_vol_qsx, &s.ov_sed_vol_qsy, &s.ov_sed_vol_susp, &s.ov_vol_sed_susp,
                                &s.ov_sed_conc, &s.ov_sed_vol_eroded, &s.ov_sed_vol_deposited})
                    if (m->rows() != n || m->cols() != classes)
                        m->assign(n, classes, 0.0);
            }
            if (s.chan_lakes && s.num_lakes > 0)
                fit_rows(s.ov_lake_sed_source, nc, s.num_lakes);
            // Volumes that left through the outlet, per class (slot 0 the sum).
            fit_totals(s.ov_sed_con_arr, "ov_sed_con_arr", classes);
            fit_vec(s.soil_frac_work, n);
            fit_vec(s.soil_mass_work, n);
            fit_vec(s.sed_con_chan_deposit_vol, n);
        }
    } catch (const std::bad_alloc&) {
        container_out_of_memory("overland constituent work arrays");
        return false;
    }
    return !run_stopped();
}

bool ov_lake_cell(const model_state& s, int j)
{
    if (!s.chan_lakes)
        return false;
    const int flooded = s.new_flooded_grid.size() >= j ? s.new_flooded_grid[j] : 0;
    const int lake = s.lake_mask.size() >= j ? s.lake_mask[j] : 0;
    return (lake > 0 && flooded == 0) || flooded == -1;
}
