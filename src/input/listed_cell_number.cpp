#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "input/subsurface_inputs.h"

int listed_cell_number(const model_state& s, const std::string& file, int entry, int row, int col)
{
    if (row < 1 || row > s.rows || col < 1 || col > s.cols)
        std::printf("Error: entry %d of %s, row %d column %d, lies outside the grid of %d rows and %d columns.\n",
                    entry, file.c_str(), row, col, s.rows, s.cols);
    else if (s.mask[row][col] < 1)
        std::printf("Error: entry %d of %s, row %d column %d, lies outside the watershed.\n", entry, file.c_str(),
                    row, col);
    else
        return s.mask[row][col];
    error_set(err_stop);
    report_error(error_state);
    return 0;
}
