// The channel node and link that every 999 outlet of the pipe network
// discharges to: the SJUNC line's row gives the link, its column the node.
#include <cstdio>

#include "channel/channel_steps.h"
#include "core/error_state.h"
#include "core/model_state.h"

void connect_superlink_outlets(model_state& s)
{
    if (s.superlink_chan_con_link.empty())
        return; // no network was loaded
    for (int j = 1; j <= s.num_sjunc; ++j) {
        if (s.sjunc_inlet_type[j] != 999)
            continue;
        const int link = s.superjunct_i[j];
        const int node = s.superjunct_j[j];
        if (node == 0 || link == 0) {
            if (node == 0)
                std::printf("Superlink outlet channel node not found, at superjunction %d\n", j);
            if (link == 0)
                std::printf("Superlink outlet channel link not found, at superjunction %d\n", j);
            std::printf("Check your superlink input file to insure that superlink outlets\n");
            std::printf("terminate on stream arcs.\n");
            error_set(err_stop);
            return;
        }
        if (link < 0 || link > s.num_links || node < 0 || node > s.nx[link]) {
            std::printf(
                "Error in the pipe-network file %s: superjunction %d discharges to channel link %d, node %d, "
                "which the channel network does not hold.\n",
                s.storm_sewer_name.c_str(), j, link, node);
            error_set(err_stop);
            return;
        }
        s.superlink_chan_con_link[j] = link;
        s.superlink_chan_con_node[j] = node;
    }
}
