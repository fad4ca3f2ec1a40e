// The mapping-table file on arbitrary bytes: the table check, then the
// generic reader of one table chosen by the first byte, with a valid
// index map beside it.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "input/mapping_table.h"
#include "input/mapping_table_checks.h"
#include "input/time_series.h"

namespace
{

const int codes[] = {tc_roughness, tc_interception, tc_retention, tc_green_ampt_infiltration,
                     tc_evapotranspiration, tc_overland_boundary, tc_area_reduction, tc_ovr_flow_block,
                     tc_qbn_n, tc_rough_exp};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    torva_fuzz::start_case();
    torva_fuzz::write_text("m.idx", "north: 30\nsouth: 0\neast: 40\nwest: 0\nrows: 3\ncols: 4\n"
                                    "1 1 2 2\n1 3 3 2\n1 1 2 2\n");
    const int code = codes[data[0] % (sizeof codes / sizeof codes[0])];
    const std::string path = torva_fuzz::write_input("f.cmt", data + 1, size - 1);

    int flags[mapping_table_flag_total] = {};
    check_mapping_tables(path, flags, 1);
    error_state_clear();

    imat mask;
    mask.assign(4, 5, 0);
    int cell = 0;
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 4; ++c)
            mask[r][c] = ++cell;
    dvec columns[7];
    for (dvec& d : columns)
        d.assign(cell, 0.0);
    table_destinations dest{&columns[0], &columns[1], &columns[2], &columns[3],
                            &columns[4], &columns[5], &columns[6]};
    dvec precip;
    precip.assign(4, 0.0);
    double north = 0, south = 0, east = 0, west = 0;
    int rows = 0, cols = 0;
    read_mapping_table(1, path, code, dest, north, south, east, west, rows, cols, mask, 3, 4, nullptr,
                       code == tc_qbn_n ? 4 : 0, code == tc_qbn_n ? &precip : nullptr);
    ts_free_all();
    return 0;
}
