#pragma once

#include <string_view>

#include "platform/base/status.h"

namespace zuna {
class Operator;
namespace sources {
class DataSources;
}
}  // namespace zuna

namespace zuna::scripts {

// The four commands that prepare or clean the database from a script beside the program.
enum class SchemaCommand { kCreateDatabase, kCreateTable, kAlter, kDeleteDuplicates };

// Runs `command` with the server name as the operator typed it: builds the command's connection
// string (trimming the name where the command does), runs its script, and shows its messages.
// A failure stops the command and is shown by its number and description; it is also returned.
Status RunSchemaCommand(SchemaCommand command, const sources::DataSources& sources,
                        std::string_view server_name, Operator& op);

}  // namespace zuna::scripts
