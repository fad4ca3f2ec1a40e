// The part of a mass accumulated over an interval that falls in one step.
#pragma once

// Both lengths in seconds: when the interval is longer than the step by more
// than 0.5 s the step takes value x step / interval, else the whole value.
double prorate_mass(double step, double interval, double value);
