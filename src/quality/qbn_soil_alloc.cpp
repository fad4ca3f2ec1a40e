// Allocation of the nutrient module's soil part: the thirteen soil pools of
// the carbon, nitrogen and phosphorus groups over cells x constituent
// layers, the pool table in title order and one sorption record per cell.
#include <cstdio>

#include "core/model_state.h"
#include "quality/qbn_services.h"

namespace
{

void pool_alloc(qbn_soil_pool& pool, int cells, int layers)
{
    for (row_array<double>* t : {&pool.amount, &pool.second, &pool.third})
        row_array_add_rows(*t, cells, layers);
    matrix_stack_add(pool.work, cells, 0.0, layers, qbn_pool_work_columns);
}

} // namespace

void qbn_soil_alloc(model_state& s, qbn_soil& p)
{
    std::printf("Allocating memory for QBN Soils...");
    const int n = s.num_cells;
    const int k = s.soil_con_layers;
    p.num_cells = n;
    p.num_layers = k;
    for (row_array<double>& t : p.tables)
        row_array_add_rows(t, n, k);
    row_array_add_rows(p.carbon_table, n, k);
    for (qbn_soil_pool& pool : p.carbon)
        pool_alloc(pool, n, k);
    int_row_array_add_rows_zero(p.carbon_flags, n, k);
    for (qbn_soil_pool& pool : p.nitrogen)
        pool_alloc(pool, n, k);
    int_row_array_add_rows_zero(p.nitrogen_flags, n, k);
    for (qbn_soil_pool& pool : p.phosphorus)
        pool_alloc(pool, n, k);
    int_row_array_add_rows_zero(p.phosphorus_flags, n, k);
    row_array_add_rows(p.phosphorus_table, n, k);
    p.theta = &s.THETA;
    // The pools in title order: organic active and stable carbon; NH4,
    // NO3, organic active, fresh and stable nitrogen; mineral active,
    // solution and stable phosphorus; organic active, fresh and stable
    // phosphorus.
    qbn_soil_pool* const order[qbn_soil_pool_count] = {
        &p.carbon[0],     &p.carbon[1],     &p.nitrogen[0],   &p.nitrogen[1],   &p.nitrogen[3],
        &p.nitrogen[2],   &p.nitrogen[4],   &p.phosphorus[3], &p.phosphorus[5], &p.phosphorus[4],
        &p.phosphorus[1], &p.phosphorus[0], &p.phosphorus[2],
    };
    checked_array_grow(p.pools, qbn_soil_pool_count);
    for (int i = 0; i < qbn_soil_pool_count; ++i)
        p.pools[i + 1] = &order[i]->amount;
    p.owner = s.qbn_object.get();
    p.state = &s;
    checked_array_grow(p.cell_values, n);
    checked_array_grow(p.cell_recs, n);
    std::printf("Done\n");
}
