#pragma once

#include <filesystem>

#include "platform/base/status.h"

namespace zuna {
namespace sources {
class DataSources;
}
namespace files {
class LogSlot;
}
}  // namespace zuna

namespace zuna::scripts {

// Writes "fields" in the program folder (Unicode, replacing an earlier file): for every SQL
// Server table, in name order, whose FoxPro file exists, the target columns the FoxPro table
// lacks (names compared without case and surrounding blanks), each as name-type(length), in a
// block of four lines: the table name, 16 hyphens, the entries, 12 equals signs. The file goes
// into the main window's log slot and stays open there. The first failing step ends the listing
// and is returned; what was written before stays.
Status WriteFieldListing(const sources::DataSources& sources, files::LogSlot& slot);

}  // namespace zuna::scripts
