// Constituents sorbed to the overland sediment: on the overland mass step's
// clock, the sorbed mass of every constituent is eroded from the soil,
// carried between cells with the sediment, deposited and lost through the
// outlet; the cell's total then splits between the phases and the change of
// the dissolved phase is queued for the mass step. Serial, in cell order.
#include "quality/quality_steps.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "quality/ov_contam.h"
#include "quality/sed_contam.h"

namespace
{

bool lake_cell(const model_state& s, int j)
{
    return s.chan_lakes && s.lake_mask.size() >= j && s.lake_mask[j] >= 1;
}

// One face of cell j for the sorbed mass of class k. q is the sediment
// volume moved across the face in the direction from `from` to `to`
// (negative when it moved the other way); j is one of the two.
struct face_ctx {
    model_state& s;
    int i;
    int k;
    double* total;       // sed_con_mass row
    double* lake_source; // ov_lake_sed_source row, may be null
};

// Sorbed concentration (g per m3 of sediment) of class k on the side of
// cell x, the lake's when x is a lake cell.
double side_conc(const face_ctx& f, int x)
{
    model_state& s = f.s;
    if (lake_cell(s, x)) {
        const int lake = s.lake_mask[x];
        if (f.i <= s.lake_sed_contam_conc.count && lake <= s.lake_sed_contam_conc.rows &&
            f.k <= s.lake_sed_contam_conc.cols)
            return s.lake_sed_contam_conc.table[f.i][lake][f.k];
        return 0.0;
    }
    return s.sed_con_class.table[f.i][x][f.k];
}

// Cell j gains (sign +1, the face's flow enters j when q > 0) or loses
// (sign -1) the upwind mass of a face shared with neighbour nb.
void cross_face(const face_ctx& f, int j, int nb, double q, double sign)
{
    model_state& s = f.s;
    if (nb <= 0)
        return;
    // Upwind side: for an inflow face (sign +1) the neighbour when q > 0;
    // for an outflow face (sign -1) the cell when q > 0.
    const int up = (q > 0.0) == (sign > 0.0) ? nb : j;
    const double moved = q * side_conc(f, up);
    f.total[j] += sign * moved;
    double* vol = s.ov_vol_sed_susp[j];
    vol[f.k] += sign * q;
    vol[0] += sign * q;
    if (lake_cell(s, nb) && f.lake_source) {
        const int lake = s.lake_mask[nb];
        // Out of the lake when the cell gains, into it when it loses.
        if (lake <= s.ov_lake_sed_source.width)
            f.lake_source[lake] -= sign * moved;
    }
}

void bad_number(int constituent, int cell)
{
    std::printf("bad number: constituent %d cell %d\n", constituent, cell);
    error_set(err_stop);
}

} // namespace

double soil_sorbed_conc(const model_state& s, int j, double mass, double dissolved)
{
    // The soil's volume share of fine sediment; a soil without fine classes
    // holds no sorbed mass.
    double F = 0.0;
    for (int k = 1; k <= s.sed.num_sed; ++k)
        if (!s.sand[k])
            F += s.sed_fract[j][k][1];
    const double porosity = s.dist_porosity.size() >= j ? s.dist_porosity[j] : 0.0;
    const double mix = s.mixing_layer_depth / 100.0;
    const double area = s.gridsize * s.gridsize;
    const double solid = F * mix * area * (1.0 - porosity);
    const double Cs = solid > ov_zero ? mass * (1.0 - dissolved) / solid : 0.0;
    return std::isnan(Cs) ? Cs : std::max(Cs, 0.0);
}

