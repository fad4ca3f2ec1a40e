// Snow accumulation and melt of long-term runs. Three models: energy balance
// (EB_SNOW; melt at every call, straight onto the ground), temperature index
// (NWSRFS_SNOW) and the combined model (energy-balance melt rate). The two
// last keep a heat deficit and liquid water per cell, melt once per
// completed hour and release their water through the melt packets.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "hydromet/hmet_services.h"
#include "hydromet/snow_services.h"

namespace
{

bool skipped_cell(const model_state& s, int i)
{
    if (s.ov_boundary && s.boundary_type.size() >= i) {
        const int type = s.boundary_type[i];
        if (type == 2 || type == 3 || type == 9)
            return true;
    }
    if (s.overland_lake_on && s.oland_lake_new.size() >= i && s.oland_lake_new[i] > 0)
        return true;
    return s.chan_lakes && s.lake_mask.size() >= i && s.lake_mask[i] > 0;
}

// Energy reaching the pack, cal cm-2 h-1, and its rain part q_rain.
double pack_energy(const model_state& s, double temp, double wind, double rel_hum, double pressure,
                   double rain, double& q_rain)
{
    const double e_sat = 2.749e8 * std::exp(-4278.6 / (temp + 242.8)); // mbar
    const double d = wind * 2e-4 * 3.6;
    q_rain = s.event_active ? rain / 10.0 * temp : 0.0;
    const double tk = temp + 273.15;
    return 4.956e-9 * tk * tk * tk * tk - s.snow_param_d + 600.0 * d * (rel_hum / 100.0 * e_sat - 6.11) +
           600.0 * d * 0.00061 * pressure * temp + q_rain;
}

// Antecedent temperature index after an hour of dtp hours at temp; returns
// the index before the update.
double update_ati(model_state& s, int i, double temp, double dtp)
{
    const double before = s.snow_temp_map[i];
    double ati = before + (1.0 - std::pow(1.0 - s.TIPM[i], dtp / 6.0)) * (temp - before);
    s.snow_temp_map[i] = std::min(ati, 0.0);
    return before;
}

// The hour's heat-deficit and liquid-water bookkeeping: the melt input w
// (mm) and heat exchange dd (mm) give the water leaving the pack (m).
double pack_outflow(model_state& s, int i, double w, double dd)
{
    const double plwhc = s.PLWHC[i];
    const double swe_mm = s.snow_swe[i] * 1000.0; // the balance works in mm
    double& ice = s.snow_ice[i];
    if (ice <= 1e-16)
        ice = (1.0 - plwhc) * swe_mm;
    if (s.snow_swe[i] <= 0.0)
        ice = 0.0;
    ice = std::min(ice, (1.0 - plwhc) * swe_mm);
    const double wqx = ice * plwhc;
    double& deficit = s.snow_heat_deficit[i];
    deficit = std::max(deficit + dd, 0.0);
    if (s.snow_swe[i] < 1e-16)
        deficit = 0.0;
    double work = 0.0, prev_deficit = 0.0, outflow = 0.0;
    snow_water_balance(i, std::max(w, 0.0), work, s.snow_liquid, wqx, prev_deficit, s.snow_heat_deficit,
                       s.PLWHC, outflow, s.snow_ice);
    return outflow / 1000.0;
}

double packet_left(const model_state& s, int i, int k)
{
    return s.Melt_Waves[i][k][packet_amount] - s.Melt_Waves[i][k][packet_drawn];
}

void clear_packets(model_state& s, int i, int k)
{
    for (int j = 1; j <= k; ++j)
        for (int v = packet_drawn; v <= packet_capacity; ++v)
            s.Melt_Waves[i][j][v] = 0.0;
}

bool snow_arrays_ready(const model_state& s, bool keeping)
{
    const int n = s.num_cells;
    if (s.snow_swe.size() < n || s.ov_depth.size() < n || s.sn_stat.rows() < n || s.snow_scf.size() < n ||
        s.Melt_Waves.dim1() < n || s.Melt_Waves.dim2() < 6 || s.Melt_Waves.dim3() < 3)
        return false;
    if (keeping && s.snap_retention == 1 && (s.wave.dim1() < n || s.wave.dim2() < 51 || s.wave.dim3() < 5))
        return false;
    return !keeping ||
           (s.MF_Max.size() >= n && s.snow_heat_deficit.size() >= n && s.snow_temp_map.size() >= n);
}

} // namespace

