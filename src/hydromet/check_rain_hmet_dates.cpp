// Whether a rain event starts within the hourly hydrometeorological data.
#include <cstdio>

#include "hydromet/rain_services.h"

namespace
{

int refuse(const char* closing)
{
    std::printf("%s", closing);
    return 0;
}

} // namespace

int check_rain_hmet_dates(int fy, int fm, int fd, int fh, int ly, int lm, int ld, int lh, int year, int month,
                          int day, int hour)
{
    const char* dates = "Program terminating.  Check your dates.\n";
    const char* times = "Program terminating.  Check your times and dates.\n";
    if (year < fy) {
        std::printf("\nRaingage Data starts in %ld, hydromet data doesn't start until %ld.\n",
                    static_cast<long>(year), static_cast<long>(fy));
        return refuse(dates);
    }
    if (year > ly) {
        std::printf("\nRaingage Data starts in %ld, hydromet data ends in %ld.\n", static_cast<long>(year),
                    static_cast<long>(ly));
        return refuse(dates);
    }
    if (year == fy) {
        if (month < fm) {
            std::printf("\nRaingage Data starts in month %ld of %ld while hmet data starts in\n",
                        static_cast<long>(month), static_cast<long>(year));
            std::printf("month %ld of %ld\n", static_cast<long>(fm), static_cast<long>(fy));
            return refuse(dates);
        }
        if (month == fm && day < fd) {
            std::printf("\nRaingage data starts on day %ld of month %ld in year %ld\n",
                        static_cast<long>(day), static_cast<long>(month), static_cast<long>(year));
            std::printf("while the hmet data begins on day %ld of month %ld in year %ld\n",
                        static_cast<long>(fd), static_cast<long>(fm), static_cast<long>(fy));
            return refuse(dates);
        }
        if (month == fm && day == fd && hour < fh) {
            std::printf("\nRaingage data starts on hour %ld day %ld month %ld in year %ld\n",
                        static_cast<long>(hour), static_cast<long>(day), static_cast<long>(month),
                        static_cast<long>(year));
            std::printf("while the hmet data begins on hour %ld day %ld of month %ld in year %ld\n",
                        static_cast<long>(fh), static_cast<long>(fd), static_cast<long>(fm),
                        static_cast<long>(fy));
            return refuse(times);
        }
    }
    if (year == ly) {
        if (month > lm) {
            std::printf("\nRaingage Data starts in month %ld of %ld while hmet data ends in\n",
                        static_cast<long>(month), static_cast<long>(year));
            std::printf("month %ld of %ld\n", static_cast<long>(lm), static_cast<long>(ly));
            return refuse(dates);
        }
        if (month == lm && day > ld) {
            std::printf("\nRaingage data starts on day %ld of month %ld in year %ld\n",
                        static_cast<long>(day), static_cast<long>(month), static_cast<long>(year));
            std::printf("while the hmet data ends on day %ld of month %ld in year %ld\n",
                        static_cast<long>(ld), static_cast<long>(lm), static_cast<long>(ly));
            return refuse(dates);
        }
        if (month == lm && day == ld && hour > lh) {
            std::printf("\nRaingage data starts on hour %ld day %ld month %ld in year %ld\n",
                        static_cast<long>(hour), static_cast<long>(day), static_cast<long>(month),
                        static_cast<long>(year));
            std::printf("while the hmet data ends on hour %ld day %ld of month %ld in year %ld\n",
                        static_cast<long>(lh), static_cast<long>(ld), static_cast<long>(lm),
                        static_cast<long>(ly));
            return refuse(times);
        }
    }
    return 1;
}
