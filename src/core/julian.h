// Julian dates counted from noon (2000-01-01 12:00 is 2451545.0), Gregorian
// calendar, and the lookup of a cell number from a grid location.
#pragma once

#include "core/arrays.h"

double julian_date(int year, int month, int day, int hour, int minute, double seconds);

// The 0.01 s added before the conversion stays in the returned seconds.
void calendar_from_julian(double jd, int& year, int& month, int& day, int& hour, int& minute,
                          double& seconds);

// Gregorian rule: every fourth year, except centuries not divisible by 400.
bool gregorian_leap_year(int year);

// A day of the Gregorian calendar, years 1 to 9999.
bool calendar_date_ok(int year, int month, int day);

// Hour 0 to 23, minute 0 to 59.
bool time_of_day_ok(int hour, int minute);

// Walks the mask rows 1..rows and columns 1..cols in row-major order,
// counting the active (non-zero) cells; when the location k of the two
// parallel lists is an active cell, its count goes to numbers[k] and the
// location is printed. Otherwise numbers[k] is left unchanged.
void find_gnum_location(const imat& mask, int rows, int cols, const ivec& row_list,
                        const ivec& col_list, ivec& numbers, int k);
