// Liquid-water and heat-deficit balance of a snowpack over one hour: the
// input first satisfies the heat deficit by refreezing, then fills the
// pack's liquid holding capacity; the excess leaves the pack.
#include <algorithm>

#include "hydromet/snow_services.h"

void snow_water_balance(int cell, double w_in, double& work, dvec& liquid, double wqx, double& prev_deficit,
                        dvec& deficit, const dvec& plwhc, double& outflow, dvec& ice)
{
    double& wq = liquid[cell];
    double& d = deficit[cell];
    const double excess = w_in + wq - wqx - d - d * plwhc[cell];
    if (excess >= 0.0) {
        wq = wqx;
        outflow = excess;
        prev_deficit = 0.0;
        ice[cell] += d;
        d = 0.0;
    } else if (w_in + wq - d > 0.0) {
        wq = w_in + wq - d;
        outflow = 0.0;
        prev_deficit = 0.0;
        ice[cell] += d;
        d = 0.0;
    } else {
        d -= w_in;
        outflow = 0.0;
        ice[cell] += w_in; // all input refreezes
    }
    d = std::max(d, 0.0);
    ice[cell] = std::max(ice[cell] - outflow - wq, 0.0);
    work -= outflow + wq;
}
