// The pipe network's output locations: the superjunctions of
// SUPERLINK_JUNC_LOCATION and the superlink nodes of SUPERLINK_NODE_LOCATION,
// each list a count and its entries as free-format integers.
#include <cstdio>

#include "channel/channel_steps.h"
#include "input/read_location_list.h"
#include "core/model_state.h"

bool read_superlink_locations(model_state& s)
{
    ivec unused;
    if (s.superlink_junc_location_given &&
        !read_location_list(
            s.superlink_junc_location_file, 1, s.num_sjunc_locations, s.sjunc_loc, unused,
            [&](int k, int j, int) {
                if (j >= 1 && j <= s.num_sjunc)
                    return true;
                std::printf("Error: entry %d of the location list %s, superjunction %d, lies outside the "
                            "pipe network.\n",
                            k, s.superlink_junc_location_file.name.c_str(), j);
                return false;
            }))
        return false;
    if (s.superlink_node_location_given &&
        !read_location_list(
            s.superlink_node_location_file, 2, s.num_sl_node_locations, s.sl_link, s.sl_node,
            [&](int k, int l, int n) {
                if (l >= 1 && l <= s.num_slink && n >= 1 && n <= s.nnodes[l] + 1)
                    return true;
                std::printf("Error: entry %d of the location list %s, superlink %d node %d, lies outside "
                            "the pipe network.\n",
                            k, s.superlink_node_location_file.name.c_str(), l, n);
                return false;
            }))
        return false;
    return true;
}
