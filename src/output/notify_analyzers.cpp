#include "core/model_state.h"
#include "output/analyzer.h"

void notify_analyzers(model_state& s, int event_bits)
{
    for (analyzer* a = s.analyzers_head.get(); a; a = a->next.get()) a->trigger(s, event_bits);
}