int sed_con_transport(model_state& s, int i)
{
    const int n = s.num_cells;
    const int classes = s.sed.num_sed;
    double* total = s.sed_con_mass[i];
    double* work = s.sed_con_work[i];
    double* neg = s.event_ov_neg_mass.cap >= i ? &s.event_ov_neg_mass[i] : nullptr;
    double* neg_run = s.ov_neg_mass_run.cap >= i ? &s.ov_neg_mass_run[i] : nullptr;
    auto clip = [&](int j) {
        if (total[j] < 0.0) {
            if (neg)
                *neg -= total[j] / 1000.0;
            if (neg_run)
                *neg_run -= total[j] / 1000.0;
            total[j] = 0.0;
        }
    };

    // 1. Erosion of the soil's sorbed mass with the fine classes.
    for (int j = 1; j <= n; ++j) {
        if (lake_cell(s, j))
            continue;
        double* vol = s.ov_vol_sed_susp[j];
        const double* eroded = s.ov_sed_vol_eroded[j];
        for (int k = 1; k <= classes; ++k) {
            vol[k] += eroded[k];
            if (!s.sand[k])
                vol[0] += eroded[k];
            if (vol[k] < -ov_zero)
                vol[k] = 0.0;
            if (vol[0] < -ov_zero)
                vol[0] = 0.0;
        }
        const double Cs = soil_sorbed_conc(s, j, s.soil_mass_work[j], s.soil_frac_work[j]);
        if (std::isnan(Cs))
            return j;
        for (int k = 1; k <= classes; ++k) {
            if (s.sand[k])
                continue;
            const double E = Cs * eroded[k];
            if (E > ov_zero) {
                total[j] += E;
                work[j] -= E;
            }
        }
        clip(j);
        if (std::isnan(total[j]))
            return j;
    }

    // 2. Partition on the working volumes.
    if (const int bad = ov_con_partition(s, i, true))
        return bad;

    // 3. Transport with the sediment, class by class; the face volumes of
    // the sediment step fall as sediment moves right (down), so the volume
    // moved rightward (downward) is their negative.
    double* lake_source = s.chan_lakes && i <= s.ov_lake_sed_source.count ? s.ov_lake_sed_source[i] : nullptr;
    for (int j = 1; j <= n; ++j) {
        if (lake_cell(s, j))
            continue;
        for (int k = 1; k <= classes; ++k) {
            if (s.sand[k])
                continue;
            const face_ctx f{s, i, k, total, lake_source};
            const int left = s.leftcon[j], right = s.rightcon[j];
            const int above = s.abovecon[j], below = s.belowcon[j];
            if (left > 0)
                cross_face(f, j, left, -s.ov_sed_vol_qsx[left][k], 1.0);
            if (right > 0)
                cross_face(f, j, right, -s.ov_sed_vol_qsx[j][k], -1.0);
            if (above > 0)
                cross_face(f, j, above, -s.ov_sed_vol_qsy[above][k], 1.0);
            if (below > 0)
                cross_face(f, j, below, -s.ov_sed_vol_qsy[j][k], -1.0);
        }
        if (std::isnan(total[j]))
            return j;
    }

    // 4. Partition again.
    if (const int bad = ov_con_partition(s, i, true))
        return bad;

    // 5. Deposition back to the soil. A channel cell's deposits go to the
    // channel with the next channel step, so the mass laid down with them
    // waits beside them instead of joining the soil.
    double* chan_deposit = nullptr;
    if (s.chan_sed_on && s.chan_con_trans && i <= s.sed_con_chan_deposit.count &&
        s.sed_con_chan_deposit.width >= n && s.channel_cells.size() >= n)
        chan_deposit = s.sed_con_chan_deposit[i];
    for (int j = 1; j <= n; ++j) {
        if (lake_cell(s, j))
            continue;
        double* vol = s.ov_vol_sed_susp[j];
        const double* deposited = s.ov_sed_vol_deposited[j];
        double* to = chan_deposit && s.channel_cells[j] ? &chan_deposit[j] : &work[j];
        for (int k = 1; k <= classes; ++k) {
            if (s.sand[k])
                continue;
            const double P = s.sed_con_class.table[i][j][k] * deposited[k];
            *to += P;
            total[j] -= P;
            clip(j);
            vol[k] -= deposited[k];
            vol[0] -= deposited[k];
            if (vol[k] < 0.0)
                vol[k] = 0.0;
        }
        if (std::isnan(total[j]) || std::isnan(*to))
            return j;
    }

    // 6. Out through the outlet when the channels do not take it.
    const int out = s.outlet_cell;
    if (!s.chan_explicit && out >= 1 && out <= n && !lake_cell(s, out)) {
        for (int k = 1; k <= classes && k <= s.ov_sed_con_arr.cap; ++k) {
            if (s.sand[k])
                continue;
            const double O = s.sed_con_class.table[i][out][k] * s.ov_sed_con_arr[k];
            s.sed_outlet_cell_mass[i][out] += O;
            total[out] -= O;
        }
        clip(out);
    }
    return 0;
}

