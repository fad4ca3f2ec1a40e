// Neighbour lists of every active cell from the cell-number grid, the
// checks of the embankment low spots, and the work arrays of the routing.
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "overland/overland_steps.h"

namespace
{

const char* side_line(int side)
{
    switch (side) {
    case 1:
        return "Dike / low spot on top side of cell\n";
    case 2:
        return "Dike / low spot on right side of cell\n";
    case 4:
        return "Dike / low spot on bottom side of cell\n";
    default:
        return "Dike / low spot on left side of cell\n";
    }
}

// Index 0..3 of a side bit 1, 2, 4, 8.
int side_index(int side)
{
    return side == 1 ? 0 : side == 2 ? 1 : side == 4 ? 2 : 3;
}

void stop_run()
{
    error_set(err_stop);
    report_error(error_state);
}

// Cell number at a grid position, 0 outside the grid.
int cell_at(const model_state& s, int row, int col)
{
    if (row < 1 || col < 1 || row > s.num_rows || col > s.num_cols)
        return 0;
    if (row > s.mask.rows() || col > s.mask.cols())
        return 0;
    return s.mask[row][col];
}

// Checks one low spot; false (after the messages) when it is not valid.
bool check_lowspot(const model_state& s, const lowspot_rec& spot)
{
    const int row = spot.row;
    const int col = spot.col;
    if (spot.fraction < 0.0 || spot.fraction > 1.5) {
        std::printf("\nThe fraction of the grid-size specified for the lowspot in the grid at\n");
        std::printf("row %d col %d is unreasonable, with a value of %f.  Acceptable\n", row, col,
                    spot.fraction);
        std::printf(" values range from 0.0 to 1.5.  Change the value.  Program terminated.\n");
        return false;
    }
    const int side = spot.side;
    if (side != 1 && side != 2 && side != 4 && side != 8) {
        std::printf("\nThe low spot flow direction specified in row %d col %d in the file %s\n", row, col,
                    s.lowspot_file_name.c_str());
        std::printf("is not valid.  The only possible directions are: 1- top boundary, 2- right\n");
        std::printf("boundary, 4- bottom boundary, or 8- left boundary.\n");
        std::printf("Edit your lowspot file and try again.  Program terminated.\n");
        return false;
    }
    const int cell = cell_at(s, row, col);
    if (cell <= 0 || cell > s.num_cells || s.dike_mask[cell] == 0) {
        std::printf("\nYou have specified an overland flow dike in row %d col %d\n", row, col);
        std::printf("There is no dike adjacent to this grid cell.  Program stopped.\n");
        return false;
    }
    const ivec* across_list[4] = {&s.abovecon, &s.rightcon, &s.belowcon, &s.leftcon};
    const int across = (*across_list[side_index(side)])[cell];
    if (across <= 0 || s.dike_mask[across] == 0) {
        static const char* const where[4] = {
            "\nYou have specified a low spot on the top boundary of the grid\n",
            "\nYou have specified a low spot on the right boundary of the grid\n",
            "\nYou have specified a low spot on the bottom boundary of the grid\n",
            "\nYou have specified a low spot on the left boundary of the grid\n",
        };
        std::printf("%s", where[side_index(side)]);
        std::printf("cell at row %d col %d.  Either the side you have specified is not on\n", row, col);
        std::printf("an overland flow dike, or the cell on the other side is out of the\n");
        std::printf("watershed.  Check your low spot file.  Program terminated.\n");
        return false;
    }
    if (spot.elevation < s.ground_elev[cell]) {
        std::printf("\nThe elevation of the overland flow dike low spot you specified in the grid\n");
        std::printf("cell located at row %d col %d is %f m.  This elevation is lower than the\n", row, col,
                    spot.elevation);
        std::printf("elevation of the grid cell, which is %f m.  This situation is impossible.\n",
                    s.ground_elev[cell]);
        std::printf("Please raise the low spot elevation to be greater than the grid cell elevation.\n");
        std::printf("%s", side_line(side));
        std::printf("Program terminated\n");
        return false;
    }
    if (spot.elevation < s.ground_elev[across]) {
        std::printf("\nThe elevation of the overland flow dike low spot you specified in the grid\n");
        std::printf("cell located at row %d col %d is %f m.  This elevation is lower than the\n", row, col,
                    spot.elevation);
        std::printf("elevation of the grid cell on the other side of the dike, which is %f m.\n",
                    s.ground_elev[across]);
        std::printf("This situation is impossible.  Please raise the low spot elevation to be\n");
        std::printf("greater than the grid cell elevation.\n");
        std::printf("%s", side_line(side));
        std::printf("Program terminated\n");
        return false;
    }
    // The cell across must carry the embankment on the shared side.
    static const int facing_bit[4] = {4, 8, 1, 2};
    if ((s.dike_mask[across] & facing_bit[side_index(side)]) == 0) {
        static const char* const flow[4] = {
            "at this low spot across the top boundary of the cell, while the dike\n",
            "at this low spot across the right boundary of the cell, while the dike\n",
            "at this low spot across the bottom boundary of the cell, while the dike\n",
            "at this low spot across the left boundary of the cell, while the dike\n",
        };
        static const char* const along[4] = {
            "is running in a different direction than along the top of the cell.\n",
            "is running in a different direction than along the right side of the cell.\n",
            "is running in a different direction than along the bottom of the cell.\n",
            "is running in a different direction than along the left side of the cell.\n",
        };
        std::printf("\nThe low spot you have specified in the grid at row %d  col %d does not\n", row, col);
        std::printf("cross the dike.  Rather, it runs _along_ the dike.  You specified flow\n");
        std::printf("%s", flow[side_index(side)]);
        std::printf("%s", along[side_index(side)]);
        std::printf("Program terminated.\n");
        return false;
    }
    return true;
}

} // namespace

