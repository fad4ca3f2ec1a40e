#include "core/model_state.h"
#include "output/linknode_writers.h"
#include "output/output_steps.h"

void write_channel_linknode_step(model_state& s)
{
    if (!s.chan_explicit || s.num_links < 1)
        return;
    const auto write = [&](file_rec& f, int& step, const dnode_mat& first, const dnode_mat* second,
                           int mode) {
        if (!f.fp)
            return;
        write_linknode_step(f.fp, s.num_links, s.nx, &s.og_nx1, s.ltype, step, first, second, mode,
                            s.lake2link, s.lake_elev);
        ++step;
    };
    write(s.chan_depth_file, s.chan_depth_steps, s.yp, &s.bel, 1);
    if (s.chan_sed_flux_file.fp && s.chan_sed_on && !s.qsmax_total.empty() && !s.qsmax.empty()) {
        // The sediment discharge of every class leaving each node, cm3/s.
        for (int l = 1; l <= s.num_links; ++l)
            for (int n = 1; n <= s.nx[l]; ++n) {
                const double* q = s.qsmax[s.node_dim * l + n];
                double sum = 0.0;
                for (int c = 1; c <= s.sed.num_sed; ++c)
                    sum += q[c];
                s.qsmax_total[n][l] += 1000000.0 * sum;
            }
        write(s.chan_sed_flux_file, s.chan_sed_flux_steps, s.qsmax_total, nullptr, 0);
        for (int l = 1; l <= s.num_links; ++l)
            for (int n = 1; n <= s.nx[l]; ++n)
                s.qsmax_total[n][l] = 0.0;
    }
    write(s.chan_discharge_file, s.chan_discharge_steps, s.qp, nullptr, 0);
    write(s.chan_velocity_file, s.chan_velocity_steps, s.qp, &s.area, 2);
    write(s.chan_stage_file, s.chan_stage_steps, s.yp, nullptr, 0);
}

void write_flood_stream_step(model_state& s)
{
    if (!s.flood_stream || !s.linknode_out_file.fp || s.yp_max_flood.empty())
        return;
    write_linknode_step(s.linknode_out_file.fp, s.num_links, s.nx, &s.og_nx1, s.ltype, 0, s.yp_max_flood,
                        nullptr, 0, s.lake2link, s.lake_elev);
}