int snow_melt_step(model_state& s, double t, int hourly_call, const dvec& rain, int& eb_melt)
{
    (void)hourly_call; // only the dormant rain-on-snow part tells the calls apart
    eb_melt = 0;
    const int n = s.num_cells;
    const bool eb = s.eb_snow != 0;
    const bool keeping = !eb;
    const bool nwsrfs = keeping && s.nwsrfs_snow;
    if (n <= 0 || !snow_arrays_ready(s, keeping))
        return 0;
    const double th = t / 3600.0;
    const int k = std::max(1, s.snow_retention_kind);
    const bool snap = keeping && s.snap_retention == 1;
    double seasonal = 0.0;
    if (keeping) {
        const int month = s.hmet_first_date[1], day = s.hmet_first_date[2];
        const int offset = march_day_offset(month, day);
        if (run_stopped())
            return s.snow_present;
        seasonal = 0.5 * std::sin(2.0 * (day + offset) * 3.14159265 / 366.0) + 0.5;
    }
    const bool cell_temps = s.hmet_ascii || orog_hmet_on(s);
    const bool have_rain = rain.size() >= n;
    // Hourly grids give every cell its own wind, humidity and pressure; a
    // cell the grids leave without weather this hour keeps its pack as it is.
    const bool cell_weather = s.hmet_ascii && s.hmet_cell_wind.size() >= n;

    int result = 0;
    if (sum_melt_packets(0, n, s.Melt_Waves, k, "ALL") > 1e-16)
        result = 1;
    bool hour_done = false; // once one cell completes its hour, the call counts as hourly
    for (int i = 1; i <= n; ++i) {
        s.snow_swe_cm = s.sn_stat[i][12] = s.snow_swe[i] * 100.0;
        if (skipped_cell(s, i))
            continue;
        if (s.snow_swe[i] > 1e-16)
            result = 1;
        const double temp = cell_temps ? s.hmet_cell_temp[i] : s.hmet_air_temp;
        const bool weather = !cell_weather || hmet_cell_has_weather(s, i);
        const double wind = cell_weather ? s.hmet_cell_wind[i] : s.hmet_wind;
        const double rel_hum = cell_weather ? s.hmet_cell_rel_hum[i] : s.hmet_rel_hum;
        const double pressure = cell_weather ? s.hmet_cell_pressure[i] : s.hmet_pressure;
        const double r = have_rain ? rain[i] : 0.0;

        bool complete = false;
        const double dtp = 1.0; // melt period, hours
        if (keeping) {
            if (th <= 0.99 && !hour_done) {
                double& hours = s.snow_period_hours[i];
                hours += th;
                if (std::fabs(hours - 1.0) < 0.01) {
                    complete = true;
                } else if (hours > 1.0) {
                    std::printf("\nTime Step Became Greater Than 1 hour in Snow Melt\n");
                    std::printf("Changing dtp to 1.0 hour \n");
                    complete = true;
                }
            } else {
                complete = true;
            }
            if (complete) {
                s.snow_period_hours[i] = 0.0;
                hour_done = true;
            }
        }

        if (s.snow_swe[i] > 1e-16 && (eb || complete) && weather) {
            double melt = 0.0; // m
            if (eb) {
                double q_rain = 0.0;
                const double q = pack_energy(s, temp, wind, rel_hum, pressure, r, q_rain);
                melt = q / s.snow_param_c * t / 360000.0;
            } else {
                double w = 0.0, dd = 0.0; // mm
                if (nwsrfs) {
                    const double mf = ((s.MF_Max[i] - s.MF_Min[i]) * seasonal + s.MF_Min[i]) * dtp / 6.0;
                    if (temp > 1e-16) {
                        w = temp * mf;
                    } else {
                        const double ati = update_ati(s, i, temp, dtp);
                        // A maximum melt factor of 0 gives no heat exchange.
                        const double ratio = s.MF_Max[i] > 0.0 ? mf / s.MF_Max[i] : 0.0;
                        dd = std::max(dtp / 6.0 * s.NMF[i] * ratio * (std::min(ati, 0.0) - temp), 0.0);
                    }
                } else {
                    double q_rain = 0.0;
                    const double q = pack_energy(s, temp, wind, rel_hum, pressure, r, q_rain);
                    w = std::max((q - q_rain) / s.snow_param_c * (dtp * 3600.0) / 360000.0, 0.0) * 1000.0;
                    const double ati = update_ati(s, i, temp, dtp);
                    dd = std::max(dtp / 6.0 * s.NMF[i] * (std::min(ati, 0.0) - temp), 0.0);
                }
                melt = pack_outflow(s, i, w, dd);
            }
            // Below freezing no water leaves the pack.
            if (temp < 0.0) {
                melt = 0.0;
            } else if (melt > 1e-16) {
                melt = std::min(melt, s.snow_swe[i]);
                s.snow_swe[i] -= melt;
                if (s.snow_swe[i] <= 1e-16 && keeping)
                    s.snow_liquid[i] = 0.0;
            }
            if (eb) {
                if (melt > 0.0) {
                    s.ov_depth[i] += melt;
                    eb_melt = 1;
                }
            } else if (snap) {
                const double scf = s.snow_scf[i];
                melt_wave_snowpack(s, i, scf > 0.0 ? r / scf / 10.0 : 0.0, temp, wind);
                add_melt_packet(i, s.ov_depth, s.Melt_Waves, melt, k);
                s.sn_stat[i][19] = 0.0;
            } else {
                s.ov_depth[i] += packet_left(s, i, 1);
                double* p = s.Melt_Waves[i][1];
                p[packet_drawn] = 0.0;
                p[packet_amount] = p[packet_capacity] = melt;
            }
        }

        if (s.snow_swe[i] > 1e-16) {
            result = 1;
        } else if (keeping && complete) {
            // The snow is gone: the packets and the held liquid reach the ground
            // (liquid in mm, depths in m).
            const double held = snap ? sum_melt_packets(i, n, s.Melt_Waves, k, "ONE") : packet_left(s, i, 1);
            clear_packets(s, i, k);
            s.ov_depth[i] += held + std::max(s.snow_liquid[i], 0.0) / 1000.0;
        }
        if (s.snow_swe[i] < 1e-16 && keeping) {
            s.snow_ice[i] = 0.0;
            s.snow_liquid[i] = 0.0;
        }
    }
    if (sum_melt_packets(0, n, s.Melt_Waves, k, "ALL") > 1e-16)
        result = 1;
    return result;
}
