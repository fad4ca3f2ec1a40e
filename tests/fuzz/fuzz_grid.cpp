// The ASCII grid reader on arbitrary bytes, for each kind of target, and
// the index-map reader, against a 3 x 4 grid with two inactive corners.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "input/grid_map.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    torva_fuzz::start_case();
    const int kind = data[0] % 5; // 1..4 the grid kinds, 0 the index map
    const std::string path = torva_fuzz::write_input("f.map", data + 1, size - 1);

    imat mask;
    mask.assign(4, 5, 0);
    int cell = 0;
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 4; ++c)
            if (!(r == 1 && c == 1) && !(r == 3 && c == 4))
                mask[r][c] = ++cell;
    dvec first, second;
    first.assign(cell, 0.0);
    second.assign(cell, 0.0);
    ivec ints;
    ints.assign(cell, 0);
    double north = 0, south = 0, east = 0, west = 0;
    int rows = 0, cols = 0;

    file_rec f;
    if (!file_rec_open(f, path, "r"))
        return 0;
    if (kind == 0) {
        imat ids;
        read_index_map(f, "f.map", north, south, east, west, rows, cols, mask, ids, 7, 3, 4, nullptr, 1,
                       false);
    } else {
        imat target;
        target.assign(4, 5, 0);
        imat& grid = kind == grid_full_ints ? target : mask;
        read_grid_map(f, "f.map", kind, north, south, east, west, rows, cols, grid, &first, &second, &ints, 3,
                      4, 0);
    }
    file_rec_close(f);
    return 0;
}
