#pragma once

#include <string>

#include "import/anomaly_logs.h"

namespace zuna::transfer {

// What the main window keeps for the import and the column listing: the two select texts put
// there just before each open (they keep the last texts between tables and passes) and the log
// slot.
struct ImportState {
  std::string target_select;
  std::string source_select;
  LogSlot log;
};

}  // namespace zuna::transfer
