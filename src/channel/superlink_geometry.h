// Cross-sections of the pipes of the pipe network: circular (diameter D),
// arch (rise D, span W) and box (height D, width W); flow area, top width
// and wetted perimeter at a depth, and the critical and normal depths of a
// pipe carrying a flow. Lengths in m, flows in m3/s.
#pragma once

constexpr double gravity = 9.81; // m/s2

struct section_geom {
    double area = 0.0;
    double top_width = 0.0;
    double wet_per = 0.0;
};

// Area, top width and wetted perimeter at depth y; any other section type
// leaves g unchanged.
void superlink_section_geom(double D, double y, double W, int type, section_geom& g);

// Flow area alone: circular (no full-pipe test) and box; 0 for other types.
double superlink_section_area(int type, double D, double W, double y);

// Critical depth (Q^2 T = g A^3). 0, or -1 after printing why (arch
// sections, no convergence); yc is then left as it was.
int superlink_crit_calc(int type, double D, double W, double Q, double& yc);

// Normal depth by Manning. 0, or -1 after printing why: arch sections and
// a circular iteration that does not converge stop the run; a box
// iteration that does not converge only warns and leaves its last iterate.
int superlink_norm_calc(int type, double D, double W, double n, double Q, double S, double& yn);
