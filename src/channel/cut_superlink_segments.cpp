#include <cmath>
#include <cstdio>
#include <vector>

#include "channel/superlink_input.h"

namespace
{

// Segment lengths of a single pipe of length d, from its upstream end.
std::vector<double> single_pipe_segments(double d)
{
    if (d < 30.0)
        return {d / 4.0, d / 4.0, d / 4.0, d / 4.0};
    if (d < 60.0)
        return {5.0, 5.0, d - 20.0, 5.0, 5.0};
    if (d < 80.0)
        return {10.0, 20.0 + (d - 60.0) / 2.0, 20.0 + (d - 60.0) / 2.0, 10.0};
    if (d < 160.0)
        return {10.0, 20.0, d - 60.0, 20.0, 10.0};
    if (d < 210.0)
        return {10.0, 20.0, 50.0 + (d - 160.0) / 2.0, 50.0 + (d - 160.0) / 2.0, 20.0, 10.0};
    if (d < 360.0)
        return {10.0, 20.0, 50.0, d - 160.0, 50.0, 20.0, 10.0};
    const int m = static_cast<int>(std::floor((d - 360.0) / 100.0));
    std::vector<double> seg = {10.0, 20.0, 50.0};
    for (int k = 0; k <= m; ++k)
        seg.push_back(100.0);
    seg.back() += d - 360.0 - 100.0 * m;
    for (double v : {100.0, 50.0, 20.0, 10.0})
        seg.push_back(v);
    return seg;
}

void cut_single_pipe(superlink_file_link& l)
{
    const std::vector<double> seg = single_pipe_segments(l.pipes[1].length);
    const int S = static_cast<int>(seg.size());
    const superlink_node_row up = l.nodes[1], down = l.nodes[2];
    const superlink_pipe_row pipe = l.pipes[1];
    l.nodes.assign(static_cast<size_t>(S) + 2, superlink_node_row{});
    l.pipes.assign(static_cast<size_t>(S) + 1, superlink_pipe_row{});
    l.nodes[1] = up;
    l.nodes[static_cast<size_t>(S) + 1] = down;
    double along = 0.0;
    for (int k = 1; k <= S; ++k) {
        l.pipes[k] = pipe;
        l.pipes[k].dxc = seg[static_cast<size_t>(k) - 1];
        if (k >= 2) {
            // Interior nodes lie on the straight line between the two ends.
            const double f = along / pipe.length;
            l.nodes[k].ground = up.ground + (down.ground - up.ground) * f;
            l.nodes[k].invert = up.invert + (down.invert - up.invert) * f;
        }
        along += seg[static_cast<size_t>(k) - 1];
    }
    l.n = S;
    l.otc_node = {0, 1, S + 1};
    l.otc_pipe = {0, 1, 1};
}

// Node k moves to dist from node `from` along a pipe of length len.
void move_node(superlink_file_link& l, int k, int from, double dist, double len)
{
    superlink_node_row& n = l.nodes[k];
    const superlink_node_row& f = l.nodes[from];
    n.ground = f.ground - (f.ground - n.ground) * dist / len;
    n.invert = f.invert - (f.invert - n.invert) * dist / len;
}

void moving_message(const char* end, int link, const char* how)
{
    std::printf("Your %s node in Superlink %d is greater than %s from the SuperNode \n", end, link,
                how[0] == '1' ? "10m" : "25% of the pipelength");
    std::printf("TORVA is moving your %s node %s from the SuperNode \n", end,
                how[0] == '1' ? "10m" : "to 25% of the pipelength");
    std::printf(" \n");
}

void move_end_nodes(int link, superlink_file_link& l)
{
    const int N = l.n;
    std::vector<superlink_pipe_row>& p = l.pipes;
    double total = 0.0;
    for (int k = 1; k <= N; ++k) {
        p[k].dxc = p[k].length;
        total += p[k].length;
    }
    if (p[1].length > 10.0) {
        p[1].dxc = 10.0;
        p[2].dxc = p[2].length + p[1].length - 10.0;
        move_node(l, 2, 1, 10.0, p[1].length);
        moving_message("first", link, "10");
    }
    if (p[N].length > 10.0) {
        p[N].dxc = 10.0;
        p[N - 1].dxc = p[N - 1].length + p[N].length - 10.0;
        move_node(l, N, N + 1, 10.0, p[N].length);
        moving_message("last", link, "10");
    }
    const double lq = total / 4.0;
    if (p[1].dxc > lq + 1e-8) {
        p[2].dxc += p[1].dxc - lq;
        move_node(l, 2, 1, lq, p[1].dxc);
        p[1].dxc = lq;
        moving_message("first", link, "25");
    }
    if (p[N].dxc > lq + 1e-8) {
        p[N - 1].dxc += p[N].dxc - lq;
        move_node(l, N, N + 1, lq, p[N].dxc);
        p[N].dxc = lq;
        moving_message("last", link, "25");
    }
    l.otc_node.assign(static_cast<size_t>(N) + 2, 0);
    l.otc_pipe.assign(static_cast<size_t>(N) + 1, 0);
    for (int k = 1; k <= N + 1; ++k)
        l.otc_node[static_cast<size_t>(k)] = k;
    for (int k = 1; k <= N; ++k)
        l.otc_pipe[static_cast<size_t>(k)] = k;
}

} // namespace

void cut_superlink_segments(int link, superlink_file_link& l)
{
    if (l.n == 1)
        cut_single_pipe(l);
    else
        move_end_nodes(link, l);
}
