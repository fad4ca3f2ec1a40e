// The user's stop request: a file "pest.stp" in the working folder holding
// 1 (stop), 2 (stop with statistics) or 3 (pause). Anything else is
// deleted and the search goes on.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "calibration/slm_routines.h"
#include "core/text_parse.h"

int ReadStopRequest()
{
    std::FILE* fp = std::fopen("pest.stp", "r");
    if (!fp)
        return 0;
    std::string line, word;
    int request = 999;
    if (read_raw_line(fp, line)) {
        std::string_view rest(line);
        if (pop_int_strict(rest, request) != num_status::ok)
            request = 999;
    }
    std::fclose(fp);
    if (request == 1)
        return 1;
    if (request == 2) {
        std::printf("\n\nThe toolbox does not currently support\n");
        std::printf("ceasing execution with a full parameter statistics printout.\n\n");
        return 2;
    }
    if (request == 3) {
        std::printf("\n\nThe toolbox does not currently support pausing execution.\n\n");
        return 3;
    }
    std::remove("pest.stp");
    return 0;
}

int CheckStopFile()
{
    if (ReadStopRequest() != 0) {
        std::fflush(stdout);
        std::exit(0);
    }
    return 0;
}
