// The net source rate of one channel node for the dissolved routing: the
// loads accumulated since the last routing step by the point inputs, the
// outlet, the land, the aquifer, decay, the nutrient kinetics and the
// sediment exchange, each taken into its step accumulator. A load gathered
// over a longer interval than the step is taken pro rata; a loss never takes
// more than the node holds.
#include "core/model_state.h"
#include "quality/chan_route_sources.h"

namespace
{

constexpr double seconds_per_day = 86400.0;
constexpr double interval_tol = 0.01; // s

// The part of an accumulated load that belongs to a step of dt seconds.
double due_part(double value, double length, double dt)
{
    return length > dt + interval_tol ? value * dt / length : value;
}

// A signed load against the running mass B. A loss larger than B is cut to
// -B; with keep_rest the accumulator keeps what was not taken, otherwise it
// is cleared. Returns the part taken.
double take(double& acc, double part, double& B, bool keep_rest)
{
    if (part < 0.0 && -part > B) {
        part = -B;
        B = 0.0;
        acc = keep_rest ? acc - part : 0.0;
        return part;
    }
    if (part < 0.0)
        B += part;
    acc -= part;
    return part;
}

} // namespace

double chan_con_sources(model_state& s, int i, int j, double dt, bool outlet, chan_source_terms& taken)
{
    const int kind = s.constituent_type[i];
    const double M = s.chan_node_mass[i][j];
    double B = M;
    double point = 0.0, out = 0.0, lateral = 0.0, gw = 0.0, decay = 0.0, qbn = 0.0, sed = 0.0;
    if (s.chan_point_on) {
        double& acc = s.chan_point_mass_flux[i][j];
        point = acc;
        if (point < 0.0 && -point > B) {
            point = -B;
            B = 0.0;
            acc -= point;
        } else {
            B += point;
            acc = 0.0;
        }
        taken.point += point;
    }
    if (outlet) {
        double& acc = s.chan_outlet_acc[i];
        out = due_part(acc, s.chan_outlet_dt, dt);
        if (out > B) {
            out = B;
            acc = 0.0;
        } else {
            acc -= out;
        }
        B -= out;
        taken.outlet += out;
    }
    {
        double& acc = s.chan_qlat_mass[i][j];
        lateral = take(acc, due_part(acc, s.ov_chan_exch_dt, dt), B, true);
        taken.ov += lateral;
    }
    if (s.stream_loss) {
        double& acc = s.chan_gw_mass[i][j];
        gw = take(acc, due_part(acc, s.chan_load_dt, dt), B, false);
        taken.gw += gw;
    }
    if (kind == 1 && s.contam_table_read) {
        double& acc = s.chan_mass[i][j];
        decay = due_part(acc, s.chan_kin_dt, dt);
        if (decay > B) {
            decay = B;
            acc = 0.0;
        } else {
            acc -= decay;
        }
        B -= decay;
        taken.decay += decay;
    }
    if (kind == 2) {
        // The nutrient clock keeps its interval in days.
        double& acc = s.chan_qbn_source[i][j];
        qbn = take(acc, due_part(acc, s.chan_qbn_dt * seconds_per_day, dt), B, false);
        if (qbn > 0.0)
            taken.qbn_gain += qbn;
        else
            taken.qbn_loss -= qbn;
    }
    if (s.sediment_contam) {
        double& acc = s.chan_node_sed_source_mass[i][j];
        sed = take(acc, acc, B, false);
        taken.sed += sed;
    }
    const double r = (point + lateral + gw + qbn + sed - out - decay) / dt;
    return r * dt + M < 0.0 ? -M / dt : r;
}

double lake_con_sources(model_state& s, int i, int k, double dt)
{
    const int kind = s.constituent_type[i];
    const double M = s.lake_mass[i][k];
    double B = M;
    // Each lake load is taken whole: its process fills it once per routing
    // step at most. Losses are cut at what the lake holds.
    auto whole = [&](double& acc) { return take(acc, acc, B, false); };
    const double rain = whole(s.lake_precip_mass[i][k]);
    s.lake_precip_dmt[i] += rain;
    double gw = 0.0, decay = 0.0, qbn = 0.0;
    if (s.lake_gw_exchange) {
        gw = whole(s.lake_gw_mass[i][k]);
        s.lake_gw_dmt[i] += gw;
    }
    if (kind == 1 && s.contam_table_read) {
        double& acc = s.lake_decay_mass[i][k];
        decay = -take(acc, -acc, B, false);
        acc = 0.0;
        s.lake_decay_dmt[i] += decay;
    }
    if (kind == 2) {
        qbn = whole(s.lake_qbn_source[i][k]);
        s.lake_qbn_dmt[i] += qbn;
    }
    const double ov = whole(s.lake_ov_inflow_mass[i][k]);
    s.lake_ov_dmt[i] += ov;
    const double exchange = whole(s.lake_chan_exchange_mass[i][k]);
    s.lake_chan_exchange_dmt[i] += exchange;
    // The change of the dissolved share that the attached phase queued.
    double sed = 0.0;
    if (s.sediment_contam && i <= s.lake_sed_contam_source.count && k <= s.lake_sed_contam_source.width) {
        sed = whole(s.lake_sed_contam_source[i][k]);
        s.lake_sed_contam_dmt[i] += sed;
    }
    const double r = (rain - decay + ov + gw + exchange + qbn + sed) / dt;
    return r * dt + M < 0.0 ? -M / dt : r;
}
