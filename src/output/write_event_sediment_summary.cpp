// The sediment sections of the event summary: the overland sediment of
// every size class (running totals of the run), and the sand and wash load
// of the channels and lakes in the event, with their balance errors.
#include <cstdio>

#include "core/model_state.h"
#include "output/state_access.h"
#include "output/summary_writers.h"

namespace
{

bool fine_class(const model_state& s, int c)
{
    return value_at(s.sand, c) == 0;
}

void overland_sediment(const model_state& s, std::FILE* fp)
{
    std::fprintf(fp, "Overland Sediment Summary\n");
    std::fprintf(
        fp, "Quantities, except for amounts to Superlinks, are running totals for simulation - NOT EVENT \n");
    std::fprintf(fp, "Quantities for amount of sediment to superlink is for the single event\n");
    const sediment_table* t = s.ov_sed.get();
    for (int c = 1; c <= s.sed.num_sed; ++c) {
        const sed_tally total = t && c <= t->class_tally.size() ? t->class_tally[c] : sed_tally();
        const long cl = c;
        const double e = 0.0 - total.eroded; // eroded volume as a positive number (never -0)
        std::fprintf(fp, "Total sediment %ld eroded from surface:        %16.8lf m3\n", cl, e);
        std::fprintf(fp, "Total sediment %ld deposited on surface:       %16.8lf m3\n", cl, total.deposited);
        std::fprintf(fp, "Total sediment %ld remaining in suspension:    %16.8lf m3\n", cl, total.suspended);
        double r = total.deposited + total.suspended;
        if (s.chan_sed_on) {
            const double to_chan = value_at(s.chan_sed_in_total, c);
            std::fprintf(fp, "Total sediment %ld transported into channels:  %16.8lf m3\n", cl, to_chan);
            r += to_chan;
            if (s.chan_lakes) {
                const double to_lakes = value_at(s.sed_vol_overland_to_lake, 0, c);
                std::fprintf(fp, "Net sediment %ld from overland to lakes:       %16.8lf m3\n", cl, to_lakes);
                if (fine_class(s, c))
                    r += to_lakes;
            }
        } else {
            std::fprintf(fp, "Total sediment %ld routed through outlet       %16.8lf m3\n", cl, total.outlet);
            r += total.outlet;
        }
        if (s.storm_sewer) {
            std::fprintf(fp, "Total sediment %ld into superlinks (event)     %16.8lf m3\n", cl,
                         value_at(s.superlink_sed_in_event, c));
            r += value_at(s.superlink_sed_in_total, c);
            if (c == 1) {
                std::fprintf(fp, "\n");
                std::fprintf(fp, "Total water carrying sediments to superlinks (event) %16.8lf m3\n",
                             s.superlink_sed_water_event);
            }
        }
        std::fprintf(fp, "Mass balance error for sediment %ld %10.4lf percent \n", cl,
                     balance_error_pct(e, r, 1e-16));
        if (e <= 1e-16)
            std::fprintf(fp, "Note: no sediment %ld was eroded, so its mass balance error is given as 0.\n",
                         cl);
        if (fine_class(s, c) && s.chan_lakes) {
            std::fprintf(
                fp,
                "NOTE:  Interactions between sediment %ld and lakes in the watershed prevent an exact "
                "mass balance calculation \n",
                cl);
            std::fprintf(fp, "       Reported errors are likely accounting errors only \n");
        }
        std::fprintf(fp, "\n");
    }
    std::fprintf(fp, "\n");
}

void lake_sediment(const model_state& s, std::FILE* fp)
{
    std::fprintf(fp, "\n");
    std::fprintf(fp, "Lake Summary \n");
    std::fprintf(fp, "Quanties are for this event \n");
    std::fprintf(fp, "Net wash-load into lakes from overland:                     %16.8lf m3\n",
                 s.lake_washload_in_event);
    std::fprintf(fp, "Total wash-load settled in lakes:                           %16.8lf m3\n",
                 s.lake_washload_settled_event);
    std::fprintf(fp, "Total sand-load from upstream channel settled in lake bed:  %16.8lf m3\n",
                 value_at(s.event_lake_sand_in, 0));
    std::fprintf(fp, "Total overland sand-load settled in lake boundaries:        %16.8lf m3\n",
                 value_at(s.event_lake_depo_in, 0));
    std::fprintf(fp, "\n");
    for (int k = 1; k <= s.num_lakes; ++k) {
        std::fprintf(fp, "Summary for lake %d \n", k);
        std::fprintf(fp, "Quanties are for this event \n");
        std::fprintf(fp, "Initial vol of SS in lake:                  %16.8lf m3 \n",
                     value_at(s.init_sed_vol_lake, k));
        std::fprintf(fp, "Event vol of SS from lake to chan           %16.8lf m3 \n",
                     value_at(s.SS_vol_lake_to_chan, k, 0));
        std::fprintf(fp, "Event vol of SS from chan to lake           %16.8lf m3 \n",
                     value_at(s.SS_vol_chan_to_lake, k, 0));
        std::fprintf(fp, "Event net vol of SS from overland to lake   %16.8lf m3 \n",
                     value_at(s.SS_vol_overland_to_lake, k, 0));
        std::fprintf(fp, "Event vol of SS settled in lake             %16.8lf m3 \n",
                     value_at(s.SS_vol_lake_settled, k, 0));
        std::fprintf(fp, "Total Suspended Sediment in lake            %16.8lf m3 \n",
                     value_at(s.SS_vol_lake, k, 0));
        std::fprintf(fp, "\n");
        std::fprintf(fp, "Suspended Sediment Concentration              %16.8lf cc/m3\n",
                     value_at(s.SS_conc_vol_lake, k, 0) * 1000000.0);
        std::fprintf(fp, "Suspended Sediment Concentration              %16.8lf mg/L\n",
                     value_at(s.SS_conc_lake, k, 0));
        std::fprintf(fp, "\n");
        std::fprintf(fp, "Event sand settled into lake bottom:        %16.8lf m3 \n",
                     value_at(s.event_lake_sand_in, k));
        std::fprintf(fp, "Event sand settled in lake boundary:        %16.8lf m3 \n",
                     value_at(s.event_lake_depo_in, k));
    }
}

void channel_sediment(const model_state& s, std::FILE* fp)
{
    const bool lakes = s.chan_lakes != 0;
    std::fprintf(fp, "Channel sediment routing mass quantities\n");
    std::fprintf(fp, "Quanties are this Event \n");
    for (int c = 1; c <= s.sed.num_sed; ++c)
        std::fprintf(fp, "Total sediment %d transported into channels this event: %10.2lf m3\n", c,
                     value_at(s.chan_sed_in_event, c));
    std::fprintf(fp, "\n");

    const double sand_in = s.chan_sand_from_ov_event;
    const double sand_to_lakes = value_at(s.event_lake_sand_in, 0);
    std::fprintf(fp, "Initial volume of sand in channels:        %16.8lf m3\n", s.chan_sand_initial_event);
    std::fprintf(fp, "Event sand to chan from overland:          %16.8lf m3\n", sand_in);
    if (lakes)
        std::fprintf(fp, "Event sand from chan to lakes:             %16.8lf m3\n", sand_to_lakes);
    std::fprintf(fp, "Event sand outlet discharge:               %16.8lf m3\n", s.chan_sand_out_event);
    std::fprintf(fp, "Final sand in channels:                    %16.8lf m3\n", s.chan_sand_final);
    std::fprintf(fp, "\n");

    const double wash_in = value_at(s.chan_sed_in_event, 0);
    const double wash_to_lakes = value_at(s.SS_vol_chan_to_lake, 0, 0);
    const double wash_from_lakes = value_at(s.SS_vol_lake_to_chan, 0, 0);
    std::fprintf(fp, "Initial wash load in suspension:           %16.8lf m3 \n",
                 s.chan_washload_initial_event);
    std::fprintf(fp, "Event wash-load to chan from overland:     %16.8lf m3\n", wash_in);
    if (lakes) {
        std::fprintf(fp, "Event wash-load from chan to lakes :       %16.8lf m3\n", wash_to_lakes);
        std::fprintf(fp, "Event wash-load from lake to chan:         %16.8lf m3\n", wash_from_lakes);
    }
    std::fprintf(fp, "Event wash-load outlet discharge:          %16.8lf m3\n", s.chan_washload_out_event);
    std::fprintf(fp, "Final wash-load remaining in suspension:   %16.8lf m3\n", s.chan_wash_final);
    std::fprintf(fp, "\n");
    std::fprintf(fp, "Maximum rate of wash-load discharge: %16.8lf cms\n", s.chan_washload_peak_event);

    double sand_out = s.chan_sand_out_event + s.chan_sand_final;
    double wash_total_in = wash_in + s.chan_washload_initial_event;
    double wash_out = s.chan_washload_out_event + s.chan_wash_final;
    if (lakes) {
        sand_out += sand_to_lakes;
        wash_total_in += wash_from_lakes;
        wash_out += wash_to_lakes;
    }
    const double sand_total_in = sand_in + s.chan_sand_initial_event;
    std::fprintf(fp, "\n Event channel sediment mass-balance:\n");
    std::fprintf(fp, "Mass conservation error for wash load:     %10.6lf percent\n",
                 balance_error_pct(wash_total_in, wash_out, 1e-16));
    std::fprintf(fp, "Mass conservation error for sand load:     %10.6lf percent\n",
                 balance_error_pct(sand_total_in, sand_out, 1e-16));
    std::fprintf(fp, "Overall channel sediment mass cons. error: %10.6lf percent\n",
                 balance_error_pct(wash_total_in + sand_total_in, wash_out + sand_out, 1e-16));
    if (lakes)
        lake_sediment(s, fp);
    std::fprintf(fp, "\n");
}

} // namespace

void write_event_sediment_summary(const model_state& s, std::FILE* fp)
{
    if (!s.sed.soil_erosion)
        return;
    if (s.ov_sed_scheme == 1)
        overland_sediment(s, fp);
    if (s.chan_sed_on)
        channel_sediment(s, fp);
}
