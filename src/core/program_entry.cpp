#include "core/program_entry.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "calibration/calibration_modes.h"
#include "core/file_rec.h"
#include "core/platform.h"
#include "core/proc_group.h"
#include "core/run_simulation.h"
#include "core/text_parse.h"

bool web_mode = false;

namespace {

bool begins_with(const char* s, const char* prefix)
{
    return std::strncmp(s, prefix, std::strlen(prefix)) == 0;
}

// Run count from the text after a two-letter switch: 1 when there is none,
// else a whole number of at least 1; -1 (after a message naming the switch)
// when the text is anything else.
constexpr int min_run_count = 1;

int count_after_switch(const char* arg)
{
    if (std::strlen(arg) <= 2) return 1;
    int n = 0;
    const num_status st = parse_int_strict(arg + 2, n);
    if (st == num_status::ok && n >= min_run_count) return n;
    if (st == num_status::ok || st == num_status::out_of_range)
        std::printf("Error: the run count of the switch %s is out of range; give a whole number from %d "
                    "to %d.\n",
                    arg, min_run_count, INT_MAX);
    else
        std::printf("Error: the run count of the switch %s %s.\n", arg, num_status_text(st));
    return -1;
}

// The name the program was invoked under, without its folders.
std::string invocation_name(const char* arg0)
{
    if (!arg0) return std::string();
    const char* slash = std::strrchr(arg0, '/');
    return slash ? slash + 1 : arg0;
}

// A whole decimal number and nothing else.
bool parse_whole_number(const std::string& text, long& value)
{
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0') return false;
    value = v;
    return true;
}

void start_web_page()
{
    web_mode = true;
    std::printf("%s%c%c\n", "Content-Type:text/text;charset=iso-8859-1", 13, 10);
    std::printf("<title>TORVA Test Case</title><body><P> Web version of TORVA (%2.1lf%c) with SCE "
                "starting...</P><P>",
                program_version, program_release);
    std::string length_text;
    long length = -1;
    if (platform_getenv("CONTENT_LENGTH", length_text) && parse_whole_number(length_text, length) &&
        length >= 0 && length <= 1024) {
        std::vector<char> body(static_cast<size_t>(length) + 1, '\0');
        if (length > 0 && std::fgets(body.data(), static_cast<int>(length) + 1, platform_request_stream()))
            std::fputs(body.data(), stdout);
    } else {
        std::printf("<P>Error in invocation - wrong FORM probably.");
    }
}

} // namespace

void print_usage()
{
    std::fputs(
        "\nUsage: torva [-option] [inputfile]\n\n where -option is one of:\n"
        "      -c = SCE calibration mode (input file is the calibration control file)\n"
        "      -m = Monte Carlo calibration mode (input file is the calibration control file)\n"
        "      -b = batch mode (input file is the batch control file)\n"
        "      -s = sensitivity mode (input file is the sensitivity control file)\n"
        "      -v = display version information (no project will be run)\n"
        "  The c, m, b, and v commands are optional and if not present the input file is\n"
        " treated as the project file\n\n"
        "  For the -b option, the command line should be:\n"
        "      torva -b[num_batch] torva_inputfile\n\n"
        "  For the -c option, the command line should be:\n"
        "      torva -c sce_inputfile\n\n"
        "  For the -m option, the command line should be:\n"
        "      torva -m[num_batch] mc_inputfile\n\n"
        "  For the -s option, the command line should be:\n"
        "      torva -s sen_inputfile\n\n"
        "  For the -t option (and -tv), the command line should be:\n"
        "      torva -t[v]\n\n"
        "  where [num_batch] is the number of batch runs to make, sce_inputfile is the SCE input file, "
        "mc_intputfile is\n"
        "  the Monte Carlo input file, and sen_inputfile is the sensitivity input file.\n\n",
        stdout);
}

