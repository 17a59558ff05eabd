#pragma once

#include <string_view>

#include "platform/base/status.h"

namespace zuna::sources {
class DataSources;
}

namespace zuna::scripts {

// What a script's GO lines do.
enum class GoLines {
  kSeparateBatches,  // each ends a batch; the batches run in order, the first failing one ending
                     // the run
  kKeepInText,       // none: the text runs as it stands, as one command
};

// Runs a script file of the program folder, in this order: opens the connection (so an
// unreachable server fails before a missing file is noticed), reads the file whole as
// Windows-1252 text, executes it as `go_lines` says, and keeps nothing afterwards. What ran
// before a failure stays done.
Status RunScriptFile(const sources::DataSources& sources, std::string_view connection_string,
                     std::string_view file_name, GoLines go_lines);

}  // namespace zuna::scripts
