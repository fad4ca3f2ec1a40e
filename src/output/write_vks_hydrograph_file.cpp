// The run's hydrographs in the companion program's hydrograph layout: the
// keyword line, five counts, the location list, the outlet discharges and
// then each location's discharges, ten values to a line.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/text_parse.h"
#include "output/output_steps.h"

namespace
{

// Writes value i (1-based) of a block: a newline after every tenth value,
// a blank after the others.
void put_value(std::FILE* out, double v, int i)
{
    std::fprintf(out, "%11.4lf", v);
    std::fprintf(out, i % 10 == 0 ? "\n" : " ");
}

// Skips `skip` numbers of the line and reads the next `count` into `values`;
// false when the line holds fewer numbers.
bool take_numbers(const std::string& line, int skip, int count, double* values)
{
    std::string_view rest(line);
    double v = 0.0;
    for (int k = 0; k < skip + count; ++k) {
        if (pop_double_strict(rest, v) != num_status::ok)
            return false;
        if (k >= skip)
            values[k - skip] = v;
    }
    return true;
}

} // namespace

void write_vks_hydrograph_file(std::FILE* outlet, std::FILE* out, std::FILE* locations, const ivec& loc_links,
                               const ivec& loc_nodes, int num_locations, int start_date, int start_time,
                               int interval, int count)
{
    const int n = locations ? num_locations : 0;
    std::fprintf(out, "TORVEKA_VKS_HYDROGRAPH_FILE\n");
    std::fprintf(out, "%ld\n%ld\n%ld\n%ld\n%ld\n", static_cast<long>(n), static_cast<long>(start_date),
                 static_cast<long>(start_time), static_cast<long>(interval), static_cast<long>(count));
    for (int k = 1; k <= n; ++k)
        std::fprintf(out, "%d %d\n", loc_links[k], loc_nodes[k]);

    // The outlet values are streamed; a file that ends early, or a row
    // without a discharge, ends the block there.
    std::string line;
    for (int i = 1; i <= count; ++i) {
        double q = 0.0;
        if (!read_line_fp(line, outlet) || !take_numbers(line, 1, 1, &q)) {
            std::printf("Error: the outlet hydrograph holds %d of the %d rows of the run; the companion "
                        "hydrograph file has only those.\n",
                        i - 1, count);
            break;
        }
        put_value(out, q, i);
    }
    if (n == 0)
        return;

    // The location rows become a count x n table written location by location.
    std::vector<double> table;
    table.reserve(static_cast<std::size_t>(count) * static_cast<std::size_t>(n));
    int rows = 0;
    for (; rows < count; ++rows) {
        std::vector<double> row(static_cast<std::size_t>(n));
        if (!read_line_fp(line, locations) || !take_numbers(line, 1, n, row.data())) {
            std::printf("Error: row %d of the location hydrograph does not hold the %d discharges of the "
                        "locations; the location blocks end there.\n",
                        rows + 1, n);
            break;
        }
        table.insert(table.end(), row.begin(), row.end());
    }
    for (int k = 0; k < n; ++k) {
        std::fprintf(out, "\n");
        for (int i = 0; i < rows; ++i)
            put_value(out, table[static_cast<std::size_t>(i) * n + k], i + 1);
    }
}
