// The end-of-run sediment summaries: the overland balance of every size
// class, the channel sand and wash-load balances, the lake blocks, and the
// bed-elevation report of the channel network.
#include <cstdio>
#include <string>

#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/model_state.h"
#include "output/output_steps.h"
#include "output/state_access.h"
#include "quality/sediment_block.h"

namespace
{

// (in - out) / in x 100 when in is above 1e-16, else 0.
double channel_error(double in, double out)
{
    return in > 1e-16 ? (in - out) / in * 100.0 : 0.0;
}

void overland_summary(const model_state& s, std::FILE* fp)
{
    std::fprintf(fp, "Overland Sediment Summary\n");
    for (int c = 1; c <= s.sed.num_sed; ++c) {
        const sed_tally t =
            s.ov_sed && c <= s.ov_sed->class_tally.size() ? s.ov_sed->class_tally[c] : sed_tally{};
        const long lc = c;
        std::fprintf(fp, "Total sediment %ld eroded from surface:        %16.8lf m3\n", lc, 0.0 - t.eroded);
        std::fprintf(fp, "Total sediment %ld deposited on surface:       %16.8lf m3\n", lc, t.deposited);
        std::fprintf(fp, "Total sediment %ld remaining in suspension:    %16.8lf m3\n", lc, t.suspended);
        const double E = 0.0 - t.eroded;
        double R = t.deposited + t.suspended;
        const bool fine = value_at(s.sand, c) == 0;
        if (s.chan_sed_on) {
            const double into = value_at(s.chan_sed_in_total, c);
            std::fprintf(fp, "Total sediment %ld transported into channels:  %16.8lf m3\n", lc, into);
            R += into;
            if (s.chan_lakes) {
                const double lakes = value_at(s.sed_vol_overland_to_lake, 0, c);
                std::fprintf(fp, "Net sediment %ld from overland to lakes:       %16.8lf m3\n", lc, lakes);
                if (fine)
                    R += lakes;
            }
        } else {
            std::fprintf(fp, "Total sediment %ld routed through outlet       %16.8lf m3\n", lc, t.outlet);
            R += t.outlet;
        }
        if (s.storm_sewer) {
            const double pipes = value_at(s.superlink_sed_in_total, c);
            std::fprintf(fp, "Total sediment %ld into superlinks:            %16.8lf m3\n", lc, pipes);
            R += pipes;
        }
        // A class that nothing eroded has no defined error.
        std::fprintf(fp, "Mass balance error for sediment %ld %10.4lf \n", lc,
                     E != 0.0 ? (E - R) / E * 100.0 : 0.0);
        if (E == 0.0)
            std::fprintf(fp, "Note: no sediment %ld was eroded, so its mass balance error is given as 0.\n",
                         lc);
        if (fine && s.chan_lakes) {
            std::fprintf(
                fp,
                "NOTE:  Interactions between sediment %ld and lakes in the watershed prevent an exact "
                "mass balance calculation \n",
                lc);
            std::fprintf(fp, "       Reported errors are likely accounting errors only \n");
        }
        std::fprintf(fp, "\n");
    }
}

void channel_summary(const model_state& s, std::FILE* fp)
{
    std::fprintf(fp, "Channel sediment routing mass quantities\n");
    for (int c = 1; c <= s.sed.num_sed; ++c)
        std::fprintf(fp, "Total sediment %d transported into channels: %16.8lf m3\n", c,
                     value_at(s.chan_sed_in_total, c));
    std::fprintf(fp, "\n");
    const bool lakes = s.chan_lakes != 0;
    const double lake_sand = value_at(s.tot_lake_sand_in, 0);
    std::fprintf(fp, "Initial volume of sand in channels:        %16.8lf m3\n", s.chan_sand_initial_total);
    std::fprintf(fp, "Total sand to chan from overland:          %16.8lf m3\n", s.chan_sand_from_ov_total);
    if (lakes)
        std::fprintf(fp, "Total sand from chan to lakes:             %16.8lf m3\n", lake_sand);
    std::fprintf(fp, "Total sand outlet discharge:               %16.8lf m3\n", s.chan_sand_out_total);
    std::fprintf(fp, "Final sand in channels:                    %16.8lf m3\n", s.chan_sand_final);
    std::fprintf(fp, "\n");
    const double wash_in = value_at(s.chan_sed_in_total, 0);
    const double chan_to_lake = value_at(s.GLOBAL_SS_vol_chan_to_lake, 0, 0);
    const double lake_to_chan = value_at(s.GLOBAL_SS_vol_lake_to_chan, 0, 0);
    std::fprintf(fp, "Total wash-load to chan from overland:     %16.8lf m3\n", wash_in);
    if (lakes) {
        std::fprintf(fp, "Total wash-load from chan to lakes :       %16.8lf m3\n", chan_to_lake);
        std::fprintf(fp, "Total wash-load from lake to chan:         %16.8lf m3\n", lake_to_chan);
    }
    std::fprintf(fp, "Total wash-load outlet discharge:          %16.8lf m3\n", s.chan_washload_out_total);
    std::fprintf(fp, "Final wash-load remaining in suspension:   %16.8lf m3\n", s.chan_wash_final);

    const double sand_in = s.chan_sand_from_ov_total + s.chan_sand_initial_total;
    const double sand_out = s.chan_sand_out_total + s.chan_sand_final + (lakes ? lake_sand : 0.0);
    const double w_in = wash_in + (lakes ? lake_to_chan : 0.0);
    const double w_out = s.chan_washload_out_total + s.chan_wash_final + (lakes ? chan_to_lake : 0.0);
    std::fprintf(fp, "\n Total channel sediment mass-balance:\n");
    std::fprintf(fp, "Mass conservation error for wash load:     %10.6f percent\n",
                 channel_error(w_in, w_out));
    std::fprintf(fp, "Mass conservation error for sand load:     %10.6lf percent\n",
                 channel_error(sand_in, sand_out));
    std::fprintf(fp, "Overall channel sediment mass cons. error: %10.6lf percent\n",
                 channel_error(w_in + sand_in, w_out + sand_out));
}

void lake_summary(const model_state& s, std::FILE* fp)
{
    std::fprintf(fp, "\n");
    std::fprintf(fp, "Lake Summary \n");
    std::fprintf(fp, "Net wash-load into lakes from overland:                     %10.1lf m3\n",
                 s.lake_washload_in_total);
    std::fprintf(fp, "Total wash-load settled in lakes:                           %10.1lf m3\n",
                 s.lake_washload_settled_total);
    std::fprintf(fp, "Total sand-load from upstream channel settled in lake bed:  %10.1lf m3\n",
                 value_at(s.tot_lake_sand_in, 0));
    std::fprintf(fp, "Total overland sand-load settled in lake boundaries:        %10.1lf m3\n",
                 value_at(s.tot_lake_depo_in, 0));
    std::fprintf(fp, "\n");
    for (int l = 1; l <= s.num_lakes; ++l) {
        std::fprintf(fp, "Summary for lake %d \n", l);
        std::fprintf(fp, "\n");
        std::fprintf(fp, "Total vol of SS from lake to chan           %16.8lf m3 \n",
                     value_at(s.GLOBAL_SS_vol_lake_to_chan, l, 0));
        std::fprintf(fp, "Total vol of SS from chan to lake           %16.8lf m3 \n",
                     value_at(s.GLOBAL_SS_vol_chan_to_lake, l, 0));
        std::fprintf(fp, "Total net vol of SS from overland to lake   %16.8lf m3 \n",
                     value_at(s.GLOBAL_SS_vol_overland_to_lake, l, 0));
        std::fprintf(fp, "Total vol of SS settled in lake             %16.8lf m3 \n",
                     value_at(s.GLOBAL_SS_vol_lake_settled, l, 0));
        std::fprintf(fp, "Total Suspended Sediment in lake            %16.8lf m3 \n",
                     value_at(s.SS_vol_lake, l, 0));
        std::fprintf(fp, "\n");
        std::fprintf(fp, "Suspended Sediment Concentration              %16.8lf cc/m3\n",
                     value_at(s.SS_conc_vol_lake, l, 0) * 1000000.0);
        std::fprintf(fp, "Suspended Sediment Concentration              %16.8lf mg/L\n",
                     value_at(s.SS_conc_lake, l, 0));
        std::fprintf(fp, "\n");
        std::fprintf(fp, "Total sand settled into lake bottom:        %16.8lf m3 \n",
                     value_at(s.tot_lake_sand_in, l));
        std::fprintf(fp, "Total sand settled in lake boundary:        %16.8lf m3 \n",
                     value_at(s.tot_lake_depo_in, l));
    }
}

double node_value(const dnode_mat& m, int n, int l)
{
    return !m.empty() && n <= m.rows() && l <= m.cols() ? m[n][l] : 0.0;
}

} // namespace