void sed_contam_step(model_state& s)
{
    if (!s.sediment_contam || !s.ov_con_trans || !process_due(s, s.contam_next))
        return;
    if (!ov_contam_alloc(s))
        return;
    const int n = s.num_cells;
    const int classes = s.sed.num_sed;
    const int nc = s.num_constituents;
    if (classes < 1 || !s.ov_sed || s.ov_sed->cell_tally.rows() < n || s.sed_fract.dim1() < n ||
        s.sed_con_mass.count < nc || s.sed_con_class.count < nc)
        return;
    const auto& tally = s.ov_sed->cell_tally;
    for (int i = 1; i <= nc; ++i) {
        const bool soil = i <= s.soil_mass.count && i <= s.soil_sed_con.count && s.soil_mass.rows >= n;
        // 1. Working copies.
        for (int j = 1; j <= n; ++j) {
            s.soil_frac_work[j] = soil ? s.soil_sed_con.table[i][j][1] : 1.0;
            s.soil_mass_work[j] = soil ? s.soil_mass.table[i][j][1] : 0.0;
            for (int k = 0; k <= classes; ++k)
                s.ov_vol_sed_susp[j][k] = s.ov_sed_vol_susp[j][k];
        }
        // 2. The sorbed phase moves.
        if (const int bad = sed_con_transport(s, i)) {
            bad_number(i, bad);
            return;
        }
        // 3. The suspended volumes as the sediment step left them.
        for (int j = 1; j <= n; ++j) {
            double fine = 0.0;
            for (int k = 1; k <= classes; ++k) {
                s.ov_sed_vol_susp[j][k] = tally[j][k].suspended;
                if (!s.sand[k])
                    fine += tally[j][k].suspended;
            }
            s.ov_sed_vol_susp[j][0] = fine;
        }
        // 4-5. The split, and the change of the dissolved phase queued.
        if (const int bad = ov_con_partition(s, i, false)) {
            bad_number(i, bad);
            return;
        }
        double* total = s.sed_con_mass[i];
        double* source = s.sed_source_cell_mass[i];
        const double* dissolved = s.ov_fraction_dissolved[i];
        const double* ov_mass = s.ov_mass[i];
        for (int j = 1; j <= n; ++j) {
            if (lake_cell(s, j))
                continue;
            const double D = total[j] * dissolved[j];
            source[j] += D - ov_mass[j];
            total[j] -= D;
            if (std::isnan(source[j])) {
                std::printf("Sed source contam %d cell %d NAN\n", i, j);
                error_set(err_stop);
                return;
            }
            if (!s.chan_explicit) {
                double& out = s.sed_outlet_cell_mass[i][j];
                if (out != 0.0) {
                    s.event_sed_out_mass[i] += out / 1000.0;
                    s.sed_out_mass[i] += out / 1000.0;
                    out = 0.0;
                }
            }
        }
    }
    // The fine volume of the deposits whose attached mass channel cells keep
    // for the channels.
    if (s.chan_sed_on && s.chan_con_trans && s.sed_con_chan_deposit_vol.size() >= n &&
        s.channel_cells.size() >= n)
        for (int j = 1; j <= n; ++j) {
            if (!s.channel_cells[j] || lake_cell(s, j))
                continue;
            for (int k = 1; k <= classes; ++k)
                if (!s.sand[k])
                    s.sed_con_chan_deposit_vol[j] += s.ov_sed_vol_deposited[j][k];
        }
    for (dmat* m : {&s.ov_sed_vol_eroded, &s.ov_sed_vol_deposited, &s.ov_sed_vol_qsx, &s.ov_sed_vol_qsy})
        if (!m->empty())
            std::fill(m->data(), (*m)[m->rows()] + m->cols() + 1, 0.0);
    if (!s.chan_explicit)
        for (int k = 0; k <= classes && k <= s.ov_sed_con_arr.cap; ++k)
            s.ov_sed_con_arr[k] = 0.0;
}
