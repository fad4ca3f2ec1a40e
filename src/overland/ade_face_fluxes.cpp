// Face discharges of one sweep direction: Manning flow between every cell
// and its downstream neighbour, with embankments, lakes, wetlands, blocked
// sides and flow through the snowpack.
#include "overland/ade_face_discharge.h"

void ade_face_fluxes(const ade_grid& g, const double* depth, ade_direction dir, double* q)
{
    const int n = g.n;
    const int* down = dir == ade_x ? g.right : g.below;
    const ade_face_sides sides = ade_face_sides_of(dir);
    q[0] = 0.0;
#pragma omp parallel for schedule(static) if (n >= ade_parallel_cells)
    for (int i = 1; i <= n; ++i)
        q[i] = ade_face_discharge(g, depth, i, down[i], sides);
}
