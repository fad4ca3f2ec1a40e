// Timed writes of one map of 1,000 x 1,000 cells (a tenth of the cells
// outside the watershed) as an ESRI ASCII grid file, as one step of an
// ASCII dataset and as one step of a binary dataset. Each figure is the
// best of three writes, file open and close included.
//
//   torva_bench_maps [rows] [cols] [folder]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/arrays.h"
#include "output/grid_writers.h"
#include "output/map_series.h"

namespace
{

double seconds_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

template <class F> double best_of_three(const std::string& path, const char* mode, F&& write)
{
    double best = 1e30;
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        std::FILE* fp = std::fopen(path.c_str(), mode);
        if (!fp) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            std::exit(1);
        }
        write(fp);
        std::fclose(fp);
        const double t = seconds_since(start);
        if (t < best)
            best = t;
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int cols = argc > 2 ? std::atoi(argv[2]) : 1000;
    const std::string folder = argc > 3 ? argv[3] : std::filesystem::temp_directory_path().string();
    if (rows < 1 || cols < 1) {
        std::fprintf(stderr, "usage: torva_bench_maps [rows] [cols] [folder]\n");
        return 1;
    }

    // Every tenth column outside the watershed; depths between 0 and 1.2 m.
    imat mask;
    mask.assign(rows, cols, 0);
    std::vector<double> values(1, 0.0);
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c)
            if (c % 10 != 0) {
                mask[r][c] = static_cast<int>(values.size());
                values.push_back(0.0001 * ((r * 7919 + c * 104729) % 12000));
            }

    const std::string path = folder + "/torva_bench_map.tmp";
    const double grid = best_of_three(path, "w", [&](std::FILE* fp) {
        write_esri_ascii_grid(fp, mask, 10.0 * rows, 0.0, 10.0 * cols, 0.0, rows, cols, values.data(), 10.0);
    });
    const long grid_bytes = static_cast<long>(std::filesystem::file_size(path));
    const double ascii = best_of_three(
        path, "w", [&](std::FILE* fp) { write_dataset_step(fp, 60.0, rows, cols, mask, values.data(), 0); });
    const long ascii_bytes = static_cast<long>(std::filesystem::file_size(path));
    const double binary = best_of_three(
        path, "wb", [&](std::FILE* fp) { write_dataset_step(fp, 60.0, rows, cols, mask, values.data(), 1); });
    const long binary_bytes = static_cast<long>(std::filesystem::file_size(path));
    std::filesystem::remove(path);

    std::printf("One map of %d x %d cells (%zu active), best of three writes\n", rows, cols,
                values.size() - 1);
    std::printf("format                 seconds      bytes\n");
    std::printf("per-time grid       %10.3f %10ld\n", grid, grid_bytes);
    std::printf("ASCII dataset step  %10.3f %10ld\n", ascii, ascii_bytes);
    std::printf("binary dataset step %10.3f %10ld\n", binary, binary_bytes);
    return 0;
}
