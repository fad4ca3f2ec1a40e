// Reads one radar grid of the event into the radar values, in mm/h.
#include <cmath>
#include <cstdio>

#include "core/file_rec.h"
#include "hydromet/precip_words.h"
#include "hydromet/rain_services.h"
#include "hydromet/rainfall_state.h"

namespace
{

constexpr double mm_per_inch = 25.4;
constexpr double largest_rate = 100.0; // mm/h

} // namespace

int read_radar_grid(const std::string& name, radar_grid& r, int millimetres)
{
    file_rec rec;
    if (!file_rec_open(rec, name, "r")) {
        std::printf("Error: unable to open radar precip file %s\n", name.c_str());
        return -1;
    }
    int cols = 0, rows = 0;
    double llx = 0.0, lly = 0.0, cell = 0.0, nodata = 0.0;
    if (!read_radar_header_lines(rec, cols, rows, llx, lly, cell, nodata)) {
        std::printf("Error in reading radar precip file %s\n", name.c_str());
        return -1;
    }
    if (cols != r.cols || rows != r.rows ||
        r.precip_data.size() != static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols)) {
        std::printf("Error: radar precip file %s has %d columns and %d rows, the first grid of the event "
                    "has %d and %d\n",
                    name.c_str(), cols, rows, r.cols, r.rows);
        return -1;
    }

    precip_word_reader in(rec.fp);
    double peak = 0.0;
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < cols; ++j) {
            double v = 0.0;
            const word_status got = in.real(v);
            if (got != word_status::ok) {
                std::printf("Error in reading radar precip file %s\n", name.c_str());
                std::printf("The value of row %d, column %d %s.\n", i + 1, j + 1,
                            got == word_status::end ? "is missing: the file ends before it"
                                                    : "is not a finite number");
                return -1;
            }
            if (std::fabs(v - r.nodata) < 0.01 || v <= 0.0)
                v = 0.0;
            else if (!millimetres)
                v *= mm_per_inch;
            if (v > largest_rate) {
                std::printf("Warning: really big precip value (%lf) in cell (%d,%d) from radar rainfall.\n "
                            "resetting value to 100.0\n",
                            v, i, j);
                v = largest_rate;
            }
            if (v > peak)
                peak = v;
            r.precip_data[static_cast<std::size_t>(i) * static_cast<std::size_t>(cols) +
                          static_cast<std::size_t>(j)] = v;
        }
    }
    std::printf("Peak rainfall rate read: %lf mm/hr\n", peak);
    return 0;
}