bool write_bed_elevation_report(model_state& s)
{
    file_rec f;
    const std::string name = "new_bed_elevations.txt";
    if (!file_rec_open(f, name, "w")) {
        std::printf("Can't open the file for printing updated bed elevations: %s\n", name.c_str());
        error_set(err_stop);
        report_error(error_state);
        return false;
    }
    std::FILE* fp = f.fp;
    std::fprintf(
        fp, "Link Node  New Elev(m) Old ELev (m) struct_flag: 0 no structure, 1 - structure, 2 - lake \n");
    for (int l = 1; l <= s.num_links && l <= s.ltype.size(); ++l) {
        if (s.ltype[l] & 32) {
            std::fprintf(fp, "Link %5ld is a lake %5ld  \n", static_cast<long>(l), 2L);
            continue;
        }
        const long flag = (s.ltype[l] & 64) ? 1 : 0;
        const int nodes = value_at(s.og_nx1, l);
        for (int n = 1; n <= nodes; ++n) {
            const double old_bel = node_value(s.org_bel, n, l);
            if (s.sed.adjust_channel_bed)
                std::fprintf(fp, "%ld %ld %10.3lf %10.3lf %ld \n", static_cast<long>(l), static_cast<long>(n),
                             node_value(s.bel, n, l), old_bel, flag);
            else
                std::fprintf(fp, "%ld %ld %10.3lf %10.3lf  %ld \n", static_cast<long>(l),
                             static_cast<long>(n), node_value(s.new_bel, n, l), old_bel, flag);
        }
    }
    file_rec_close(f); // a failed write is reported by the record
    return true;
}

bool write_final_sediment_summary(model_state& s)
{
    std::FILE* fp = s.summary_file.fp;
    if (s.sed.soil_erosion && fp) {
        if (s.ov_sed_scheme == 1)
            overland_summary(s, fp);
        std::fprintf(fp, "\n");
        if (s.chan_sed_on) {
            channel_summary(s, fp);
            if (s.chan_lakes)
                lake_summary(s, fp);
            if (!write_bed_elevation_report(s))
                return false;
        }
    }
    if (fp)
        std::fprintf(fp, "\n");
    return true;
}
