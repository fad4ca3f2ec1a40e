// Timed driver of the pipe-network solver: a chain of J superjunctions
// (manholes of 1 m2) joined by J - 1 superlinks of two 50 m pipes of 0.6 m,
// each manhole fed 0.02 m3/s, the last superjunction an outlet onto the
// surface. After a warm-up toward the steady state it times pipe times of
// 60 s and prints the time of one pipe time and of one sub-step. Numbered
// along the chain the junction matrix is a band of half width 1 and is
// factored in banded form; "scattered" numbers the junctions across the
// chain, which makes the solver factor the dense matrix.
//
//   torva_bench_superlink [junctions] [pipe times] [scattered]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "channel/channel_services.h"
#include "channel/superlink_solver.h"
#include "core/file_rec.h"
#include "core/model_state.h"

namespace
{

std::string chain_network(int J, bool scattered)
{
    // 7919 is prime: j -> 7919 (j - 1) mod J + 1 numbers the junctions anew.
    const auto num = [&](int j) { return scattered ? static_cast<int>((7919LL * (j - 1)) % J) + 1 : j; };
    std::string t;
    char line[200];
    const double drop = 0.05; // m per superlink
    for (int j = 1; j <= J; ++j) {
        const double inv = 100.0 - drop * (j - 1);
        std::snprintf(line, sizeof line, "SJUNC %d %.3f %.3f %.1f %d 0 0 0 0\n", num(j), inv + 3.0, inv,
                      j == J ? 0.0 : 1.0, j == J ? 888 : 0);
        t += line;
    }
    for (int l = 1; l < J; ++l) {
        const double inv = 100.0 - drop * (l - 1);
        std::snprintf(line, sizeof line, "CONNECT %d %d %d\nSLINK %d 2\n", l, num(l), num(l + 1), l);
        t += line;
        for (int k = 1; k <= 3; ++k) {
            std::snprintf(line, sizeof line, "NODE %d %.3f %.4f 0 0 0 0 0 0\n", k, inv + 3.0,
                          inv - drop * (k - 1) / 2.0);
            t += line;
        }
        for (int k = 1; k <= 2; ++k) {
            std::snprintf(line, sizeof line, "PIPE %d 1 0.6 0 0.0005 0.013 50 0 0\n", k);
            t += line;
        }
    }
    return t;
}

} // namespace

int main(int argc, char** argv)
{
    const int J = argc > 1 ? std::atoi(argv[1]) : 100;
    const int times = argc > 2 ? std::atoi(argv[2]) : 5;
    const bool scattered = argc > 3 && std::string(argv[3]) == "scattered";
    const std::string path = "/tmp/torva_bench_superlink.pip";
    if (std::FILE* f = std::fopen(path.c_str(), "w")) {
        std::fputs(chain_network(J, scattered).c_str(), f);
        std::fclose(f);
    }
    auto state = std::make_unique<model_state>();
    model_state& s = *state;
    s.storm_sewer_name = path;
    s.gridsize = 10.0;
    s.mask.assign(1, 1, 0);
    s.ov_depth.assign(0, 0.0);
    output_dir = "/tmp/";
    output_dir_set = 1;
    file_rec pipes, grid;
    if (!file_rec_open(pipes, path, "r") || read_superlink_file(s, pipes, grid, 0) != 0)
        return 1;
    s.superlink_junc_gnum.assign(s.num_sjunc, 0);
    s.superlink_node_gnum.assign(s.num_slink, s.superlink_node_dim, 0);
    s.superlink_sjunc_outflow.assign(s.num_sjunc, 0.0);
    s.sjunc_to_chan_vol.assign(s.num_sjunc, 0.0);
    s.cell_superlink_vol.assign(0, 0.0);
    s.superlink_tile_flow.assign(s.num_slink, s.superlink_node_dim, 0.0);
    for (int l = 1; l <= s.num_slink; ++l)
        s.superlink_tile_flow[l][1] = 0.02;
    s.tile_exchange_status = 1;

    double captured = 0.0;
    int call = 0;
    for (; call < 10; ++call)
        if (superlink_solve(s, call, 60.0, captured) != 0)
            return 1;
    const long before = s.superlink_work.substeps;
    const auto t0 = std::chrono::steady_clock::now();
    for (int k = 0; k < times; ++k, ++call) {
        if (superlink_solve(s, call, 60.0, captured) != 0)
            return 1;
    }
    const double sec = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double per_time = static_cast<double>(s.superlink_work.substeps - before) / times;
    std::printf("%s junction matrix, ", s.superlink_work.lu.band >= 0 ? "banded" : "dense");
    std::printf("junctions %d, superlinks %d: %.4f s per pipe time of 60 s, %.1f sub-steps per pipe time, "
                "%.5f s per sub-step\n",
                s.num_sjunc, s.num_slink, sec / times, per_time, sec / times / per_time);
    return 0;
}
