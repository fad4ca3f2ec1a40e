#include <cstdio>
#include <string>

#include "channel/chan_file.h"
#include "channel/chan_point_input.h"
#include "channel/routed_nodes.h"
#include "core/check_count.h"
#include "core/error_state.h"
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

int chan_source_header_read(model_state& s, std::string* ended)
{
    const auto end_at = [&](const std::string& where) {
        if (ended)
            *ended = where;
        return -1;
    };
    int budget = 10000;
    chan_source_item r = chan_source_find(s, "numpt", budget);
    if (r == chan_source_item::eof)
        return end_at("it holds no NUMPT card");
    if (r == chan_source_item::refused) {
        problem("find the first card.  Check the format of your channel source file");
        return 0;
    }
    int n = 0;
    if ((r = chan_source_int(s, "NUMPT count", "NUMPT", n)) != chan_source_item::ok)
        return r == chan_source_item::eof ? end_at("it ends after NUMPT, before its count") : 0;
    // Each POINT line takes 11 characters at least ("POINT 1 1 0").
    const count_field points{"NUMPT", 0, 1000000, 11};
    if (!check_count(n, points, s.chan_point_file.name, chan_source_line(s), s.chan_point_file.fp))
        return 0;
    s.chan_point_count = n;
    s.chan_point_address.assign(n, 0);
    const int nc = s.num_constituents;
    budget = 10000;
    for (int k = 1; k <= n; ++k) {
        r = chan_source_find(s, "point", budget, k > 1);
        if (r == chan_source_item::eof)
            return end_at("it ends before POINT " + std::to_string(k) + " of the " + std::to_string(n) +
                          " its NUMPT card announces");
        if (r == chan_source_item::refused) {
            if (!run_stopped())
                problem("find the point source location card.  Check the format of your channel source file");
            return 0;
        }
        char where[32];
        std::snprintf(where, sizeof where, "POINT %d", k);
        const std::string inside = "it ends inside POINT " + std::to_string(k) + ", before its node, link, "
                                   "discharge and " + std::to_string(nc) + " concentrations";
        int node = 0, link = 0;
        double q = 0.0;
        if ((r = chan_source_int(s, "node", where, node)) != chan_source_item::ok ||
            (r = chan_source_int(s, "link", where, link)) != chan_source_item::ok ||
            (r = chan_source_real(s, "discharge", where, q)) != chan_source_item::ok)
            return r == chan_source_item::eof ? end_at(inside) : 0;
        if (link > s.num_links || node > s.nx[link] || !routed_link(s, link)) {
            std::printf(
                "Error in the channel point input file %s, %s: link %d node %d is not a node of a routed "
                "channel link.\n",
                s.chan_point_file.name.c_str(), where, link, node);
            chan_stop();
            return 0;
        }
        const int i = link * s.node_dim + node;
        // Two points at one node would leave only the last one's inflow.
        for (int j = 1; j < k; ++j)
            if (s.chan_point_address[j] == i) {
                std::printf("Error in the channel point input file %s, %s: link %d node %d is given a second time "
                            "(POINT %d).\n",
                            s.chan_point_file.name.c_str(), where, link, node, j);
                chan_stop();
                return 0;
            }
        s.chan_point_address[k] = i;
        s.chan_point_q[i] = q;
        for (int c = 1; c <= nc; ++c)
            if ((r = chan_source_real(s, "concentration", where, s.chan_point_conc[c][i])) !=
                chan_source_item::ok)
                return r == chan_source_item::eof ? end_at(inside) : 0;
    }
    budget = 10000;
    r = chan_source_find(s, "nrpds", budget, n > 0);
    if (r == chan_source_item::eof) {
        s.chan_point_nperiods = 0;
        return 0;
    }
    if (r == chan_source_item::refused) {
        if (!run_stopped())
            problem("find the number of timed changes to your point inputs.  Check the format of your channel "
                    "source file");
        return 0;
    }
    int m = 0;
    if ((r = chan_source_int(s, "NRPDS count", "NRPDS", m)) != chan_source_item::ok)
        return r == chan_source_item::eof ? end_at("it ends after NRPDS, before its count") : 0;
    // A record takes its INPUT line and two characters a value at least.
    const count_field records{"NRPDS", 0, 1000000000, 11 + 2LL * n * (1 + nc)};
    if (!check_count(m, records, s.chan_point_file.name, chan_source_line(s), s.chan_point_file.fp))
        return 0;
    s.chan_point_nperiods = m;
    if (m <= 0)
        return 0;
    const int got = chan_source_date_read(s, "the INPUT line of record 1");
    return got == -1 ? end_at("it ends inside the INPUT line of record 1") : got;
}
