// TODO: the nutrient module's overland, stream, lake and soil parts and its
// output writers; this holds the object the model state owns.
#include "quality/qbn_model.h"

#include <new>

qbn_model* qbn_model_construct(void* storage)
{
    return new (storage) qbn_model();
}

void qbn_model_destroy(qbn_model* model)
{
    if (!model) return;
    for (auto& f : model->conc_files) file_rec_release(f);
    for (auto& f : model->mass_files) file_rec_release(f);
}

void qbn_model_deleter::operator()(qbn_model* m) const
{
    if (!m) return;
    qbn_model_destroy(m);
    delete m;
}

std::unique_ptr<qbn_model, qbn_model_deleter> qbn_model_create()
{
    return std::unique_ptr<qbn_model, qbn_model_deleter>(new qbn_model());
}
