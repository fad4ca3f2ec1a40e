#include <cstdio>

#include "channel/chan_file.h"
#include "channel/channel_state.h"
#include "channel/hydraulic_structures.h"
#include "core/model_state.h"

namespace
{

bool refuse(const char* text, int link, int other)
{
    std::printf(text, link, other);
    chan_stop();
    return false;
}

} // namespace

bool structure_links_setup(model_state& s)
{
    const int L = s.num_links;
    for (int l = 1; l <= L; ++l) {
        if (!(s.ltype[l] & 64))
            continue;
        // The structure passes the water of one link on to the next: both
        // sides must hold water levels of their own.
        if (s.ndep[l] != 1)
            return refuse(
                "Error: structure link %d has %d upstream links; a structure link takes the water of "
                "exactly one link.\n",
                l, s.ndep[l]);
        const int ds = s.dslink[l];
        if (l == L || ds < 1 || ds > L)
            return refuse(
                "Error: structure link %d is the outlet link; a structure link needs a channel link "
                "or a lake downstream.\n",
                l, ds);
        for (int side : {s.uslinks[l][1], ds})
            if (s.ltype[side] & 64)
                return refuse("Error: structure link %d joins structure link %d; a structure link needs a "
                              "channel link or a lake on each side.\n",
                              l, side);
        if (static_cast<std::size_t>(l) >= s.chan_struct_table.size())
            continue;
        const link_struct_range& range = s.chan_struct_table[static_cast<std::size_t>(l)];
        for (int j = range.first; j <= range.last; ++j) {
            const int type = s.chan_structures[static_cast<std::size_t>(j)].type;
            if ((type == culvert_round || type == culvert_box) && !culvert_calibrate(s.chan_structures, j, l))
                return false;
        }
    }
    return true;
}
