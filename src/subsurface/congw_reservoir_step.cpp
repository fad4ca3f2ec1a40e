// The conceptual groundwater reservoir: both stores drain their fraction,
// then the input is shared between them by their fill, the slow store
// taking its share up to its capacity and the fast store the rest.
#include "subsurface/lumped_models.h"

double congw_reservoir_step(double p, cgw_model& m, double& slow_out, double& fast_out)
{
    slow_out = m.slow_content * m.slow_rate;
    fast_out = m.fast_content * m.fast_rate;
    m.slow_content *= 1.0 - m.slow_rate;
    m.fast_content *= 1.0 - m.fast_rate;
    if (p > 0.0) {
        const double s = 1.0 - m.slow_content / m.slow_max;
        const double f = 1.0 - m.fast_content / m.fast_max;
        const double room = s + f;
        double phi = room > 0.0 ? m.fast_max / (m.slow_max + m.fast_max) * 2.0 * f / room : 1.0;
        phi = phi < 0.0 ? 0.0 : phi > 1.0 ? 1.0 : phi;
        double slow_in = (1.0 - phi) * p;
        if (m.slow_content + slow_in > m.slow_max)
            slow_in = m.slow_max > m.slow_content ? m.slow_max - m.slow_content : 0.0;
        m.slow_content += slow_in;
        m.fast_content += p - slow_in;
    }
    m.outflow = slow_out + fast_out;
    return m.outflow;
}
