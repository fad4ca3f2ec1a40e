// One step of the Sacramento soil-moisture accounting: evaporation from the
// upper zone, the balance between the upper stores, the lower-zone tension
// transfer, then the input in increments of at most 5 mm, each draining
// base flow, percolating to the lower zone, giving interflow and spilling
// surface overflow from a full upper free store.
#include <algorithm>
#include <cmath>

#include "subsurface/lumped_models.h"

namespace
{

double stored(const sac_model& m)
{
    return m.uztwc + m.uzfwc + m.lztwc + m.lzfsc + m.lzfpc;
}

// Drainage fraction of one of n increments.
double per_increment(double k, int n)
{
    return n > 1 ? 1.0 - std::pow(1.0 - k, 1.0 / n) : k;
}

// Percolation into the lower zone: tension water first (less the share
// going straight to free water), the rest split between the primary and
// supplementary free stores by their deficits. The primary share is at
// most the whole, so the supplementary store never loses water.
void split_percolation(sac_model& m, double perc)
{
    double pt = perc * (1.0 - m.pfree);
    double pf = perc * m.pfree;
    if (m.lztwc + pt > m.lztwm) {
        pf += m.lztwc + pt - m.lztwm;
        pt = m.lztwm - m.lztwc;
    }
    m.lztwc += pt;
    if (pf <= 0.0)
        return;
    const double rp = m.lzfpc / m.lzfpm;
    const double rs = m.lzfsc / m.lzfsm;
    const double deficit = (1.0 - rp) + (1.0 - rs);
    double fracp = deficit > 0.0 ? 2.0 * m.lzfpm / (m.lzfpm + m.lzfsm) * (1.0 - rp) / deficit : 0.0;
    fracp = std::clamp(fracp, 0.0, 1.0);
    double primary = pf * fracp;
    m.lzfsc += pf - primary;
    if (m.lzfsc > m.lzfsm) {
        primary += m.lzfsc - m.lzfsm;
        m.lzfsc = m.lzfsm;
    }
    m.lzfpc += primary;
}

} // namespace

void sac_land_phase(sac_model& m, double& demand, double input)
{
    const double before = stored(m);

    // Evaporation from the upper zone, tension water first.
    double e1 = demand * m.uztwc / m.uztwm;
    double e2 = 0.0;
    m.uztwc -= e1;
    if (m.uztwc < 0.0) {
        e1 += m.uztwc;
        m.uztwc = 0.0;
        e2 = std::min(demand - e1, m.uzfwc);
        m.uzfwc -= e2;
    }
    // Free water above the tension water's ratio is shared between them.
    if (m.uzfwc / m.uzfwm > m.uztwc / m.uztwm) {
        const double r = (m.uztwc + m.uzfwc) / (m.uztwm + m.uzfwm);
        m.uztwc = r * m.uztwm;
        m.uzfwc = r * m.uzfwm;
    }
    // Lower-zone tension water takes from the supplementary free water.
    const double rl = (m.lztwc + m.lzfpc + m.lzfsc - m.saved) / (m.lztwm + m.lzfpm + m.lzfsm - m.saved);
    if (rl > m.lztwc / m.lztwm) {
        const double d = (rl - m.lztwc / m.lztwm) * m.lztwm;
        m.lztwc += d;
        m.lzfsc -= d;
        if (m.lzfsc < 0.0) {
            m.lzfpc += m.lzfsc;
            m.lzfsc = 0.0;
        }
    }
    // The input fills the upper tension water first.
    double twx = input + m.uztwc - m.uztwm;
    if (twx < 0.0) {
        m.uztwc += input;
        twx = 0.0;
    } else {
        m.uztwc = m.uztwm;
    }

    const int n = static_cast<int>((twx + m.uzfwc) / 5.0 + 1.00001);
    const double f = 1.0 / n;
    const double duz = per_increment(m.uzk, n);
    const double dlzp = per_increment(m.lzpk, n);
    const double dlzs = per_increment(m.lzsk, n);
    const double lower_capacity = m.lztwm + m.lzfpm + m.lzfsm;
    double base = 0.0, inter = 0.0, surface = 0.0;
    for (int i = 0; i < n; ++i) {
        const double p = f * twx;
        const double bp = m.lzfpc * dlzp;
        const double bs = m.lzfsc * dlzs;
        m.lzfpc -= bp;
        m.lzfsc -= bs;
        base += bp + bs;
        if (p + m.uzfwc <= 0.01) {
            m.uzfwc += p;
            continue;
        }
        const double defr = 1.0 - (m.lztwc + m.lzfpc + m.lzfsc) / lower_capacity;
        double perc = m.pbase * f * (m.uzfwc / m.uzfwm) * (1.0 + m.zperc * std::pow(defr, m.rexp));
        if (perc > m.uzfwc)
            perc = m.uzfwc;
        m.uzfwc -= perc;
        // The lower zone takes no more than it can hold.
        const double over = m.lztwc + m.lzfpc + m.lzfsc + perc - lower_capacity;
        if (over > 0.0) {
            perc -= over;
            m.uzfwc += over;
        }
        const double di = duz * m.uzfwc;
        m.uzfwc -= di;
        inter += di;
        split_percolation(m, perc);
        if (p > 0.0) {
            m.uzfwc += p;
            if (m.uzfwc > m.uzfwm) {
                surface += m.uzfwc - m.uzfwm;
                m.uzfwc = m.uzfwm;
            }
        }
    }
    m.outflow = surface + base + inter;
    demand = e1 + e2;
    m.residual += before - stored(m) + input - demand - m.outflow;
}
