// Snow and orographic hydrometeorology members of the model state.
#pragma once

#include <string>

#include "core/arrays.h"
#include "core/file_rec.h"

struct snow_state {
    dvec snow_swe; // m per cell
    double snow_param_a = 0.0;
    double snow_param_b = 0.0;
    double snow_param_c = 0.0;
    double snow_param_d = 0.0;
    int snow_period_s = 0;
    file_rec snow_file;
    double hmet_elev_gage = 0.0;
    double hmet_lapse_rate = 0.0;
    double event_min_q = 0.0; // m3/s
    int seasonal_rs = 0;
    int seasonal_rs_spring = 0, seasonal_rs_fall = 0, seasonal_rs_summer_start = 0,
        seasonal_rs_summer_end = 0;
    int nwsrfs_snow = 0;
    int eb_snow = 0;
    int nwsrfs_retention = 0;
    int snap_retention = 0;
    int route_lat_snow = 0;
    int nwsrfs_mf_max_given = 0, nwsrfs_mf_min_given = 0, nwsrfs_fr_use_given = 0, nwsrfs_scf_given = 0;
    int nwsrfs_tipm_given = 0, nwsrfs_nmf_given = 0, nwsrfs_fua_given = 0, nwsrfs_plwhc_given = 0;
    int snow_temp_base_given = 0;
    int hmet_elev_gage_given = 0;
    int hmet_lapse_rate_given = 0;
    int nwsrfs_elev_snow = 0;
    int orogvar_hmet = 0;
    int hmet_orog_gages_given = 0;
    int hmet_first_date[4] = {}; // year, month, day, hour of the first record
    int hmet_last_date[4] = {};
    std::string hmet_station; // station name of the hydrometeorological file
    int hmet_repaired = 0;    // records repaired while reading it
    file_rec evap_log;          // hourly log of long-term runs, "evap_out"
    file_rec swe_hotstart_file; // initial snow water equivalent map
    // Snow arrays of long-term runs, allocated with the watershed.
    dvec snow_depth_in; // 10 x snow_swe per cell
    dcube Melt_Waves;   // [cell][0..6][0..3]
    dmat sn_stat;       // snow status [cell][0..23]
    dcube wave;         // [cell][0..51][0..5]
    dvec snow_scf;      // snowfall correction factor per cell
    dvec cfgi;          // frozen-ground index per cell
    dvec snow_temp_map; // per-cell temperature of the snow model
    dmat HSNOW;         // [cell][0..8]
    ivec St_Event;
    dvec snow_hour_rain;
    int snow_retention_kind = 0; // 6 with SNAP_RETENTION, else 1
    // Snow parameters per cell (read_snow_bands): melt factors in mm per
    // deg C per 6 h, fractions otherwise.
    dvec MF_Max, MF_Min, fr_use, TIPM, NMF, fua, PLWHC;
    dvec snow_band_cell; // the further per-cell array of alloc_snow_cell_array
    double snow_temp_threshold = 0.0; // deg C: rain at or below it falls as snow
    // Pack bookkeeping per cell: heat deficit, liquid water and frozen part
    // in mm of water, hours of sub-hourly calls towards the current hour.
    dvec snow_heat_deficit, snow_liquid, snow_ice, snow_period_hours;
    double snow_swe_cm = 0.0; // the last cell's snow water equivalent, cm
    // Melt-wave working values of the last cell updated: depth (cm),
    // density (g/cm3), irreducible liquid fraction, permeability.
    double snow_pack_depth = 0.0, snow_pack_density = 0.0, snow_theta_r = 0.0, snow_permeability = 0.0;
    int snow_eb_melt = 0;   // energy-balance melt reached the ground in the last snow call
    int hmet_snow_call = 0; // 1 while the hourly step calls the snow step

    // The current hourly hydrometeorological record (read_hmet_record):
    // radiation as in the file, cloud cover in tenths, deg C, %, mb, m/s.
    // hmet_first_date holds the date of the record last read after the scan.
    double hmet_direct_rad = 0.0, hmet_global_rad = 0.0, hmet_cloud = 0.0;
    double hmet_air_temp = 0.0, hmet_rel_hum = 0.0, hmet_pressure = 0.0, hmet_wind = 0.0;
    int hmet_record_count = 0; // records found by the scan
    int hmet_call_count = 0;   // 1 for the scan, then 2, 3, ...
    int hmet_lines_read = 0;   // data lines read so far by the record calls
    double hmet_lat = 0.0, hmet_lon = 0.0; // degrees, from a SAMSON header
    dvec hmet_cell_temp; // deg C per cell with orographic variation
    // Orographic temperature: gauge file elevations A and B (m), the gauge's
    // temperature of the current hour, and the last 24 hourly temperatures of
    // the station (row 0) and of the orographic gauge (row 1), newest first.
    double orog_elev_a = 0.0, orog_elev_b = 0.0, orog_temp = 0.0;
    // The gauge's last good temperature, which a missing one takes.
    int orog_seen = 0;
    double orog_last_temp = 0.0;
    int orog_date[4] = {};
    double orog_hourly[2][24] = {};
    // Repair memory: the last good value of each hour of the day, and the
    // last good value of the quantities repaired regardless of hour.
    double hmet_last_direct[24] = {}, hmet_last_global[24] = {};
    double hmet_last_rel_hum[24] = {}, hmet_last_temp[24] = {};
    double hmet_last_pressure = 0.0, hmet_last_cloud = 0.0, hmet_last_wind = 0.0;
    // Energy-balance evapotranspiration: ground surface temperature per cell
    // (K), carried from hour to hour once started; per-cell warning flags
    // and aerodynamic resistances of the cell loop, printed afterwards.
    dvec ground_temp;
    int ground_temp_started = 0;
    ivec et_warn;
    dvec et_warn_ra;
    // Hourly step of long-term runs.
    int hmet_start_skipped = 0;   // the START_DATE skip was done this run
    double evap_total_prev = 0.0; // evap_total at the previous hour, m3
    double aet_avg = 0.0;         // basin actual evapotranspiration of the past hour, cm
    double avg_theta = 0.0, avg_infil = 0.0, avg_bottom_flux = 0.0;
};
