// The snow model of long-term runs: snow parameters and elevation bands,
// accumulation and melt, the melt packets that hold melt water before it
// reaches the surface, and the melt-wave snowpack.
#pragma once

#include "core/arrays.h"

struct model_state;

// Melt packets: Melt_Waves[cell][packet][value], packets 1..K (1 the
// oldest), values 1 drawn, 2 amount put in, 3 capacity (the reference of a
// draw). The water left in a packet is amount - drawn (m).
enum melt_packet_value { packet_drawn = 1, packet_amount = 2, packet_capacity = 3 };

// The hour's melt of a cell with six packets: the oldest packet's water left
// goes onto the overland depth, the packets move down one place and packet
// K takes the melt. Returns the water of the moved packets plus the melt.
double add_melt_packet(int cell, dvec& ov_depth, dcube& packets, double melt, int k);

// Takes fraction x capacity from packet k of the cell, at most the water
// left (the packet is then emptied); a take at or below 1e-16 takes nothing.
double draw_melt_packet(int cell, int k, dcube& packets, double fraction);

// Water left in the packets of every cell 1..n (mode "ALL") or of the given
// cell ("ONE"); any other mode gives 0. Packets with less than 1e-6 left
// are emptied after their water is counted.
double sum_melt_packets(int cell, int n, dcube& packets, int k, const char* mode);

// Water held as snow outside the channel lakes plus the melt packets of all
// cells, m3 (the event balances' snow storage).
double snow_water_volume(model_state& s);

// Days from 21 March to day 0 of the month (the day count is day + offset).
// A month outside 1..12 prints a message and stops the run (code 4000,
// reported); the result is then 0.
int march_day_offset(int month, int day);

// Liquid-water and heat-deficit balance of one cell's pack for an hour:
// water input w_in (mm) against the deficit and the holding capacity wqx
// (mm); outflow (mm) is what leaves the pack.
void snow_water_balance(int cell, double w_in, double& work, dvec& liquid, double wqx, double& prev_deficit,
                        dvec& deficit, const dvec& plwhc, double& outflow, dvec& ice);

// Input hub: the snowfall threshold and every cell's snow parameters from
// defaults, cards and the elevation-band file; failures stop the run (4000).
void read_snow_bands(model_state& s);
void alloc_snow_cell_array(model_state& s);

// One snow call over t seconds (hourly_call 1 from the hourly step) with
// each cell's rain intensity (mm/h, net of interception). Returns 1 while
// some cell holds snow or packet water; eb_melt is set to 1 when
// energy-balance melt reached the ground.
int snow_melt_step(model_state& s, double t, int hourly_call, const dvec& rain, int& eb_melt);

// Steps 10 to 12 of the hourly step: the hourly snow call over t_snow
// seconds, the surface restart on energy-balance melt, the idle snow state.
void hourly_snow_step(model_state& s, double t_snow);

// The melt-wave snowpack of one cell over one hour (SNAP_RETENTION).
// p: the hour's rain or snow (cm), temp (deg C), wind (m/s).
void melt_wave_snowpack(model_state& s, int cell, double p, double temp, double wind);