void print_version()
{
    std::printf("\n    -- TORVA version %4.2lf%c --\n \n", program_version, program_release);
    std::fputs("    A gridded, physically based, distributed watershed model.\n", stdout);
    std::fputs("    Contact: the TORVA developers.\n", stdout);
    std::fputs("Intended for use with VKS Version 9.0 or higher", stdout);
    std::fputs("\n \n", stdout);
}

int parse_command_line(int argc, char** argv, command_line& cmd)
{
    cmd.mode = mode_none;
    cmd.file.clear();
    if (argc < 2) {
        print_usage();
        return -1;
    }
    if (argc == 2) {
        cmd.mode = mode_single;
        cmd.file = argv[1];
        return 1;
    }
    const char* sw = argv[1];
    if (begins_with(sw, "-s"))
        cmd.mode = mode_slm;
    else if (std::strcmp(sw, "-ms") == 0)
        cmd.mode = mode_multistart;
    else if (begins_with(sw, "-t"))
        cmd.mode = mode_trajrep;
    else if (begins_with(sw, "-mls"))
        cmd.mode = mode_mlsl;
    else if (begins_with(sw, "-c"))
        cmd.mode = mode_sce;
    else if (begins_with(sw, "-b"))
        cmd.mode = mode_batch;
    else if (begins_with(sw, "-m"))
        cmd.mode = mode_monte_carlo;
    else if (begins_with(sw, "-h"))
        cmd.mode = mode_help;
    else if (begins_with(sw, "-v"))
        cmd.mode = mode_version;
    else {
        // An unknown switch is a mistake, not a request for help: the usage
        // text, and the program fails.
        print_usage();
        return -2;
    }
    int count = 1;
    if (cmd.mode == mode_batch || cmd.mode == mode_monte_carlo) {
        count = count_after_switch(sw);
        if (count < 0) return -2;
    }
    if (cmd.mode != mode_version) cmd.file = argv[2];
    return count;
}

int torva_main(int argc, char** argv)
{
    if (invocation_name(argc > 0 ? argv[0] : nullptr).find("web") != std::string::npos) {
        start_web_page();
    } else {
        std::printf("Parallel version of TORVA (%2.1lf%c) with SCE (OpenMP), %d total threads.\n",
                    program_version, program_release, group_ctx.num_threads);
        std::fflush(stdout);
    }

    // Exit status: 1 when a run or mode stopped on an error (in a batch, when
    // any of its runs did), 0 otherwise.
    int status = 0;
    command_line cmd;
    const int count = parse_command_line(argc, argv, cmd);
    if (count == -2) status = 1;
    if (count >= 0) {
        switch (cmd.mode) {
        case mode_single:
            group_ctx.proc_number = 0;
            group_ctx.group_size = 1;
            status = run_simulation(cmd.file, nullptr, argv[1]);
            break;
        case mode_sce:
            group_ctx.proc_number = 0;
            group_ctx.group_size = 1;
            status = run_sce_calibration(group_ctx, cmd.file);
            break;
        case mode_batch:
            group_ctx.proc_number = 0;
            group_ctx.group_size = 1;
            std::printf("TORVA is running in batch mode, and is running %d runs...\n", count);
            for (int i = 0; i < count; ++i) {
                replace_line_index = i;
                run_number_prefix = 1;
                run_number = i;
                if (run_simulation(cmd.file, nullptr, argv[1]) != 0) status = 1;
            }
            break;
        case mode_version:
            print_version();
            break;
        case mode_help:
            break;
        case mode_monte_carlo:
            group_ctx.proc_number = 0;
            group_ctx.group_size = 1;
            status = run_monte_carlo(group_ctx, count, cmd.file);
            break;
        case mode_slm:
            status = slm_main(argc, argv);
            break;
        case mode_multistart:
            status = multistart_calibrate(argc, argv);
            break;
        case mode_trajrep:
            status = trajrep_calibrate(argc, argv);
            break;
        case mode_mlsl:
            status = mlsl_calibrate(argc, argv);
            break;
        default:
            break;
        }
    }
    if (web_mode) std::printf("</P></body>\n");
    return status;
}