void build_neighbour_lists(int rows, int cols, ivec& right, ivec& below, ivec& above, ivec& left,
                           const imat& grid)
{
    int i = 0;
    for (int r = 1; r <= rows; ++r) {
        for (int c = 1; c <= cols; ++c) {
            if (grid[r][c] == 0)
                continue;
            ++i;
            right[i] = c < cols ? grid[r][c + 1] : 0;
            left[i] = c > 1 ? grid[r][c - 1] : 0;
            below[i] = r < rows ? grid[r + 1][c] : 0;
            above[i] = r > 1 ? grid[r - 1][c] : 0;
        }
    }
}

void build_cell_connectivity(model_state& s)
{
    if (!s.super_quiet && !s.calib_mode)
        std::printf("building cell to cell connectivity information\n");
    const int n = s.num_cells;
    if (n <= 0 || !s.mask)
        return;
    if (s.mask.rows() < s.num_rows || s.mask.cols() < s.num_cols)
        return;
    for (ivec* v : {&s.rightcon, &s.belowcon, &s.abovecon, &s.leftcon})
        if (v->size() != n)
            v->assign(n, 0);
    build_neighbour_lists(s.num_rows, s.num_cols, s.rightcon, s.belowcon, s.abovecon, s.leftcon, s.mask);

    alloc_overland_routing(s);

    if (!(s.dike_map_given && s.lowspot_file_given))
        return;
    if (!ivector_alloc_zero(s.low_spot_flow_cell, n + 1, "low_spot_flow_cell"))
        return;
    if (s.lowspot_count <= 0)
        return;
    if (s.dike_mask.size() < n || s.ground_elev.size() < n)
        return;
    const int count = static_cast<int>(s.lowspots.size()) - 1 < s.lowspot_count
                          ? static_cast<int>(s.lowspots.size()) - 1
                          : s.lowspot_count;
    for (int k = 1; k <= count; ++k) {
        lowspot_rec& spot = s.lowspots[static_cast<size_t>(k)];
        spot.discharge = 0.0;
        if (!check_lowspot(s, spot)) {
            std::printf("Error in the low-spot file %s: SPOT card %d cannot be used (see above).\n",
                        s.lowspot_file_name.c_str(), k);
            stop_run();
            return;
        }
    }
}
