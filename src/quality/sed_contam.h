// Constituents sorbed to suspended sediment: linear equilibrium partition
// between the water and the fine sediment classes, and the transport of the
// sorbed phase with the overland sediment.
#pragma once

struct model_state;

// The split of one water body's total mass between the phases. With a = Kd
// / 1,000,000 and c_k the sediment concentration (mg/L) of class k, a fine
// class takes the fraction a c_k / (1 + sum over the fine classes of a c_k)
// and a sand class none. For each class k = 1..classes: fract[k] the
// fraction, class_conc[k] = fract[k] x total / per_volume[k] when that
// exceeds 1e-16 (else 0); slot 0 of both the sums. Returns the dissolved
// fraction; `bad` is set when a class concentration is not a number.
double split_phases(double kd, int classes, const double* sed_conc, const int* sand, double total,
                    const double* per_volume, double* fract, double* class_conc, bool& bad);

// Partition of every overland cell of constituent i outside the lakes, from
// the suspended volumes `volume` ([cell][class], m3): writes ov_sed_conc,
// ov_sed_fract_attached, sed_con_class and ov_fraction_dissolved. A dry cell
// keeps its last fractions. Returns the first cell whose class
// concentration is not a number, 0 when none.
int ov_con_partition(model_state& state, int i, bool working_volumes);

// Sorbed mass per m3 of fine sediment in the mixing layer of cell j, whose
// top soil layer holds `mass` (g) with the dissolved fraction `dissolved`: 0
// for a soil without fine classes, never negative, NaN passed on.
double soil_sorbed_conc(const model_state& state, int j, double mass, double dissolved);

// Erosion, cell-to-cell transport, deposition and outlet loss of the mass
// of constituent i sorbed to the fine classes. Returns the first cell whose
// mass is not a number, 0 when none.
int sed_con_transport(model_state& state, int i);
