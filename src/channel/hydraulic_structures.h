// Discharge through the elements of a hydraulic structure link: weirs, sag
// weirs and culverts, from the water levels on both sides. SI units;
// discharges are positive from the upstream to the downstream side.
#pragma once

#include <vector>

struct chan_struct_rec;
struct model_state;

// Sharp-crested weir (type 1) between the upstream level U and the
// downstream level D: free flow, linearised or general submerged flow,
// reverse flow with the reverse coefficient.
double weir_flow(const chan_struct_rec& weir, double U, double D);

// Weir whose crest is a parabola between a steep and a shallow slope
// (type 2).
double sag_weir_flow(const chan_struct_rec& weir, double U, double D);

// Culvert barrel shapes, as the structure types number them.
enum culvert_shape { culvert_round = 3, culvert_oval = 4, culvert_box = 5 };

// Flow area, wetted perimeter and top width of a culvert barrel (rise a,
// width c) at depth y.
struct culvert_geometry {
    double area = 0.0, perimeter = 0.0, top_width = 0.0;
};
void culvert_section(double rise, double y, double width, int shape, culvert_geometry& out);

// Flow area of a barrel at depth y (circular segment, or width x depth).
double culvert_segment_area(int shape, double rise, double width, double y);

// Critical depth of the discharge Q in a barrel. Sets error code 122 when
// the circular iteration does not converge and 123 for a pipe-arch.
double crit_calc(int shape, double rise, double width, double Q);

// Residual of the inlet-control equation at the trial discharge Q: Q minus
// the flow the inlet passes at the critical depth of Q under the head E.
struct culvert_inlet {
    int shape = 0;
    double rise = 0.0, width = 0.0, coeff = 0.0, head = 0.0;
};
double culvert_inlet_residual(const culvert_inlet& inlet, double Q);

// Root of the inlet residual between a and b (Brent's method), or -9999.99
// when the root is not bracketed or the iteration does not converge.
double zbrent(const culvert_inlet& inlet, double a, double b, double tol, int& iterations);

// Discharge through culvert k of the structure list at the levels U and D,
// with its flow regime (negative for reverse flow), the reported depth and
// flow area. -9999.99 after a failure (its lines printed).
struct culvert_result {
    double q = 0.0;
    int regime = 0;
    double depth = 0.0, area = 0.0;
};
culvert_result culv_flow(const std::vector<chan_struct_rec>& structures, int k, double U, double D);

// Outlet invert of a culvert: DOWNINVERT when given (at least 1e-4), else
// the inlet invert less the barrel's fall along SLOPE.
double culvert_outlet_invert(const chan_struct_rec& culvert);

// The failure value of culv_flow and zbrent.
constexpr double culvert_failed = -9999.99;

// Sets the working coefficient of culvert k of structure link `link` from
// two evaluations at fixed heads (it depends on the barrel only, so it is
// computed once per run). False after a failed evaluation (its lines
// printed, the run stopped).
bool culvert_calibrate(std::vector<chan_struct_rec>& structures, int k, int link);

// Discharge of structure link `link` over a sub-step of dt seconds: the
// sum over its elements, limited by the water on the side it draws from.
double structure_link_flow(model_state& state, int link, double dt);

// Checks that every structure link joins one upstream and one downstream
// link that are not structures, and calibrates its culverts. False after a
// refusal (printed, the run stopped).
bool structure_links_setup(model_state& state);
