// The top layer of a Richards column down to a given depth: where its bottom
// cuts the column, the water it holds and the flux across its bottom. The
// soil constituent step reads the layer's water content and the solver
// accumulates the percolation out of it, so both use the same cut.
#pragma once

// The layer bottom lies `part` cm below the top of node `node` (1..n).
// With the bottom below the top of the column's bottom node (a water table
// or the free-drainage node inside the layer) the cut is in node n.
struct richards_cut {
    int node = 0;
    double part = 0.0;
};

// Cut of a column of n nodes (dz[1..n], cm) at `depth` cm; node 0 when the
// column has no nodes or the depth is not positive.
richards_cut richards_layer_cut(const double* dz, int n, double depth);

// Water (cm) above the cut: whole nodes above it and the part of the cut node
// at its own content.
double richards_layer_water(const double* theta, const double* dz, richards_cut cut);

// Flux (cm/h, downward positive) across the cut from the interface fluxes
// q[1..n] (q[l] enters node l from above): linear within the cut node, and
// the column's bottom flux in the bottom node.
double richards_cut_flux(const double* q, const double* dz, int n, richards_cut cut);
