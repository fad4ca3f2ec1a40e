// Julian dates counted from noon (2000-01-01 12:00 is 2451545.0), Gregorian
// calendar.
#pragma once

double julian_date(int year, int month, int day, int hour, int minute, double seconds);

// The 0.01 s added before the conversion stays in the returned seconds.
void calendar_from_julian(double jd, int& year, int& month, int& day, int& hour, int& minute,
                          double& seconds);
