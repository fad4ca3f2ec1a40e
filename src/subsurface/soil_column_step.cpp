// One step of the accounting column: evapotranspiration by layer, the part
// of the demand a shallow water table supplies, and drainage from layer to
// layer with the water kept between the residual and saturated contents.
#include <algorithm>
#include <cmath>

#include "subsurface/soil_accounting.h"

namespace
{

// Water depths of a layer of thickness t at its four limits.
struct layer_bounds {
    double res, wilt, fc, sat;
};

layer_bounds bounds(const column_layer& l, double t)
{
    return {l.thr * t, l.wp * t, l.fc * t, l.ths * t};
}

// ET factor between the wilting point (0) and field capacity (1).
double ramp(double water, const layer_bounds& b)
{
    if (water >= b.fc)
        return 1.0;
    if (water <= b.wilt)
        return 0.0;
    return (water - b.wilt) / (b.fc - b.wilt);
}

// Deardorff's factor: water relative to field capacity, none at residual.
double deardorff_factor(double water, const layer_bounds& b)
{
    if (water <= b.res)
        return 0.0;
    return b.fc > 0.0 ? water / b.fc : 1.0;
}

double effective_saturation(const column_layer& l, double theta)
{
    const double span = l.ths - l.thr;
    if (span <= 0.0)
        return 1.0;
    return std::clamp((theta - l.thr) / span, 0.0, 1.0);
}

double conductivity(double k, double e, double se, double k2, double e2)
{
    const double a = k * std::pow(se, e);
    if (k2 < 0.0)
        return a;
    return std::sqrt(a * k2 * std::pow(se, e2));
}

} // namespace

column_flux soil_column_step(const column_soil& p, column_water& w, double input, double demand,
                             bool deardorff, bool exfiltrating)
{
    column_flux f;
    const double wc = w.depth;
    const bool two = wc > p.split;
    const double tu = two ? p.split : wc;
    const double tl = two ? wc - p.split : 0.0;
    const layer_bounds bu = bounds(p.up, tu);
    const layer_bounds bl = bounds(p.low, tl);

    double et_up = 0.0, et_low = 0.0, gw = 0.0;
    if (demand > 1e-16) {
        double fu = 1.0, fl = 1.0;
        if (wc >= 1e-16) {
            if (deardorff) {
                fu = deardorff_factor(w.top, bu);
                fl = !two ? 0.0 : p.own_lower_factor ? deardorff_factor(w.low, bl) : fu;
            } else {
                fu = ramp(w.top, bu);
                fl = two ? ramp(w.low, bl) : 0.0;
            }
            fu = std::min(fu, 1.0);
            fl = std::min(fl, 1.0);
        }
        const double full = p.full > 0.0 ? p.full : wc;
        et_up = two ? demand * fu * p.split / full : demand * fu;
        if (w.top - et_up + input < bu.res)
            et_up = std::max(0.0, w.top + input - bu.res);
        if (two) {
            et_low = demand * fl * tl / full;
            if (w.low - et_low < bl.res)
                et_low = std::max(0.0, w.low - bl.res);
        }
        // A water table within the layers supplies the rest of the demand.
        if (p.full - wc > 1e-16 && demand > et_up + et_low)
            gw = demand - et_up - et_low;
    }
    f.et = et_up + et_low + gw;

    if (exfiltrating) {
        f.from_gw = f.et;
        return f;
    }
    f.updated = true;
    if (wc < 1e-16) {
        // No column: the input passes straight down to the groundwater.
        f.now_exfil = true;
        f.from_gw = f.et;
        f.top_drain = f.bottom = input;
        return f;
    }
    f.from_gw = gw;

    const double theta_u = w.top / tu;
    double ku = 0.0;
    if (theta_u >= p.up.ths)
        ku = input;
    else if (theta_u - p.up.fc >= 1e-16)
        ku = conductivity(p.k_up, p.e_up, effective_saturation(p.up, theta_u), two ? p.k_up2 : -1.0, p.e_up2);
    double kl = 0.0;
    if (two) {
        const double theta_l = w.low / tl;
        if (theta_l >= p.low.ths) {
            kl = ku;
        } else if (theta_l - p.low.fc >= 1e-16) {
            kl = conductivity(p.k_low, p.e_low, effective_saturation(p.low, theta_l), p.k_low2, p.e_low2);
            if (p.limit_upper)
                ku = std::min(ku, kl);
        }
    }

    w.top += input - ku - et_up;
    if (w.top > bu.sat) {
        ku += w.top - bu.sat;
        w.top = bu.sat;
    } else if (w.top < bu.res) {
        ku -= bu.res - w.top;
        w.top = bu.res;
    }
    f.top_drain = ku;
    f.bottom = ku;
    if (two) {
        w.low += ku - kl - et_low;
        if (w.low > bl.sat) {
            kl += w.low - bl.sat;
            w.low = bl.sat;
        } else if (w.low < bl.res) {
            kl -= bl.res - w.low;
            w.low = bl.res;
        }
        f.bottom = kl;
    }
    return f;
}
