#include <cstdio>
#include <string>
#include <string_view>

#include "channel/chan_file.h"
#include "channel/channel_input.h"
#include "channel/channel_steps.h"
#include "input/read_location_list.h"
#include "input/word_reader.h"
#include "channel/routed_nodes.h"
#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/julian.h"
#include "core/model_state.h"
#include "core/text_parse.h"
#include "coupling/coupling_services.h"
#include "input/grid_text.h"
#include "input/reader_echo.h"
#include "quality/chan_sediment.h"
#include "quality/qbn_services.h"
#include "quality/quality_steps.h"
#include "subsurface/lumped_models.h"

namespace
{

// Hotstart links: every routed link, in link and node order.
bool hotstart_link(const model_state& s, int l)
{
    return routed_link(s, l);
}

// Water-surface elevations of the channel depth hotstart, one line per node
// of the routed links in order: node and link (whole numbers the order
// overrules), stage and optionally the flow area. A line holds nothing else,
// and the file no more lines than the network has routed nodes.
void chan_hotstart_load(model_state& s)
{
    if (!s.chan_hotstart_read)
        return;
    file_rec& f = s.chan_depth_hotstart_in;
    int expected = 0;
    for (int l = 1; l <= s.num_links; ++l)
        if (hotstart_link(s, l))
            expected += s.nx[l];
    int read = 0;
    std::string line;
    const auto refuse = [&](int l, int n, const std::string& what) {
        std::printf("Error: line %d of the channel hotstart file %s (link %d node %d): %s.\n", read, f.name.c_str(), l,
                    n, what.c_str());
        chan_stop();
    };
    static const char* const fields[] = {"node", "link", "stage", "area"};
    for (int l = 1; l <= s.num_links; ++l) {
        if (!hotstart_link(s, l))
            continue;
        for (int n = 1; n <= s.nx[l]; ++n) {
            if (!f.fp || !read_line_rec(line, f)) {
                std::printf("Error: the channel hotstart file %s holds %d lines; the network has %d routed "
                            "nodes.\n",
                            f.name.c_str(), read, expected);
                chan_stop();
                return;
            }
            ++read;
            // Four values when the line gives the flow area, else three.
            std::string_view words(line);
            std::string word;
            int tokens = 0;
            while (pop_token(words, word))
                ++tokens;
            const bool with_area = tokens > 3;
            double v[4];
            const std::string fault = named_line_values(line, fields, with_area ? 4 : 3, 2, v);
            if (!fault.empty()) {
                refuse(l, n, fault);
                return;
            }
            if (with_area && v[3] < 0.0) {
                refuse(l, n, "the flow area is negative");
                return;
            }
            s.yp[n][l] = v[2];
            if (with_area)
                s.area[n][l] = v[3];
            s.chan_depth[n][l] = s.yp[n][l] - s.bel[n][l];
            if (s.chan_depth[n][l] < 0.0) {
                s.yp[n][l] = s.bel[n][l];
                s.chan_depth[n][l] = 0.0;
            }
            if (s.chan_depth[n][l] > 1e-16)
                s.chan_routing_active = 1;
        }
    }
    while (f.fp && read_line_rec(line, f)) {
        ++read;
        if (line.find_first_not_of(" \t\r") != std::string::npos) {
            std::printf("Error: the channel hotstart file %s holds more lines than the %d routed nodes of the "
                        "network (line %d).\n",
                        f.name.c_str(), expected, read);
            chan_stop();
            return;
        }
    }
}

// The link map names the link of each cell, read before the network: every
// one must be a link of it (0 for none), since the lumped models' inflow is
// added to that link.
bool link_map_links_exist(const model_state& s)
{
    for (int c = 1; c <= s.num_cells && c <= s.con_link.size(); ++c) {
        const int l = s.con_link[c];
        if (l >= 0 && l <= s.num_links)
            continue;
        std::printf("Error: file %s, row %d, column %d (cell %d): the link %d is not a link of the channel network "
                    "(0 for none, 1 to %d).\n",
                    s.links_name.c_str(), s.cell_row[c], s.cell_col[c], c, l, s.num_links);
        chan_stop();
        return false;
    }
    return true;
}

void cconnect(model_state& s)
{
    for (int i = 1; i <= s.rows; ++i) {
        for (int j = 1; j <= s.cols; ++j) {
            const int c = s.mask[i][j];
            if (c > s.num_cells) {
                std::printf("Warning in cconnect, vect>GNUM\n");
                continue;
            }
            if (c < 1 || c > s.con_link.size())
                continue;
            const int l = s.con_link[c], n = s.con_node[c];
            if (l >= 1 && l <= s.num_links && n >= 0 && n <= s.node_dim)
                s.con_vect[n][l] = c;
        }
    }
}

void short_links_report(model_state& s)
{
    std::string name = "short_links.out";
    std::string path;
    resolve_file_name(name, "w", path);
    std::FILE* fp = std::fopen(path.c_str(), "w");
    if (!fp)
        return;
    std::fprintf(fp, "Links with 1 node:\n");
    for (int l = 1; l <= s.num_links; ++l)
        if (s.nx[l] == 1)
            std::fprintf(fp, "%d\n", l);
    std::fclose(fp);
}

void bad_thalweg_report(model_state& s)
{
    std::string name = "bad_thalweg.out";
    std::string path;
    resolve_file_name(name, "w", path);
    std::FILE* fp = std::fopen(path.c_str(), "w");
    if (!fp)
        return;
    std::fprintf(fp, "Problem    link    node    thalweg     cell    elev\n");
    std::fprintf(fp, "--> problem codes: 0=thalweg>cell elev, 1= difference <0.5, 2= difference<1.0, "
                     "3=difference>3.5\n");
    if (s.grid_stream) {
        for (int m = 1; m <= s.gst_ncells; ++m) {
            for (int e = 1; e <= s.gst_ncellsingrid[m]; ++e) {
                const int l = s.gst_link[m][e], n = s.gst_node[m][e], c = s.gst_gnum[m][e];
                if (l < 1 || l > s.num_links || n < 1 || n > s.node_dim || c < 1 || c > s.num_cells)
                    continue;
                if (s.bel[n][l] > s.ground_elev[c])
                    std::fprintf(fp, "0     %4d    %4d   %lf   %d   %lf\n", l, n, s.bel[n][l], c,
                                 s.ground_elev[c]);
            }
        }
    }
    std::fclose(fp);
}

// A list of channel nodes: the count, then link and node of each entry, read
// as free-format integers. Entries that are not integers or that lie outside
// the network are refused with the list file's name.
bool location_list_read(model_state& s, file_rec& f, int& count, ivec& links, ivec& nodes)
{
    return read_location_list(f, 2, count, links, nodes, [&](int k, int link, int node) {
        if (link >= 1 && link <= s.num_links && node >= 1 && node <= s.nx[link])
            return true;
        std::printf("Error: entry %d of the location list %s, link %d node %d, lies outside the channel "
                    "network.\n",
                    k, f.name.c_str(), link, node);
        return false;
    });
}

// The IN_CELLDEPDIS_LOCATION list: grid row and column of each entry and the
// cell found there (0 outside the watershed).
bool cell_location_list_read(model_state& s)
{
    if (!s.in_celldepdis_location_given)
        return true;
    if (!read_location_list(s.in_celldepdis_location_file, 2, s.num_cell_locations, s.celrowloc, s.celcolloc,
                            [](int, int, int) { return true; }))
        return false;
    s.gnumlocater.assign(s.num_cell_locations + 1, 0);
    for (int k = 1; k <= s.num_cell_locations; ++k)
        find_gnum_location(s.mask, s.num_rows, s.num_cols, s.celrowloc, s.celcolloc, s.gnumlocater, k);
    return true;
}

} // namespace

