// The pipe-network input: the network file and the grid-pipe file read, the
// exchange arrays made, and every superjunction and pipe node tied to its
// grid cell (a 999 outlet to the cell of its channel node).
#include <cstdio>
#include <new>

#include "channel/channel_services.h"
#include "channel/channel_steps.h"
#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/model_state.h"

namespace
{

// Cell of the grid-stream entry of channel link and node (the last match
// wins); 0 when the channel does not cross a cell there.
int stream_cell_of(const model_state& s, int link, int node)
{
    int cell = 0;
    for (int c = 1; c <= s.gst_ncells; ++c)
        for (int e = 1; e <= s.gst_ncellsingrid[c]; ++e)
            if (s.gst_link[c][e] == link && s.gst_node[c][e] == node)
                cell = s.gst_gnum[c][e];
    return cell;
}

bool make_arrays(model_state& s)
{
    const int J = s.num_sjunc, L = s.num_slink, C = s.superlink_node_dim;
    try {
        if (s.tile_drains) {
            s.superlink_tile_flow.assign(L, C, 0.0);
            for (dvec* v : {&s.Q_tile_grid, &s.vol_tile_grid, &s.tilerecharge_to_gw})
                v->assign(s.num_cells, 0.0);
        }
        s.superlink_junc_gnum.assign(J, 0);
        s.superlink_node_gnum.assign(L, C, 0);
        // The exchanges with the surface and the channels, with or without
        // channel routing.
        s.superlink_chan_con_node.assign(J, 0);
        s.superlink_chan_con_link.assign(J, 0);
        s.sjunc_to_chan_vol.assign(J, 0.0);
        s.superlink_sjunc_outflow.assign(J, 0.0);
        s.cell_superlink_vol.assign(s.num_cells, 0.0);
    } catch (const std::bad_alloc&) {
        std::printf("Error allocating memory for variable %s\n", "superlink_node_gnum");
        error_set(err_stop);
        return false;
    }
    return true;
}

} // namespace

void read_superlink_input(model_state& s)
{
    s.gw_surface_flag = 0;
    if (s.storm_sewer != 1)
        return;
    if (!file_rec_open(s.storm_sewer_file, s.storm_sewer_name, "r")) {
        error_set(err_open_file, "superlink input file", s.storm_sewer_name.c_str());
        return;
    }
    if (!s.grid_pipe_name.empty() && !file_rec_open(s.grid_pipe_file, s.grid_pipe_name, "r"))
        std::printf("\n No grid pipe file found\n");
    const int status = read_superlink_file(s, s.storm_sewer_file, s.grid_pipe_file, s.superlink_c_opt);
    file_rec_close(s.storm_sewer_file);
    file_rec_close(s.grid_pipe_file);
    if (status != 0) {
        error_set(err_stop);
        return;
    }
    if (run_stopped())
        return;
    if (s.tile_drains && s.water_table && !s.gw_simulation && !s.inf_richards) {
        // The drain inflow needs the pipe's height above the aquifer bottom,
        // which only the aquifer (AQUIFER_BOTTOM) or the Richards columns
        // (0.1 m below the table) give.
        std::printf("Leaky pipes over a static water table need GW_SIMULATION or INF_RICHARDS: without "
                    "them the aquifer bottom under the drains is not known.\n");
        error_set(err_stop);
        return;
    }
    if (!make_arrays(s))
        return;
    if (!s.super_quiet)
        std::printf("read superlink pipe file, %d junctions, %d links\n", s.num_sjunc, s.num_slink);
    if (s.num_sjunc > 10000)
        std::printf("Your superlink network has more than 10,000 superjunctions, expect your model to be "
                    "very slow \n");
    if (s.superlink_max_nodes > 10000)
        std::printf(
            "Your superlink network has more than 10,000 nodes, expect your model to be very slow \n");
    if (s.num_slink > 10000)
        std::printf(
            "Your superlink network has more than 10,000 links, expect your model to be very slow \n");

    for (int j = 1; j <= s.num_sjunc; ++j) {
        if (s.sjunc_inlet_type[j] == 999) {
            if (!s.chan_explicit) {
                // Its outflow would leave the network and reach nothing.
                std::printf(
                    "Error in the pipe-network file %s: superjunction %d discharges to a channel (inlet "
                    "type 999) but the project routes no channels.\n",
                    s.storm_sewer_name.c_str(), j);
                error_set(err_stop);
                return;
            }
            s.superlink_junc_gnum[j] = stream_cell_of(s, s.superjunct_i[j], s.superjunct_j[j]);
        } else {
            s.superlink_junc_gnum[j] = s.mask[s.superjunct_i[j]][s.superjunct_j[j]];
            if (s.sjunc_inlet_type[j] == 888 && s.superlink_junc_gnum[j] == 0) {
                // Its release would land on no cell and be booked as surface water.
                std::printf(
                    "Error in the pipe-network file %s: superjunction %d releases onto the surface (inlet "
                    "type 888) at row %d, column %d, outside the watershed.\n",
                    s.storm_sewer_name.c_str(), j, s.superjunct_i[j], s.superjunct_j[j]);
                error_set(err_stop);
                return;
            }
        }
    }
    for (int t = 1; t <= s.num_slink; ++t)
        for (int k = 1; k <= s.superlink_cnodes[t] + 1; ++k)
            s.superlink_node_gnum[t][k] = s.mask[s.superlink_node_i[t][k]][s.superlink_node_j[t][k]];
    read_superlink_locations(s);
}
