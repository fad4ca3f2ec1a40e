// The nutrient-module object: construction, the constituent record, and
// destruction in reverse order of building with the range reports of its
// arrays. The parts' allocations live in their own files.
#include "quality/qbn_model.h"

#include <cmath>
#include <cstdio>
#include <new>

namespace
{

const char* const stream_prefixes[qbn_constituent_count] = {
    "nutr_st-NO2", "nutr_st-NO3", "nutr_st-NH4",  "nutr_st-ON", "nutr_st-OP",
    "nutr_st-DP",  "nutr_st-Alg", "nutr_st-CBOD", "nutr_st-DO",
};

// Reports a range fault by the array's name, then frees it.
template <class T> void release(checked_array<T>& a)
{
    if (a.bad_index)
        std::printf("Error: bad range addressed in array %s\n", a.name.c_str());
    checked_array_destroy(a);
}

void constituent_destroy(qbn_constituent& c)
{
    release(c.maxconc);
    release(c.fsum);
    release(c.Km);
    row_array_destroy(c.table);
    release(c.fracbnd);
    release(c.fracdiss);
    release(c.dmdt);
    release(c.mass);
    release(c.conc);
}

void species_destroy(qbn_constituent (&species)[qbn_constituent_count])
{
    for (int k = qbn_constituent_count - 1; k >= 0; --k)
        constituent_destroy(species[k]);
}

void overland_destroy(qbn_overland& p)
{
    release(p.nh3);
    release(p.total_p);
    release(p.total_n);
    row_array_destroy(p.spare_rows);
    release(p.cell_flags_b);
    release(p.cell_flags);
    release(p.cell_block);
    release(p.list);
    species_destroy(p.species);
    release(p.dispersion);
    release(p.foc);
    release(p.doc);
    release(p.work);
    release(p.water_temp);
}

void stream_name_arrays(qbn_stream& p)
{
    checked_array_set_name(p.water_temp, "nutr_st-water_temp");
    checked_array_set_name(p.doc, "nutr_st-dissOrgC");
    checked_array_set_name(p.foc, "nutr_st-dissOrgC_FOC");
    checked_array_set_name(p.dispersion, "nutr_st-dispersion");
    checked_array_set_name(p.list, "nutr_st-list");
    for (int k = 0; k < qbn_constituent_count; ++k)
        qbn_constituent_name_arrays(p.species[k], stream_prefixes[k]);
}

void stream_destroy(qbn_stream& p)
{
    stream_name_arrays(p);
    for (row_array<double>* r : {&p.nh3, &p.kjeldahl_n, &p.total_n, &p.total_p})
        row_array_destroy(*r);
    row_array_destroy(p.node_flags);
    row_array_destroy(p.node_table);
    release(p.list);
    species_destroy(p.species);
    release(p.dispersion);
    release(p.foc);
    release(p.doc);
    release(p.water_temp);
}

void lake_destroy(qbn_lake& p)
{
    release(p.nh3);
    release(p.kjeldahl_n);
    release(p.total_n);
    release(p.total_p);
    release(p.lake_flags);
    release(p.lake_ptrs);
    release(p.list);
    species_destroy(p.species);
    release(p.lake_b);
    release(p.lake_a);
    release(p.water_temp);
}

void pool_destroy(qbn_soil_pool& pool)
{
    matrix_stack_destroy(pool.work);
    row_array_destroy(pool.third);
    row_array_destroy(pool.second);
    row_array_destroy(pool.amount);
}

void soil_destroy(qbn_soil& p)
{
    release(p.cell_recs);
    release(p.pools);
    release(p.spare);
    release(p.cell_values);
    row_array_destroy(p.phosphorus_table);
    row_array_destroy(p.phosphorus_flags);
    for (int k = 5; k >= 0; --k)
        pool_destroy(p.phosphorus[k]);
    row_array_destroy(p.nitrogen_flags);
    for (int k = 4; k >= 0; --k)
        pool_destroy(p.nitrogen[k]);
    row_array_destroy(p.carbon_flags);
    for (int k = 1; k >= 0; --k)
        pool_destroy(p.carbon[k]);
    row_array_destroy(p.carbon_table);
    for (int k = 4; k >= 0; --k)
        row_array_destroy(p.tables[k]);
}

void params_destroy(qbn_params& p)
{
    row_array_destroy(p.st_index);
    p.ov_index.reset();
    release(p.ids);
}

} // namespace

qbn_model* qbn_model_construct(void* storage)
{
    qbn_model* m = new (storage) qbn_model();
    for (int k = 0; k < qbn_constituent_count; ++k) {
        file_rec_init(m->mass_files[k]);
        file_rec_init(m->conc_files[k]);
    }
    map_series_construct(m->maps.total_n);
    map_series_construct(m->maps.total_p);
    linknode_series_construct(m->linknodes.total_n);
    linknode_series_construct(m->linknodes.kjeldahl_n);
    linknode_series_construct(m->linknodes.total_p);
    return m;
}

void qbn_model_destroy(qbn_model* model)
{
    if (!model)
        return;
    for (auto& f : model->conc_files)
        file_rec_release(f);
    for (auto& f : model->mass_files)
        file_rec_release(f);
    linknode_series_destroy(model->linknodes.total_p);
    linknode_series_destroy(model->linknodes.kjeldahl_n);
    linknode_series_destroy(model->linknodes.total_n);
    linknode_series_row_array_destroy(model->linknodes.rows);
    map_series_destroy(model->maps.total_p);
    map_series_destroy(model->maps.total_n);
    map_series_row_array_destroy(model->maps.rows);
    soil_destroy(model->soil);
    lake_destroy(model->lake);
    stream_destroy(model->stream);
    overland_destroy(model->overland);
    params_destroy(model->params);
}

void qbn_model_deleter::operator()(qbn_model* m) const
{
    if (!m)
        return;
    qbn_model_destroy(m);
    delete m;
}

std::unique_ptr<qbn_model, qbn_model_deleter> qbn_model_create()
{
    return std::unique_ptr<qbn_model, qbn_model_deleter>(new qbn_model());
}

void qbn_constituent_alloc(qbn_constituent& c, int n)
{
    for (checked_array<double>* a :
         {&c.conc, &c.mass, &c.dmdt, &c.fracdiss, &c.fracbnd, &c.Km, &c.fsum, &c.maxconc})
        checked_array_grow(*a, n);
    row_array_add_rows(c.table, n, qbn_table_columns);
}

void qbn_constituent_name_arrays(qbn_constituent& c, const char* prefix)
{
    const std::string p(prefix);
    checked_array_set_name(c.conc, (p + "-conc").c_str());
    checked_array_set_name(c.mass, (p + "-mass").c_str());
    checked_array_set_name(c.dmdt, (p + "-dmdt").c_str());
    checked_array_set_name(c.fracdiss, (p + "-fracdiss").c_str());
    checked_array_set_name(c.fracbnd, (p + "-fracbnd").c_str());
    checked_array_set_name(c.Km, (p + "-Km").c_str());
    checked_array_set_name(c.fsum, (p + "-fsum").c_str());
    checked_array_set_name(c.maxconc, (p + "-maxconc").c_str());
}

double qbn_ammonia_ka(double celsius)
{
    return std::pow(10.0, -(0.09018 + 2729.92 / (celsius + 273.15)));
}
