// The net source of one cell in an overland mass step: the process
// accumulators taken in a fixed order, each pro-rated to the step, with a
// running mass that no loss may take below zero.
#include "quality/ov_contam.h"
#include "quality/prorate_mass.h"

namespace
{

struct running_mass {
    double S;     // mass the cell holds after the terms so far, g
    double gains; // applied gains minus applied losses, g
    bool cut;     // the last term was cut
};

// Applies the pro-rated part of a signed accumulator (positive adds to the
// cell). A part that would empty the cell below zero is cut to what it
// holds and the accumulator is cleared. Returns the applied signed mass.
double apply_signed(running_mass& r, double dt, double interval, double& acc)
{
    const double part = prorate_mass(dt, interval, acc);
    r.cut = r.S + part < 0.0;
    if (r.cut) {
        const double g = -r.S;
        r.S = 0.0;
        acc = 0.0;
        r.gains += g;
        return g;
    }
    r.S += part;
    acc -= part;
    r.gains += part;
    return part;
}

// A loss accumulator (positive numbers remove mass); returns the mass
// removed.
double apply_loss(running_mass& r, double dt, double interval, double& acc)
{
    double neg = -acc;
    const double g = apply_signed(r, dt, interval, neg);
    acc = -neg;
    return -g;
}

} // namespace

double ov_con_sources(const ov_source_terms& t, int j, double mass, ov_source_booking& book)
{
    const double dt = t.dt;
    running_mass r{mass, 0.0, false};

    // Rain is already in the cell's mass: only booked.
    if (t.rain && t.precip) {
        const double part = prorate_mass(dt, t.precip_interval, t.precip[j]);
        t.precip[j] -= part;
        book.precip += part;
    }
    // Mass that exfiltration brought up arrives even when the cell stopped
    // exfiltrating before this step: its water came up with it.
    if (t.exfil && t.exfil_mass && t.yes_exfil && (t.yes_exfil[j] == 1 || t.exfil_mass[j] != 0.0))
        book.exfil += apply_signed(r, dt, t.exfil_interval, t.exfil_mass[j]);
    if (t.exchange && t.soil_exch) {
        const double before = t.soil_exch[j];
        const double g = apply_signed(r, dt, t.soil_exch_interval, t.soil_exch[j]);
        book.uptake += g;
        if (t.to_soil && t.soil_exch_out)
            t.soil_exch_out[j] += g;
        // A cut exchange took place only as far as it was applied: the land
        // gets back what it had given up for the rest.
        if (r.cut && t.land)
            t.land[j] += before - g;
    }
    if (t.decay && t.decay_mass)
        book.decay += apply_loss(r, dt, t.decay_interval, t.decay_mass[j]);
    if (t.sed_source && t.sed)
        book.sed_source += apply_signed(r, dt, t.sed_interval, t.sed[j]);
    if (t.infil) {
        const double lost = apply_loss(r, dt, t.infil_interval, t.infil[j]);
        book.infil += lost;
        if (t.to_soil && t.soil_inflow)
            t.soil_inflow[j] += lost;
    }
    if (t.qbn && t.qbn_mass) {
        const double g = apply_signed(r, dt, t.qbn_interval, t.qbn_mass[j]);
        if (g >= 0.0)
            book.qbn_in += g;
        else
            book.qbn_out -= g;
    }
    if (t.qbn_soil && t.soil_exch)
        book.uptake += apply_signed(r, dt, t.qbn_soil_interval, t.soil_exch[j]);
    if (t.lateral) {
        if (t.qlat)
            book.qlat += apply_loss(r, dt, t.qlat_interval, t.qlat[j]);
    } else if (j == t.outlet_cell && t.exit_mass) {
        book.out += apply_loss(r, dt, t.outlet_interval, *t.exit_mass);
    }
    return dt > 0.0 ? r.gains / dt : 0.0;
}
