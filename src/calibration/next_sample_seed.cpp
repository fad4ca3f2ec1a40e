// The sample seeds of the global strategies and their file
// "RandomNumberSeeds.prn", one "%d" seed per line in the order of drawing.
#include <cstdio>
#include <fstream>
#include <string>

#include "calibration/global_search.h"
#include "core/text_parse.h"

namespace
{
const char* const seed_file_name = "RandomNumberSeeds.prn";
}

sample_seeds::~sample_seeds()
{
    if (fp)
        std::fclose(fp);
}

int next_lcg_seed(std::uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return static_cast<int>(static_cast<double>(state) * -0.5);
}

int OpenSeedFile(sample_seeds& s, char choice, std::uint32_t seed)
{
    s.state = seed;
    s.choice = choice;
    s.used = 0;
    s.recorded.clear();
    if (choice == 'Y') {
        s.fp = std::fopen(seed_file_name, "w");
        if (!s.fp) {
            std::printf("Cannot create the seed file %s.\n", seed_file_name);
            return 1;
        }
        return 0;
    }
    if (choice != 'N') {
        std::printf("The seed choice must be Y (write %s) or N (read it).\n", seed_file_name);
        return 1;
    }
    std::ifstream in(seed_file_name);
    if (!in) {
        std::printf("The seed choice is N, but there is no seed file %s to read the seeds from.\n",
                    seed_file_name);
        return 1;
    }
    std::string line;
    for (int no = 1; std::getline(in, line); ++no) {
        std::string_view text(line);
        while (!text.empty() && (text.back() == '\r' || text.back() == ' ' || text.back() == '\t'))
            text.remove_suffix(1);
        if (text.empty())
            continue;
        int v = 0;
        const num_status st = parse_int_strict(text, v);
        if (st != num_status::ok) {
            std::printf("Error in the seed file %s, line %d: the seed \"%s\" %s.\n", seed_file_name, no,
                        line.c_str(), num_status_text(st));
            return 1;
        }
        s.recorded.push_back(v);
    }
    return 0;
}

int CheckSeedsAvailable(const sample_seeds& s, int needed)
{
    if (s.choice != 'N' || int(s.recorded.size()) - s.used >= needed)
        return 0;
    std::printf("The seed file %s holds %zu seeds, fewer than the %d samples to be drawn.\n", seed_file_name,
                s.recorded.size(), s.used + needed);
    return 1;
}

int NextSampleSeed(sample_seeds& s, int& seed)
{
    const int generated = next_lcg_seed(s.state);
    if (s.choice == 'N') {
        if (CheckSeedsAvailable(s, 1) != 0)
            return 1;
        seed = s.recorded[s.used++];
        return 0;
    }
    seed = generated;
    ++s.used;
    if (std::fprintf(s.fp, "%d\n", seed) < 0 || std::fflush(s.fp) != 0) {
        std::printf("Cannot write to the seed file %s.\n", seed_file_name);
        return 1;
    }
    return 0;
}

int StartSampleSeeds(sample_seeds& s, char choice, std::uint32_t seed, int needed)
{
    std::printf("This program will either generate or read seeds associated with\n");
    std::printf("random sampling - the ability to read thus precludes having\n");
    std::printf("to recompute previously computed pre-inversion runs.\n\n");
    return OpenSeedFile(s, choice, seed) != 0 || CheckSeedsAvailable(s, needed) != 0 ? 1 : 0;
}
