// The summary of one event in the run summary file: timing and peak, the
// volume balance with its error, the Richards and groundwater balances, the
// constituent and sediment sections, the warnings and the lists of inputs,
// processes and outputs of the run.
#include <cmath>
#include <cstdio>
#include <string>

#include "core/model_state.h"
#include "output/output_steps.h"
#include "output/summary_writers.h"

namespace
{

// The leading run of capital letters of a station name.
std::string station_letters(const std::string& name)
{
    std::string letters;
    for (char c : name) {
        if (c < 'A' || c > 'Z')
            break;
        letters += c;
    }
    return letters;
}

void heading(const model_state& s, std::FILE* fp)
{
    if (!s.long_term) {
        std::fprintf(fp, "         TORVA EVENT RUNOFF SIMULATION SUMMARY\n");
        std::fprintf(fp, "            Event began on %2.2d/%2.2d/%4.4d at %2.2d:%2.2d\n", s.event_month,
                     s.event_day, s.event_year, s.event_hour, s.event_minute);
        return;
    }
    if (s.event_num > 1) {
        std::fprintf(fp, "\n\n");
        for (int k = 0; k < 78; ++k)
            std::fprintf(fp, "%c", '-');
        std::fprintf(fp, "\n");
    }
    std::fprintf(fp, "       TORVA LONG-TERM RUNOFF SIMULATION SUMMARY- EVENT %ld\n",
                 static_cast<long>(s.event_num));
    std::fprintf(fp, "Event began on strict Julian date:                    %16.8lf\n", s.event_start_julian);
    std::fprintf(fp, "Event ended on strict Julian date:                    %16.8lf\n", s.current_time);
    std::fprintf(fp, "Event began on %2.2ld/%2.2ld/%4.4ld at %2.2ld:%2.2ld  GMT %3.1f hours.\n\n",
                 static_cast<long>(s.event_month), static_cast<long>(s.event_day),
                 static_cast<long>(s.event_year), static_cast<long>(s.event_hour),
                 static_cast<long>(s.event_minute), s.gmt);
    if (s.hmet_samson)
        std::fprintf(fp, "TORVA used NCDC/SAMSON hydrometeorological data from the %s station\n",
                     station_letters(s.hmet_station).c_str());
    if (s.hmet_surfaways)
        std::fprintf(fp, "TORVA used NCDC/Surface Airways hydrometeorological data.\n");
    const int* f = s.hmet_first_date; // year, month, day, hour
    const int* l = s.hmet_last_date;
    std::fprintf(fp, "Hydrometeorology data began on: %2.2d/%2.2d/%4d at %2d:00\n", f[1], f[2], f[0], f[3]);
    std::fprintf(fp, "and ended on:                   %2.2d/%2.2d/%4d at %2d:00\n", l[1], l[2], l[0], l[3]);
    std::fprintf(fp, "The following number of hydromet. data points were repaired:%d\n", s.hmet_repaired);
    if (s.et_calc_penman)
        std::fprintf(fp, "Penman-Montieth evapotranspiration was calculated.\n");
    if (s.et_calc_deardorff)
        std::fprintf(fp, "Deardorff bare-soil evaporation was calculated.\n");
    if (s.sacramento)
        std::fprintf(fp, "Sacramento soil moisture accounting was used.\n");
    std::fprintf(fp, "\n");
}

void rainfall_and_run(const model_state& s, std::FILE* fp)
{
    if (s.precip_unif)
        std::fprintf(fp, "   With uniform rainfall of %6.1lf mm/h for %6.1lf minutes.\n\n", s.rain_intensity,
                     s.rain_duration);
    if (s.precip_file_on)
        std::fprintf(fp, "With raingage data ");
    if (s.precip_radar)
        std::fprintf(fp, "With radar-rainfall estimates ");
    if (s.rain_inv_distance)
        std::fprintf(fp, "using inverse-distance squared interpolation.\n\n");
    if (s.rain_thiessen)
        std::fprintf(fp, "using Thiessen polygon interpolation.\n\n");
    if (s.units == 0)
        std::fprintf(fp, "elevation and gridsize are in meters\n");
    else
        std::fprintf(fp, "elevation and gridsize were converted from feet to meters\n");
    std::fprintf(fp, "timestep                                   %5.1lf seconds\n", s.timestep);
    if (s.long_term)
        std::fprintf(fp, "initial basin-averaged soil water content: %5.2lf percent\n",
                     s.init_avg_moisture * 100.0);
    std::fprintf(fp, "number of timesteps with rain:             %d\n", s.rain_steps);
    std::fprintf(fp, "elapsed time when rain began:              %5.2lf\n \n",
                 s.rain_start_min - s.timestep / 60.0);
    if (s.event_peak_q > 0.0) {
        const int* d = s.peak_q_date; // year, month, day, hour, minute, second
        std::fprintf(fp, "peak occured on strict Julian date:       %16.8lf\n", s.peak_q_time);
        std::fprintf(fp, "date/time of peak discharge:              %d/%d/%d  %d:%2.2d:%2.2d\n", d[1], d[2],
                     d[0], d[3], d[4], d[5]);
    }
    std::fprintf(fp, "Event peak discharge (cubic meters per second):  %12.4lf\n\n", s.event_peak_q);
    std::fprintf(fp, "Note: all volumes in cubic meters.\n");
}

void volume_table(const model_state& s, std::FILE* fp)
{
    const bool chan = s.chan_explicit == 1;
    const bool lakes = s.chan_lakes != 0;
    const bool pipes = s.storm_sewer == 1;
    const bool bounds = s.ov_boundary || s.xybdyinput_ovdep;
    if (lakes)
        std::fprintf(fp, "initial volume in lakes               %16.1lf\n", s.lake_initial_volume);
    std::fprintf(fp, "initial volume of overland flow:      %16.1lf\n", s.init_surface_vol);
    if (chan)
        std::fprintf(fp, "initial volume in channels:           %16.1lf\n", s.init_chan_vol);
    if (pipes)
        std::fprintf(fp, "initial volume in sub-surface drains: %16.1lf\n \n", s.superlink_initial_volume);
    std::fprintf(fp, "initial liquid-equiv. volume of snow: %16.1lf\n \n", s.snow_initial_volume);
    std::fprintf(fp, "volume of rainfall to overland:      %16.1lf\n", s.rain_vol + s.interception_event);
    std::fprintf(fp, "volume of interception:              %16.1lf\n", s.interception_event);
    if (s.sacramento) {
        std::fprintf(fp, "volume of base flow from Sacramento:   %16.1lf\n", s.sac_baseflow_event);
        std::fprintf(fp, "volume of subsurface at event start:   %16.1lf\n", s.sac_subsurface_start_event);
        std::fprintf(fp, "volume of subsurface at event end:     %16.1lf\n", s.sac_subsurface_end_event);
        std::fprintf(fp, "volume of et removed water:            %16.1lf\n", s.et_volume_event);
        std::fprintf(fp, "volume of infil water SAC recieves:    %16.1lf\n", s.sac_infil_event);
    }
    std::fprintf(fp, "volume of direct evaporation:        %16.1lf\n", s.et_volume_event);
    std::fprintf(fp, "volume of infiltrated water:         %16.1lf\n", s.infil_vol);
    std::fprintf(fp, "volume of water exfiltrated:         %16.1lf\n", s.event_exfil_vol);
    std::fprintf(fp, "volume of discharge:                 %16.1lf\n", s.event_outflow_vol);
    if (s.soil_water_acct)
        std::fprintf(fp, "volume of groundwater recharge:      %16.1lf\n", s.recharge_volume_event);
    if (chan) {
        std::fprintf(fp, "net volume of lateral inflow:        %16.1lf\n",
                     s.lateral_inflow_total - s.lateral_net_event_b);
        std::fprintf(fp, "lateral flow into channel            %16.1lf\n",
                     s.lateral_in_event - s.lateral_in_event_b);
        std::fprintf(fp, "lateral flow out of channel          %16.1lf\n",
                     s.lateral_out_event_b - s.lateral_out_event);
        if (s.stream_loss && !s.sacramento) {
            std::fprintf(fp, "volume of gw to chan:                %16.1lf\n", s.gw_to_chan_event);
            std::fprintf(fp, "volume of water from chan to gw:     %16.1lf\n", s.chan_to_gw_event);
        }
        if (lakes) {
            std::fprintf(fp, "volume precip to lake:               %16.1lf\n", s.event_lake_rain_vol);
            std::fprintf(fp, "volume overland to lake:             %16.1lf\n", s.ov_to_lake_vol);
            std::fprintf(fp, "volume overland from lake:           %16.1lf\n", s.ov_from_lake_vol);
            if (s.lake_gw_exchange) {
                std::fprintf(fp, "volume of gw to lakes:               %16.1lf\n", s.gw_to_lake_event);
                std::fprintf(fp, "volume of water from lakes to gw:    %16.1lf\n", s.lake_to_gw_event);
            }
        }
        std::fprintf(fp, "volume of stream point sources:      %16.1lf\n", s.stream_point_source_event);
        std::fprintf(fp, "volume of stream point sinks:        %16.1lf\n", s.stream_point_sink_event);
        std::fprintf(fp, "volume of lake point sources:        %16.1lf\n", s.lake_point_source_event);
        std::fprintf(fp, "volume of lake point sinks:          %16.1lf\n", s.lake_point_sink_event);
        std::fprintf(fp, "volume of lake evaporation:          %16.1lf\n", s.lake_evap_event);
    }
    if (s.long_term && s.inf_richards)
        std::fprintf(fp, "volume of total evaporation:         %16.1lf\n", s.evap_event);
    std::fprintf(fp, "volume from overland point sources:  %16.1lf\n", s.ov_point_vol);
    if (bounds) {
        std::fprintf(fp, "\n");
        std::fprintf(fp, "Volume to specified head (out):      %16.1lf\n", s.head_bc_out_event);
        std::fprintf(fp, "Volume from specified head (in):     %16.1lf\n", s.head_bc_in_event);
        if (s.ov_boundary) {
            std::fprintf(fp, "Volume to specified slope (out):     %16.1lf\n", s.slope_bc_out_event);
            std::fprintf(fp, "Volume from specified discharge (in):%16.1lf\n", s.discharge_bc_in_event);
            std::fprintf(fp, "Volume to specified discharge (out): %16.1lf\n", s.discharge_bc_out_event);
            std::fprintf(fp, "Volume of specified discharge unmet: %16.1lf\n", s.discharge_bc_unmet_event);
        }
        std::fprintf(fp, "\n");
    }
    if (pipes) {
        std::fprintf(fp, "overland inputs to superlink:        %16.1lf\n", s.superlink_ov_in_event);
        std::fprintf(fp, "volume of superlink to overland:     %16.1lf\n", s.superlink_to_ov_event);
        if (chan)
            std::fprintf(fp, "volume of superlink to channels:     %16.1lf\n", s.superlink_to_chan_event);
        if (s.tile_drains)
            std::fprintf(fp, "volume of gw to tile drains:         %16.1lf\n", s.gw_to_tile_event);
    }
    std::fprintf(fp, "\n");
    if (lakes)
        std::fprintf(fp, "volume remaining in lakes            %16.1lf\n", s.lake_final_volume);
    std::fprintf(fp, "volume remaining on surface:         %16.1lf\n", s.surface_vol);
    if (chan)
        std::fprintf(fp, "final volume in channels (cu. m):    %16.1lf\n", s.chan_vol);
    if (pipes)
        std::fprintf(fp, "volume remaining in drains:          %16.1lf\n", s.superlink_volume_remaining);
    std::fprintf(fp, "final volume of snow (cu. m):        %16.1lf\n \n", s.snow_final_volume);
    if (s.snow_final_volume > 0.0)
        std::fprintf(fp, "********WARNING - YOU HAVE SNOW ACCUMULATION !!!!!!!!!!!!!!!!\n");
}

// e = (in - out) / in: a positive error means less water came out (or is
// stored) than went in, so water was lost; -1 marks an event without input.
void mass_conservation(const model_state& s, std::FILE* fp)
{
    const double e = s.mass_error_pct;
    const bool no_input = e == -1.0;
    std::fprintf(fp, "mass conservation error:                         %9.6lf percent\n", e * 100.0);
    if (!no_input) {
        if (e < 0.0)
            std::fprintf(fp, "Note: negative mass conservation error indicates mass was gained.\n");
        else
            std::fprintf(fp, "Note: positive mass conservation error indicates mass was lost.\n");
    }
    std::fprintf(fp, "Mass input + original mass:           %9.6lf m3\n", s.event_mass_in);
    std::fprintf(fp, "Mass output + final mass:             %9.6lf m3\n", s.event_mass_out);
    std::fprintf(fp, "mass cleanup error from overland:     %9.6lf m3\n", s.ov_cleanup_vol_event);
    std::fprintf(fp, "\n");
    if (s.long_term)
        std::fprintf(fp, "final basin-averaged soil water content: %5.2lf percent\n",
                     s.final_avg_moisture * 100.0);
    if (no_input)
        std::fprintf(fp, "Note: no rainfall was input.\n");
}

void richards_block(const model_state& s, std::FILE* fp)
{
    std::fprintf(fp, "\n \n Richard's EQ. Computations \n \n");
    std::fprintf(fp, "volume lost due to dir. evap (cu. m):  %9.1lf\n", s.et_volume_event);
    std::fprintf(fp, "net vol infiltrated to soil (cu. m.):  %9.1lf\n", s.infil_volume_event);
    std::fprintf(fp, "vol groundwater recharge (cu. m):      %9.1lf\n", s.recharge_volume_event);
    std::fprintf(fp, "Initial volume in soils (cu. m.):      %9.1lf\n", s.soil_initial_volume_event);
    std::fprintf(fp, "Final volume in soils (cu. m.):        %9.1lf\n", s.soil_final_volume);
    std::fprintf(fp, "Richard equation mass balance error         %5.4lf percent\n", s.richards_error_pct);
    std::fprintf(fp, "Number of cells at start of event   %12d\n", s.event_cell_count);
    std::fprintf(fp, "Number of cells at end of event     %12d\n", s.richards_nodes_end);
    std::fprintf(fp, "net volume of infiltration is infiltration minus evaporation\n");
}

void groundwater_block(const model_state& s, std::FILE* fp)
{
    std::fprintf(fp, "\n \n GROUNDWATER CALCULATION SUMMARIES FOR EVENT \n \n");
    std::fprintf(fp, "volume of water directly to surface from groundwater (cu. m): %9.1lf\n",
                 s.event_exfil_vol);
    std::fprintf(fp, "beginning vol of water exfiltrated this event (cu. m):        %9.1lf\n",
                 s.exfil_vol_event_start);
    std::fprintf(fp, "total vol of water exfiltrated this run (cu. m):              %9.1lf\n",
                 s.exfil_vol_total);
    std::fprintf(fp, "vol from gw to unsat this event, w/o recharge (cu. m):        %9.1lf\n",
                 s.gw_to_unsat_event);
    std::fprintf(fp, "vol groundwater recharge (cu. m):                             %9.1lf\n",
                 s.recharge_volume_event);
    if (s.chan_explicit) {
        std::fprintf(fp, "vol from gw to chan  this event (cu. m):                      %9.1lf\n",
                     s.gw_to_chan_event);
        std::fprintf(fp, "vol from chan to gw  this event (cu. m):                      %9.1lf\n",
                     s.chan_to_gw_event);
        if (s.chan_lakes) {
            std::fprintf(fp, "vol from gw to lakes this event (cu. m):                      %9.1lf\n",
                         s.gw_to_lake_event);
            std::fprintf(fp, "vol from lakes to gw this event (cu. m):                      %9.1lf\n",
                         s.lake_to_gw_event);
        }
    }
    if (s.storm_sewer)
        std::fprintf(fp, "vol gw to tile dtrains (cu. m):                               %9.1lf\n",
                     s.gw_to_tile_event);
    if (s.cards.xy_in.num_gw_points > 0 || s.cards.xy_in.num_gw_interp_points > 0) {
        std::fprintf(fp, "vol gain for gw from XY boundaries:                           %9.1lf\n",
                     s.xy_gw_gain_event);
        std::fprintf(fp, "vol loss for gw from XY boundaries:                           %9.1lf\n",
                     s.xy_gw_loss_event);
    }
}

// A: the error is beyond 2 percent (an event without input has no error to
// warn about); B: depths left the look-up tables; C: more than 5 percent of
// the rain is still on the surface, which only keeps "No Warnings." away.
void warnings(const model_state& s, std::FILE* fp)
{
    const double e = s.mass_error_pct;
    const bool a = e != -1.0 && std::fabs(e * 100.0) > 2.0;
    const bool b = s.xsec_range_flag != 0;
    const bool c = s.surface_vol > 0.05 * s.rain_vol;
    std::fprintf(fp, "THE FOLLOWING WARNINGS ARE GIVEN:\n");
    if (a) {
        std::fprintf(fp, "-Mass conservation error (absolute) is larger than typical values (<2 percent).\n");
        std::fprintf(fp, " This indicates a problem with your data set, or that you are using the model\n");
        std::fprintf(fp, " to simulate an extreme event which violates one or more assumptions made\n");
        std::fprintf(fp, " in the development of TORVA.  You should first check for errors in the\n");
        std::fprintf(fp, " channel inputs, including cross-sectional data.  A decrease in the model\n");
        std::fprintf(fp, " time step may also help alleviate this problem.\n\n");
    }
    if (b) {
        std::fprintf(fp, "-Depths exceeded the range of look-up table X-section data.\n");
        std::fprintf(fp, " This is usually a source of error, particularly near hydrograph peaks.\n");
    }
    if (!a && !b && !c)
        std::fprintf(fp, "No Warnings.\n");
}

} // namespace

void write_event_summary(model_state& s)
{
    std::FILE* fp = s.summary_file.fp;
    if (!fp)
        return;
    heading(s, fp);
    rainfall_and_run(s, fp);
    volume_table(s, fp);
    mass_conservation(s, fp);
    if (s.inf_richards)
        richards_block(s, fp);
    if (s.gw_simulation)
        groundwater_block(s, fp);
    std::fprintf(fp, "\n");
    write_event_quality_summary(s, fp);
    warnings(s, fp);
    write_option_summary(s);
}
