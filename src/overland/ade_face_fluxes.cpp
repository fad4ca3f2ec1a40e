// Face discharges of one sweep direction: Manning flow between every cell
// and its downstream neighbour, with embankments, lakes, wetlands, blocked
// sides and flow through the snowpack.
#include "overland/ade_face_discharge.h"


void ade_face_fluxes(const ade_grid& g, const double* depth, ade_direction dir, double* q)
{
    const int n = g.n;
    const int* down = dir == ade_x ? g.right : g.below;
    // Embankment bit of cell i on the face, and the blocked sides of i and t
    // (1 top, 2 right, 3 bottom, 4 left).
    const int dike_bit = dir == ade_x ? 2 : 4;
    const int side_i = dir == ade_x ? 2 : 3;
    const int side_t = dir == ade_x ? 4 : 1;
    q[0] = 0.0;
#pragma omp parallel for schedule(static) if (n >= ade_parallel_cells)
    for (int i = 1; i <= n; ++i)
        q[i] = ade_face_discharge(g, depth, i, down[i], dike_bit, side_i, side_t);
}
