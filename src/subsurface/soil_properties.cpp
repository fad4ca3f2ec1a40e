// Soil hydraulic properties of the Richards column nodes.
#include "subsurface/soil_properties.h"

#include <cmath>

#include "core/model_state.h"

namespace
{

double effective_saturation(double theta, double ths, double thr)
{
    return (theta - thr) / (ths - thr);
}

// Effective saturation where the Brooks-Corey curve meets its cap.
double cap_saturation(const model_state& s, int c, int k)
{
    return effective_saturation(s.thehac[c][k], s.THETAS[c][k], s.THETAR[c][k]);
}

void copy_surface_node(model_state& s, int c)
{
    s.KHEAD[c][0] = s.KHEAD[c][1];
    s.WATCAP[c][0] = s.WATCAP[c][1];
}

} // namespace

void brooks_corey_props(model_state& s, int c)
{
    const int n = s.numcells[c];
    for (int k = 1; k <= n; ++k) {
        const double h = s.PHEAD[c][k];
        const double hb = s.BP[c][k];
        const double lam = s.LAM[c][k];
        const double range = s.THETAS[c][k] - s.THETAR[c][k];
        if (h <= s.BChc[c][k]) {
            s.KHEAD[c][k] = std::pow(h / hb, -(3.0 * lam + 2.0));
            s.WATCAP[c][k] = -std::pow(h / hb, -(lam + 1.0)) * range * lam / hb;
        } else if (h <= 0.0) {
            const double se = effective_saturation(s.THETA[c][k], s.THETAS[c][k], s.THETAR[c][k]);
            const double sc = cap_saturation(s, c, k);
            const double a = std::sqrt(1.0 - sc) / (hb * std::pow(sc, -1.0 / lam));
            s.KHEAD[c][k] = std::pow(se, 3.0 + 2.0 / lam);
            s.WATCAP[c][k] = -2.0 * h * range * a * a;
        } else {
            s.KHEAD[c][k] = 1.0;
            s.WATCAP[c][k] = 0.0;
        }
    }
    copy_surface_node(s, c);
}

void havercamp_props(model_state& s, int c)
{
    const int n = s.numcells[c];
    for (int k = 1; k <= n; ++k) {
        const double h = s.PHEAD[c][k];
        if (h >= 0.0) {
            s.KHEAD[c][k] = 1.0;
            s.WATCAP[c][k] = 0.0;
            s.THETA[c][k] = s.THETAS[c][k];
            continue;
        }
        const double alpha = s.ALPHA[c][k];
        const double beta = s.BETA[c][k];
        const double ah = std::fabs(h);
        const double x = std::pow(ah / alpha, beta);
        s.KHEAD[c][k] = s.AHAV[c][k] / (s.AHAV[c][k] + std::pow(ah, s.BHAV[c][k]));
        // (|h|/alpha)^(beta - 1) / alpha is x / |h|: one power fewer.
        s.WATCAP[c][k] = x / ah * (s.THETAS[c][k] - s.THETAR[c][k]) * beta / ((x + 1.0) * (x + 1.0));
    }
    copy_surface_node(s, c);
}

void head_from_moisture(model_state& s, int c, int k, int model)
{
    const double se = effective_saturation(s.THETA[c][k], s.THETAS[c][k], s.THETAR[c][k]);
    if (model == 1) {
        const double hb = s.BP[c][k];
        const double lam = s.LAM[c][k];
        const double sc = cap_saturation(s, c, k);
        if (s.THETA[c][k] > s.thehac[c][k])
            s.PHEAD[c][k] = std::sqrt(1.0 - se) * hb * std::pow(sc, -1.0 / lam) / std::sqrt(1.0 - sc);
        else if (se > 0.0)
            s.PHEAD[c][k] = hb / std::pow(se, 1.0 / lam);
        return;
    }
    if (se > 0.0)
        s.PHEAD[c][k] = -s.ALPHA[c][k] * std::pow(1.0 / se - 1.0, 1.0 / s.BETA[c][k]);
}

void moisture_from_head(model_state& s, int c, int k, int model)
{
    const double h = s.PHEAD[c][k];
    const double ths = s.THETAS[c][k];
    const double thr = s.THETAR[c][k];
    if (h >= 0.0) {
        s.THETA[c][k] = ths;
        return;
    }
    if (model == 1) {
        const double hb = s.BP[c][k];
        const double lam = s.LAM[c][k];
        double se;
        if (h <= s.BChc[c][k]) {
            se = std::pow(hb / h, lam);
        } else {
            const double sc = cap_saturation(s, c, k);
            const double a = std::sqrt(1.0 - sc) * (h / hb) / std::pow(sc, -1.0 / lam);
            se = 1.0 - a * a;
        }
        s.THETA[c][k] = thr + se * (ths - thr);
        return;
    }
    s.THETA[c][k] = thr + (ths - thr) / (std::pow(std::fabs(h) / s.ALPHA[c][k], s.BETA[c][k]) + 1.0);
}
