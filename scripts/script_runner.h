#pragma once

#include <string_view>

#include "platform/base/status.h"

namespace zuna::sources {
class DataSources;
}

namespace zuna::scripts {

// Runs a script file of the program folder, in this order: opens the connection (so an
// unreachable server fails before a missing file is noticed), reads the file whole as
// Windows-1252 text, executes it, and keeps nothing afterwards. With `separate_batches` the text
// is cut at its GO lines and the batches run in order, the first failing one ending the run;
// without it the text runs as it stands, as one command. What ran before a failure stays done.
Status RunScriptFile(const sources::DataSources& sources, std::string_view connection_string,
                     std::string_view file_name, bool separate_batches);

}  // namespace zuna::scripts
