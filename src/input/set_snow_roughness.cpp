// The Manning roughness of snow-covered cells, unless Darcy flow through
// the snow is chosen as well.
#include <cstdio>

#include "core/model_state.h"
#include "input/spatial_inputs.h"

void set_snow_roughness(model_state& s)
{
    if (s.snow_roughness_given != 1)
        return;
    if (s.snow_darcy == 1) {
        s.snow_roughness_given = 0;
        std::printf("Both manning and darcy flow are turned on for when snow is present \n");
        std::printf("Turning off manning flow for when snow is present.  Darcy still turned on. \n");
        return;
    }
    s.snow_roughness_n = s.snow_roughness;
    s.dist_rough_copy = s.dist_rough;
}
