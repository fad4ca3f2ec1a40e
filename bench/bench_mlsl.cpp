// Timed driver of the MLSL strategy's own work: ranking every sample so
// far, the candidate tests of the reduced sample and the bookkeeping of the
// searches, behind a model call that costs next to nothing (each
// parameter's residual is sin(3x) + x / 2, many minima per parameter). The
// records go to a scratch folder. Prints seconds per iteration and per
// model call.
//
//   torva_bench_mlsl [samples per iteration] [iterations] [parameters] [folder]
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

#include "calibration/global_search.h"
#include "calibration/slm_routines.h"

int main(int argc, char** argv)
{
    const int samples = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int iterations = argc > 2 ? std::atoi(argv[2]) : 5;
    const int npar = argc > 3 ? std::atoi(argv[3]) : 5;
    const std::string folder = argc > 4 ? argv[4] : "/tmp/torva_bench_mlsl";
    std::filesystem::create_directories(folder);
    if (chdir(folder.c_str()) != 0) {
        std::fprintf(stderr, "Cannot enter %s\n", folder.c_str());
        return 1;
    }

    pest_control pc;
    pc.mode = "estimation";
    pc.npar = npar;
    pc.params.assign(npar + 1, pest_param());
    pc.nobs = npar;
    pc.obs.assign(npar + 1, pest_obs());
    for (int i = 1; i <= npar; ++i) {
        pest_param& p = pc.params[i];
        p.name = "x" + std::to_string(i);
        p.transform = "none";
        p.value = 0.5;
        p.lower = -5.0;
        p.upper = 5.0;
        p.group = "g";
        pc.obs[i].name = "o" + std::to_string(i);
        pc.obs[i].weight = 1.0;
        pc.obs[i].group = "obs";
    }
    pc.npargp = 1;
    pc.param_groups = {{}, {"g", "relative", 0.01, 0.0, "always_2", 2.0, "outside_pts"}};
    pc.nobsgp = 1;
    pc.obs_groups = {{}, {"obs", 0.0}};
    pc.lambda = 10.0;
    pc.rlamfac = 2.0;
    pc.phiratsuf = 0.3;
    pc.phiredlam = 0.01;
    pc.numlam = 10;
    pc.noptmax = 20;
    pc.phiredstp = 1e-6;
    pc.nphistp = 3;
    pc.nphinored = 3;
    pc.relparstp = 1e-9;
    pc.nrelpar = 3;
    pc.cyclic_columns = 1;
    pc.critical_distance = 0.01;
    ClassifyParameters(pc);
    SetTieRatios(pc);

    long calls = 0;
    const pest_model_call model = [&calls](pest_control& c, pest_values which, int slot) {
        ++calls;
        for (int i = 1; i <= c.npar; ++i) {
            const pest_param& p = c.params[i];
            const double x = which == pest_values::current      ? p.value
                             : which == pest_values::perturbed1 ? p.perturbed1
                                                                : p.perturbed2;
            c.obs[i].simulated[slot] = std::sin(3.0 * x) + 0.5 * x;
        }
        return 0;
    };
    // The searches are capped so that the sampling and the candidate tests,
    // which grow with the samples, dominate.
    const mlsl_settings s{samples, 0.1, 4.0, 0.01, 'Y', 12345u, iterations, 200, 1000, 1000, 0.0};
    toolbox_names names{"case", "case.rec", "case.sen", "case.mtt", "case.par", "case.rst"};
    std::FILE* out[4] = {std::fopen("case.rec", "w"), std::fopen("case.sen", "w"),
                         std::fopen("case.mtt", "w"), std::fopen("case.par", "w")};
    std::FILE* rec = std::fopen("slm_vbq_mlsl.rec", "w");
    sample_seeds seeds;
    if (!out[0] || !out[1] || !out[2] || !out[3] || !rec || OpenSeedFile(seeds, 'Y', s.seed) != 0)
        return 1;
    char* args[] = {argv[0], const_cast<char*>("-mlsl"), const_cast<char*>("case.pst"), nullptr};
    std::FILE* screen = std::freopen("/dev/null", "w", stdout);
    const auto t0 = std::chrono::steady_clock::now();
    const int rc = MlslSearch(3, args, pc, names, out, s, seeds, rec, model);
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    for (std::FILE* fp : out)
        std::fclose(fp);
    std::fclose(rec);
    if (screen)
        std::fclose(screen);
    // The rules may stop it before the last iteration: the record says when.
    std::ifstream in("slm_vbq_mlsl.rec");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string key = "The number of MLSL iterations is: ";
    const std::size_t at = text.find(key);
    const int done = at == std::string::npos ? iterations : std::atoi(text.c_str() + at + key.size());
    std::fprintf(
        stderr,
        "MLSL: %d samples per iteration, %d iterations, %d parameters: %.3f s, %.3f s per iteration, "
        "%ld model calls, %.1f us per call (result %d)\n",
        samples, done, npar, secs, secs / done, calls, 1e6 * secs / calls, rc);
    return rc;
}
