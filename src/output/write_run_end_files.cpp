// The files a finished run leaves behind: the optimisation file's last line,
// the channel hotstart pair, the hotstart and end-of-run grids, the
// companion program's hydrograph file and the close of the KZ inflow file.
// Every written file is flushed and checked, so a full disk or a lost
// stream is reported with the file's name instead of leaving a truncated
// hotstart behind unnoticed.
#include <algorithm>
#include <cstdio>
#include <string>

#include "channel/routed_nodes.h"
#include "core/error_state.h"
#include "core/file_rec.h"
#include "core/model_state.h"
#include "output/grid_writers.h"
#include "output/output_steps.h"
#include "output/state_access.h"

namespace
{

// Cubic feet per cubic metre of the optimisation file's last line.
constexpr double optimize_cfs_factor = 35.32;

// Stops the end of the run with the caller's message already printed.
void stop_end_of_run()
{
    error_set(err_stop);
    report_error(error_state);
}

// Opens `name` for writing, writes a per-cell vector as a grid and closes
// it. On a failed open the message (a format with one %s) is printed; the
// result is false on a failed open or write (which the file record reports).
bool write_cell_grid(model_state& s, const std::string& name, const double* values, const char* open_message)
{
    file_rec f;
    if (!file_rec_open(f, name, "w")) {
        std::printf(open_message, name.c_str());
        return false;
    }
    write_grass_ascii_grid(f.fp, s.mask, s.grid_north, s.grid_south, s.grid_east, s.grid_west, s.grid_rows,
                           s.grid_cols, values);
    const bool ok = file_rec_flush(f);
    file_rec_close(f);
    return ok;
}

// A per-cell array holding every active cell, or null.
const double* cell_values(const model_state& s, const dvec& v)
{
    return v.size() >= s.num_cells ? v.data() : nullptr;
}

// The saturated-source grid: the exfiltration flag of every active cell.
bool write_satsource_grid(model_state& s)
{
    file_rec f;
    const std::string name = "satsource_file";
    if (!file_rec_open(f, name, "w")) {
        std::printf("Can't open map for writing out sat. source info: %s\n", name.c_str());
        return false;
    }
    std::FILE* fp = f.fp;
    std::fprintf(fp, "north: %9.2lf\n", s.grid_north);
    std::fprintf(fp, "south: %9.2lf\n", s.grid_south);
    std::fprintf(fp, "east: %9.2lf\n", s.grid_east);
    std::fprintf(fp, "west: %9.2lf\n", s.grid_west);
    std::fprintf(fp, "rows: %5d\n", s.grid_rows);
    std::fprintf(fp, "cols: %5d\n", s.grid_cols);
    int k = 0;
    for (int r = 1; r <= s.grid_rows; ++r) {
        for (int c = 1; c <= s.grid_cols; ++c) {
            int flag = 0;
            if (grid_cell_active(s.mask, r, c)) {
                ++k;
                flag = k <= s.yes_exfil.size() ? s.yes_exfil[k] : 0;
            }
            std::fprintf(fp, "%d ", flag);
        }
        std::fprintf(fp, "\n");
    }
    const bool ok = file_rec_flush(f);
    file_rec_close(f);
    return ok;
}

// The outlet hydrograph and the location hydrograph read back into the
// companion program's layout. The time-series output keeps both files open
// for writing, so they are flushed and read through streams of their own.
void write_vks_hydrograph(model_state& s)
{
    std::FILE* outlet = nullptr;
    std::FILE* locations = nullptr;
    if (s.hydrograph_file.fp && std::fflush(s.hydrograph_file.fp) == 0)
        outlet = std::fopen(s.hydrograph_file.name.c_str(), "r");
    bool readable = outlet != nullptr;
    if (s.in_hyd_location_given) {
        if (s.out_hyd_location_file.fp && std::fflush(s.out_hyd_location_file.fp) == 0)
            locations = std::fopen(s.out_hyd_location_file.name.c_str(), "r");
        readable = readable && locations != nullptr;
    }
    file_rec out;
    if (!readable || !file_rec_open(out, s.vks_hydro_name, "w")) {
        std::printf("\n\nError: Unable to open files to write the VKS hydrograph file.\n Write aborted.\n");
    } else {
        write_vks_hydrograph_file(outlet, out.fp, locations, s.hlink, s.hnode, s.num_hyd_locations,
                                  s.start_yyyymmdd, s.start_hhmm, s.hyd_freq_steps, s.hyd_rows_written);
        file_rec_flush(out);
        file_rec_close(out);
    }
    if (outlet)
        std::fclose(outlet);
    if (locations)
        std::fclose(locations);
}

// The lateral sediment into every node, one line per size class, appended
// to the FYSSI file with a separator line after the last class.
void write_fyssi_file(model_state& s)
{
    file_rec f;
    if (!file_rec_open(f, s.cards.fyssi, "a")) {
        std::printf(
            "Error: the FYSSI file %s cannot be opened; its lateral sediment lines are not written.\n",
            s.cards.fyssi.c_str());
        return;
    }
    const int links = std::min(s.num_links, s.nx.size());
    for (int c = 1; c <= s.sed.num_sed; ++c) {
        for (int l = 1; l <= links; ++l)
            for (int n = 1; n <= s.nx[l]; ++n)
                std::fprintf(f.fp, "%6.2lf ", value_at(s.qlat_tot_sed, n, l, c));
        std::fprintf(f.fp, "\n");
    }
    std::fprintf(f.fp, "\n----------------------------------------------------------\n");
    file_rec_flush(f);
    file_rec_close(f);
}

} // namespace

