#include <cstdio>

#include "channel/chan_file.h"
#include "channel/chan_point_input.h"
#include "channel/routed_nodes.h"
#include "core/model_state.h"

namespace
{

void problem(const char* line)
{
    std::printf("There is a problem with your channel source input file.  TORVA cannot\n");
    std::printf("%s", line);
    std::printf("\n\n");
    chan_stop();
}

} // namespace

int chan_source_header_read(model_state& s)
{
    int budget = 10000;
    chan_source_item r = chan_source_find(s, "numpt", budget);
    if (r == chan_source_item::eof)
        return -1;
    if (r == chan_source_item::refused) {
        problem("find the first card.  Check the format of your channel source file");
        return 0;
    }
    int n = 0;
    if ((r = chan_source_int(s, "NUMPT count", "NUMPT", n)) != chan_source_item::ok)
        return r == chan_source_item::eof ? -1 : 0;
    s.chan_point_count = n;
    s.chan_point_address.assign(n, 0);
    const int nc = s.num_constituents;
    budget = 10000;
    for (int k = 1; k <= n; ++k) {
        r = chan_source_find(s, "point", budget);
        if (r == chan_source_item::eof)
            return -1;
        if (r == chan_source_item::refused) {
            problem("find the point source location card.  Check the format of your channel source file");
            return 0;
        }
        char where[32];
        std::snprintf(where, sizeof where, "POINT %d", k);
        int node = 0, link = 0;
        double q = 0.0;
        if ((r = chan_source_int(s, "node", where, node)) != chan_source_item::ok ||
            (r = chan_source_int(s, "link", where, link)) != chan_source_item::ok ||
            (r = chan_source_real(s, "discharge", where, q)) != chan_source_item::ok)
            return r == chan_source_item::eof ? -1 : 0;
        if (link > s.num_links || node > s.nx[link] || !routed_link(s, link)) {
            std::printf(
                "Error in the channel point input file %s, %s: link %d node %d is not a node of a routed "
                "channel link.\n",
                s.chan_point_file.name.c_str(), where, link, node);
            chan_stop();
            return 0;
        }
        const int i = link * s.node_dim + node;
        s.chan_point_address[k] = i;
        s.chan_point_q[i] = q;
        for (int c = 1; c <= nc; ++c)
            if ((r = chan_source_real(s, "concentration", where, s.chan_point_conc[c][i])) !=
                chan_source_item::ok)
                return r == chan_source_item::eof ? -1 : 0;
    }
    budget = 10000;
    r = chan_source_find(s, "nrpds", budget);
    if (r == chan_source_item::eof) {
        s.chan_point_nperiods = 0;
        return 0;
    }
    if (r == chan_source_item::refused) {
        problem(
            "find the number of timed changes to your point inputs.  Check the format of your channel source "
            "file");
        return 0;
    }
    int m = 0;
    if ((r = chan_source_int(s, "NRPDS count", "NRPDS", m)) != chan_source_item::ok)
        return r == chan_source_item::eof ? -1 : 0;
    s.chan_point_nperiods = m;
    if (m <= 0)
        return 0;
    const int got = chan_source_date_read(s, "the INPUT line of record 1");
    return got;
}
