#include "coupling/coupling_services.h"

#include "core/model_state.h"

// TODO: KZ segment coupling set-up.
void kz_coupling_init(model_state& /*state*/, kz_data& /*kz*/)
{
}