bool sed_location_list_read(model_state& s)
{
    if (!s.sed_hyd_locations_on || !s.chan_sed_on)
        return true;
    if (!location_list_read(s, s.in_sed_loc_file, s.num_sed_hyd_locations, s.slink, s.snode))
        return false;
    if (std::FILE* fp = s.sed.sed_hyd_loc_file.fp) {
        std::fprintf(fp, "%d\n", s.num_sed_hyd_locations);
        for (int k = 1; k <= s.num_sed_hyd_locations; ++k)
            std::fprintf(fp, "%4d %4d\n", s.slink[k], s.snode[k]);
    }
    return true;
}

void setup_channels(model_state& s)
{
    if (!s.chan_explicit) {
        // The cell list serves projects without channels too.
        cell_location_list_read(s);
        return;
    }
    reader_echo(s, echo_rule::normal,
                text_format("reading channel input data from file %s\n", s.channel_input_name.c_str()));
    s.chan_sediment = s.chan_sed_on;
    s.lake_gw_exchange = read_chan_input(s);
    if (run_stopped())
        return;
    // The lake series has a row only for channel lakes: a network without
    // one would leave the file empty without a word.
    if (s.lake_output && !s.chan_lakes)
        std::printf("Warning: LAKE_OUTPUT is given but the channel input file %s holds no lake link: the file "
                    "is left empty.\n",
                    s.channel_input_name.c_str());
    // The lake beds exchange with the aquifer through the soil's
    // conductivity per cell; a project without it cannot value that exchange.
    if (s.chan_lakes && s.lake_gw_exchange == 1 && s.dist_ksat.size() < s.num_cells) {
        std::printf(
            "Error: lake beds (MLAKE) exchange with the groundwater through the saturated conductivity "
            "of their cells: the project needs a CONDUCTIVITY map.\n");
        error_set(err_stop);
        return;
    }
    // The reader clears the channel sediment switch; it comes back here until
    // the sediment set-up below decides it.
    s.chan_sed_on = s.chan_sediment;
    if (run_stopped() || s.num_links < 1)
        return;
    const int L = s.num_links;
    if (routed_link(s, L) && s.nx[L] < 2) {
        std::printf("Error: the outlet link %d has %d node(s); the outlet needs at least two nodes.\n", L,
                    s.nx[L]);
        chan_stop();
        return;
    }
    const int nd = s.node_dim, ld = s.link_dim;
    s.yp_max_flood.assign(nd, ld, 0.0);
    if (s.chan_sed_on) {
        alloc_channel_sediment(s);
        if (run_stopped())
            return;
    }
    if (s.chan_lakes) {
        for (int k = 1; k <= s.num_lakes; ++k)
            s.lake_run_initial_volume += s.lake_volume[k];
        // A cell a lake releases gets its boundary type as read back.
        if (s.gw_simulation)
            s.og_gwbound_type = s.gwbound;
    }
    for (dnode_mat* m : {&s.chan_depth, &s.area, &s.area_old, &s.conv, &s.dconv, &s.stdummy, &s.topw})
        m->assign(nd, ld, 0.0);
    chan_hotstart_load(s);
    if (run_stopped())
        return;
    // The channel constituent rows, with the nutrient module's stream and
    // lake parts and stream initial values.
    qbn_channel_setup(s);
    if (run_stopped())
        return;
    // The stream boundary points of a nested run, placed once on the network.
    if (s.cards.xy_in.num_st_points > 0) {
        const stream_network_view net{s.num_links, &s.nx, &s.nx1, &s.ltype, &s.lnx, &s.lny};
        if (!locate_stream_bdy_linknodes(s.cards.xy_in, net)) {
            report_error(error_state);
            return;
        }
        s.xy_stream_q.assign(nd, ld, 0.0);
    }
    if (s.stream_loss || s.chan_con_trans) {
        s.qriv.assign(nd, ld, 0.0);
        s.av_qriv.assign(nd, ld, 0.0);
        // The seepage volumes of the channel time per cell, m3.
        s.gw_chan_exchange.assign(s.num_cells, 0.0);
    }
    if (s.chan_lakes && s.lake_gw_exchange) {
        s.lake_source.assign(s.num_cells, 0.0);
        s.lake_gw_rate.assign(s.num_cells, 0.0);
        // MLAKE gives the bed thickness in metres; the exchange works in
        // centimetres. A lake without MLAKE has no bed exchange (0).
        s.lake_bed_thick.assign(s.num_lakes, 0.0);
        for (int k = 1; k <= s.num_lakes; ++k)
            if (k <= s.calc_loss.size() && s.calc_loss[k] && k <= s.Mlake.size())
                s.lake_bed_thick[k] = s.Mlake[k] * 100.0;
    }
    // The channel sediment switch must be what the project asked for.
    if (s.chan_sediment && s.chan_sediment != s.chan_sed_on) {
        std::fprintf(stderr, "\nYou have selected overland erosion with channel routing.  The channel\n"
                             "input file does not contain any erodable trapezoidal links (linktype 30).\n"
                             "You must edit all link types and convert them to erodable trapezoidal\n"
                             "links.  At present TORVA only performs sediment routing in erodable\n"
                             "trapezoidal channels.  TORVA exiting.\n\n");
        error_set(err_stop);
        return;
    }
    if (!s.chan_sediment && s.chan_sed_on)
        s.chan_sed_on = 0;
    if (s.in_hyd_location_given &&
        !location_list_read(s, s.in_hyd_location_file, s.num_hyd_locations, s.hlink, s.hnode))
        return;
    if (s.in_gwflux_location_given &&
        !location_list_read(s, s.in_gwflux_location_file, s.num_gwflux_locations, s.gwflink, s.gwfnode))
        return;
    if (!cell_location_list_read(s))
        return;
    if (!sed_location_list_read(s))
        return;
    // The pipe network's location lists (SUPERLINK_JUNC_LOCATION,
    // SUPERLINK_NODE_LOCATION) are read with its file by
    // read_superlink_input, which knows the superjunctions they name.
    s.con_vect.assign(nd, ld, 0);
    s.qlat.assign(nd, ld, 0.0);
    if (!s.calib_mode)
        std::printf("Setting up the grid-stream data... ");
    grid_stream_setup(s);
    if (run_stopped())
        return;
    if (!s.super_quiet && !s.calib_mode)
        std::printf("done.\n");
    if (!s.grid_stream)
        cconnect(s);
    if (run_stopped() || !link_map_links_exist(s))
        return;
    compute_sacramento_weights(s);
    if (run_stopped())
        return;
    compute_cgw_weights(s);
    if (run_stopped())
        return;
    short_links_report(s);
    bad_thalweg_report(s);
}
