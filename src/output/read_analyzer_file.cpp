#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "output/analyzer.h"

// TODO: analyzer file reader and the analyzers it describes.
void read_analyzer_file(model_state& /*state*/, const std::string& /*path*/)
{
    // An empty reader never passes for one that read its file.
    std::printf("Analyzers are not available yet.\n");
    error_set(err_stop);
}
