// The share of a process's mass that one transport step applies.
#pragma once

// A process that ran over `interval` seconds spreads its mass over the
// transport steps of that interval: when the interval is longer than the
// step (`step`, s) by more than half a second the step takes value x step /
// interval, otherwise the whole value. Both lengths are in seconds.
double prorate_mass(double step, double interval, double value);