void write_optimize_end(model_state& s)
{
    if (!s.optimize || !s.optimize_file.fp)
        return;
    double value = s.discharge_total * (s.qout_cfs ? optimize_cfs_factor : 1.0);
    if (s.optimize_sed)
        value = s.chan_washload_out_total;
    std::fprintf(s.optimize_file.fp, "%d %13lf\n", s.event_num + 1, value);
    file_rec_flush(s.optimize_file);
    file_rec_close(s.optimize_file);
}

void write_channel_hotstart(model_state& s)
{
    std::FILE* dht = s.chan_depth_hotstart_out.fp;
    std::FILE* qht = s.chan_flow_hotstart_out.fp;
    if (!dht || !qht)
        return;
    const int links = std::min(s.num_links, s.nx.size());
    for (int l = 1; l <= links; ++l) {
        if (!routed_link(s, l))
            continue;
        for (int n = 1; n <= s.nx[l]; ++n) {
            std::fprintf(dht, "%d %d %lf \n", n, l, s.yp[n][l]);
            std::fprintf(qht, "%d %d %lf\n", n, l, s.qp[n][l]);
        }
    }
    file_rec_flush(s.chan_depth_hotstart_out);
    file_rec_flush(s.chan_flow_hotstart_out);
    file_rec_close(s.chan_depth_hotstart_out);
    file_rec_close(s.chan_flow_hotstart_out);
}

bool write_run_end_files(model_state& s)
{
    if (s.chan_hotstart_write)
        write_channel_hotstart(s);

    if (s.gw_simulation) {
        if (!write_cell_grid(s, "hotstart_file", cell_values(s, s.elevgw),
                             "Can't open gw hot start map for writing out hotstart info: %s\n")) {
            stop_end_of_run();
            return false;
        }
    }

    if (s.cards.adjust_elev_given) {
        if (!write_cell_grid(s, s.cards.adjust_elev, cell_values(s, s.ground_elev),
                             "Can't open adjusted elevation map for writing: %s\n")) {
            stop_end_of_run();
            return false;
        }
    }

    if (s.gw_exfil_any && !write_satsource_grid(s)) {
        stop_end_of_run();
        return false;
    }

    if (s.vks_hydro)
        write_vks_hydrograph(s);

    // The KZ inflow file ends here; the run's clean-up closes the others.
    file_rec_release(kz_inflow_file);

    file_rec_release(s.ov_hotstart_in_file);
    if (s.cards.write_ov_hotstart_given && cell_values(s, s.ov_depth))
        write_cell_grid(s, s.write_ov_hotstart_name, s.ov_depth.data(),
                        "Can't open overland hotstart file for writing: %s\n");

    file_rec_release(s.sm_hotstart_in_file);
    if (s.cards.write_sm_hotstart_given) {
        if (cell_values(s, s.soil_moisture))
            write_cell_grid(s, s.write_sm_hotstart_name, s.soil_moisture.data(),
                            "Can't open soil moisture hotstart file for writing: %s\n");
        else
            std::printf(
                "Error: the run keeps no soil moisture, so the soil-moisture hotstart %s is not written.\n",
                s.write_sm_hotstart_name.c_str());
    }

    if (s.sed.soil_erosion && s.chan_sed_on && s.cards.fyssi_given)
        write_fyssi_file(s);
    return true;
}
