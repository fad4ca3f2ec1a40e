#include "quality/prorate_mass.h"

double prorate_mass(double step, double interval, double value)
{
    if (interval - step > 0.5)
        return value * step / interval;
    return value;
}
