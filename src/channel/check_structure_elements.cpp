#include <cstdio>
#include <string>

#include "channel/chan_file.h"
#include "channel/channel_input.h"
#include "channel/hydraulic_structures.h"
#include "core/error_state.h"
#include "core/model_state.h"

namespace
{

// One refused element: the file, the link and what is wrong with it.
bool refuse(const std::string& path, int link, int element, const char* what)
{
    std::printf("Error in the channel input file %s: structure element %d of link %d %s.\n", path.c_str(),
                element, link, what);
    return false;
}

} // namespace

bool check_structure_elements(model_state& s, const std::string& path)
{
    for (int l = 1; l <= s.num_links && static_cast<std::size_t>(l) < s.chan_struct_table.size(); ++l) {
        const link_struct_range& range = s.chan_struct_table[static_cast<std::size_t>(l)];
        for (int j = range.first; j <= range.last; ++j) {
            const chan_struct_rec& e = s.chan_structures[static_cast<std::size_t>(j)];
            bool ok = true;
            if (e.type == culvert_oval) {
                // A pipe-arch barrel has no critical-depth or inlet-control
                // solution here; it would pass no flow.
                refuse(path, l, j, "is an OVAL_CULVERT");
                error_set(err_arch_culvert);
                error_state.raised = 1;
                return false;
            }
            if (e.type == culvert_round || e.type == culvert_box) {
                if (e.length < 1e-4)
                    ok = refuse(path, l, j, "is a culvert whose LENGTH is below 1e-4 m");
                else if (e.size1 <= 0.0)
                    ok = refuse(path, l, j,
                                e.type == culvert_round ? "is a culvert without a positive DIAMETER"
                                                        : "is a culvert without a positive WIDTH");
                else if (e.type == culvert_box && e.size2 <= 0.0)
                    ok = refuse(path, l, j, "is a culvert without a positive HEIGHT");
            } else if (e.type == 1 && e.length <= 0.0) {
                ok = refuse(path, l, j, "is a weir without a CREST_LENGTH above 0");
            } else if (e.type == 2 && (e.length <= 0.0 || e.size1 >= e.size2)) {
                ok = refuse(path, l, j,
                            "is a sag weir that needs a positive CREST_LENGTH and a STEEP_SLOPE "
                            "below its SHALLOW_SLOPE");
            }
            if (!ok) {
                chan_stop();
                return false;
            }
        }
    }
    return true;
}
