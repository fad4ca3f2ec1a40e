// Whole runs of the program on a square plane of 10 m cells falling 1 %
// toward the last column and 0.5 % toward the last row, Manning n 0.03,
// outlet at the bottom-right corner with OUTSLOPE 0.01, 50 mm/h of uniform
// rain and 10 s steps. The grids and projects are written on demand into a
// work folder (nothing is kept in the repository). For one thread and for
// every processor it prints the wall time per simulated hour, the ADE
// sub-steps per overland step, the share of cell updates made by the
// implicit solve of the stiff cells and the cell updates per second (one
// cell of one directional sweep is one update, restarts included), and a
// digest of the depths at the last step: two builds whose digests agree
// gave the same bits.
//
//   torva_bench_plane [cells per side] [simulated minutes] [work folder] [threads ...]
//
// Without thread counts it runs one thread and every processor.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/model_state.h"
#include "core/platform.h"
#include "core/run_simulation.h"
#include "overland/ade_kernels.h"

namespace
{

int last_step = 0;                // time-loop steps of a run
std::uint64_t depth_digest = 0;   // FNV-1a of the depths after the last one

void digest_last_depths(const model_state& s)
{
    if (s.step_count != last_step)
        return;
    std::uint64_t h = 1469598103934665603ULL;
    for (int i = 1; i <= s.num_cells; ++i) {
        unsigned char b[sizeof(double)];
        std::memcpy(b, &s.ov_depth[i], sizeof b);
        for (const unsigned char c : b)
            h = (h ^ c) * 1099511628211ULL;
    }
    depth_digest = h;
}

bool exists(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "r");
    if (!f)
        return false;
    std::fclose(f);
    return true;
}

// Mask and elevation grids of the plane, written once per folder and size.
bool write_grids(const std::string& folder, int side)
{
    const std::string mask_path = folder + "/plane" + std::to_string(side) + ".msk";
    const std::string elev_path = folder + "/plane" + std::to_string(side) + ".ele";
    if (exists(mask_path) && exists(elev_path))
        return true;
    std::FILE* mask = std::fopen(mask_path.c_str(), "w");
    std::FILE* elev = std::fopen(elev_path.c_str(), "w");
    if (!mask || !elev) {
        if (mask)
            std::fclose(mask);
        if (elev)
            std::fclose(elev);
        return false;
    }
    for (std::FILE* f : {mask, elev})
        std::fprintf(f, "north: %d\nsouth: 0\neast: %d\nwest: 0\nrows: %d\ncols: %d\n", side * 10, side * 10,
                     side, side);
    for (int r = 1; r <= side; ++r) {
        for (int c = 1; c <= side; ++c) {
            std::fputs(c < side ? "1 " : "1\n", mask);
            std::fprintf(elev, c < side ? "%.2f " : "%.2f\n", 10000.0 - 0.1 * (c - 1) - 0.05 * (r - 1));
        }
    }
    std::fclose(mask);
    std::fclose(elev);
    return true;
}

std::string write_project(const std::string& folder, int side, int minutes, int threads)
{
    const std::string name = "plane" + std::to_string(side) + "_t" + std::to_string(threads);
    const std::string path = folder + "/" + name + ".prj";
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f)
        return "";
    const std::string grids = folder + "/plane" + std::to_string(side);
    std::fprintf(f,
                 "TORVAPROJECT\nWATERSHED_MASK %s.msk\nELEVATION %s.ele\nGRIDSIZE 10\nROWS %d\nCOLS %d\n"
                 "TOT_TIME %d\nTIMESTEP 10\nOUTROW %d\nOUTCOL %d\nOUTSLOPE 0.01\nMANNING_N 0.03\n"
                 "PRECIP_UNIF\nRAIN_INTENSITY 50\nRAIN_DURATION %d\nSTART_DATE 2000 1 1\n"
                 "START_TIME 12 0\nHYD_FREQ 1\nMAP_FREQ 100000\nSUMMARY %s/%s.sum\n"
                 "OUTLET_HYDRO %s/%s.otl\nNUM_THREADS %d\nSUPER_QUIET\n",
                 grids.c_str(), grids.c_str(), side, side, minutes, side, side, minutes, folder.c_str(),
                 name.c_str(), folder.c_str(), name.c_str(), threads);
    std::fclose(f);
    return path;
}

} // namespace

int main(int argc, char** argv)
{
    const int side = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int minutes = argc > 2 ? std::atoi(argv[2]) : 10;
    const std::string folder = argc > 3 ? argv[3] : "/tmp/torva_bench_plane";
    if (side < 2 || minutes < 1) {
        std::fprintf(
            stderr,
            "usage: torva_bench_plane [cells per side] [simulated minutes] [work folder] [threads ...]\n");
        return 1;
    }
    std::system(("mkdir -p '" + folder + "'").c_str());
    if (!write_grids(folder, side)) {
        std::fprintf(stderr, "cannot write the grids into %s\n", folder.c_str());
        return 1;
    }
    const int cores = processor_count();
    std::vector<int> counts;
    for (int k = 4; k < argc; ++k)
        if (std::atoi(argv[k]) > 0)
            counts.push_back(std::atoi(argv[k]));
    if (counts.empty()) {
        counts.push_back(1);
        if (cores > 1)
            counts.push_back(cores);
    }

    std::printf("plane of %d x %d cells, %d simulated minutes of 10 s steps, %d processors\n", side, side,
                minutes, cores);
    std::printf("threads  wall s  s per sim h  steps  sub-steps/step  implicit %%  cell-updates/s  depth digest\n");
    std::fflush(stdout);
    for (const int threads : counts) {
        const std::string project = write_project(folder, side, minutes, threads);
        if (project.empty())
            return 1;
        last_step = minutes * 6;
        depth_digest = 0;
        run_step_observer = digest_last_depths;
        const auto t0 = std::chrono::steady_clock::now();
        const int code = run_simulation(project, nullptr, "");
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (code != 0) {
            std::fprintf(stderr, "run failed with code %d\n", code);
            return 1;
        }
        // A run starts the routing state afresh, so its counters hold this
        // run alone.
        const ade_state& st = ade_process_state();
        const long long sweeps = st.sweeps;
        const int steps = st.calls_made;
        const double substeps = 0.5 * static_cast<double>(sweeps);
        const double cells = static_cast<double>(side) * side;
        std::printf("%7d %7.1f %12.1f %6d %15.2f %10.3f %15.3e  %016llx\n", threads, wall, wall * 60.0 / minutes,
                    steps, steps > 0 ? substeps / steps : 0.0,
                    substeps > 0.0 ? 100.0 * static_cast<double>(st.implicit_updates) / (substeps * cells)
                                   : 0.0,
                    static_cast<double>(sweeps) * cells / wall, static_cast<unsigned long long>(depth_digest));
        std::fflush(stdout);
    }
    return 0;
}
