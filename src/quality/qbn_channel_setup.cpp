// The nutrient module's part of the channel set-up, in the order the
// channel arrays need: the stream part (and the lake part), the channel
// constituent rows that adopt the stream arrays, the options, the stream id
// map of the aquatic-environment file and the stream initial values.
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/stream_mapping.h"
#include "quality/qbn_services.h"
#include "quality/quality_steps.h"

namespace
{

// The stream id table: max nodes rows of links columns of 1, then the
// ST_MAP ids where the file gives them.
void read_stream_ids(model_state& s, qbn_params& p)
{
    int_row_array_add_rows_fill(p.st_index, s.max_nodes, 1, s.num_links);
    if (p.st_map.empty())
        return;
    imat ids;
    ids.assign(s.max_nodes + 1, s.num_links + 1, 1);
    const int rc =
        read_stream_map_file(p.st_map, s.num_links, s.max_nodes, s.nx, ids, nullptr, stream_map_ids);
    if (rc != 0) {
        std::printf("Error: the stream id map %s of the aquatic environment file cannot be read.\n",
                    p.st_map.c_str());
        error_set(err_stop);
        error_state.raised = 1;
        return;
    }
    for (int j = 1; j <= s.max_nodes && j <= p.st_index.count; ++j)
        for (int i = 1; i <= s.num_links; ++i)
            p.st_index[j][i] = ids[j][i];
}

} // namespace

void qbn_channel_setup(model_state& s)
{
    if (!s.nutrients || !s.qbn_object) {
        alloc_channel_constituents(s);
        return;
    }
    qbn_model& m = *s.qbn_object;
    qbn_stream_alloc(s, m.stream);
    if (s.chan_lakes)
        qbn_lake_alloc(s, m.lake);
    alloc_channel_constituents(s);
    if (run_stopped())
        return;
    qbn_stream_set_params(s, m.stream);
    if (s.chan_lakes)
        qbn_lake_set_params(s, m.lake);
    read_stream_ids(s, m.params);
    if (run_stopped())
        return;
    assign_stream_constituents(m, s);
}
