#include "core/model_state.h"
#include "output/analyzer.h"

// TODO: analyzer file reader and the analyzers it describes.
void read_analyzer_file(model_state& /*state*/, const std::string& /*path*/)
{
}
