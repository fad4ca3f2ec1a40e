#include "quality/quality_run_state.h"

void qbn_model_deleter::operator()(qbn_model* m) const
{
    if (!m) return;
    qbn_model_destroy(m);
    delete m;
}

void qbn_object_free(quality_run_state& q)
{
    q.qbn_object.reset();
}
