#include "subsurface/soil_state.h"

void soil_layer_rec_clear(soil_layer_rec& rec)
{
    rec = soil_layer_rec();
}
