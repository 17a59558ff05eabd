#include "scripts/schema_commands.h"

#include <string>

#include "core/connection_texts.h"
#include "platform/operator/operator.h"
#include "platform/sources/data_sources.h"
#include "platform/text/ascii.h"
#include "scripts/script_runner.h"

namespace zuna::scripts {
namespace {

enum class ServerName { kTrimmed, kAsTyped, kFixed };

struct Message {
  std::string_view text;
  MessageIcon icon = MessageIcon::kNone;
  MessageTitle title = MessageTitle::kDefault;
};

struct CommandEntry {
  SchemaCommand command;
  ServerName server;
  std::string_view prefix;
  std::string_view script;
  GoLines go_lines;
  Message messages[2];
};

constexpr CommandEntry kCommands[] = {
    {SchemaCommand::kCreateDatabase,
     ServerName::kTrimmed,
     core::kMasterPrefix,
     "CreateDatabaseScript.sql",
     GoLines::kSeparateBatches,
     {{"Database Created"}, {}}},
    {SchemaCommand::kCreateTable,
     ServerName::kTrimmed,
     core::kDatabasePrefix,
     "CreateTableScript.sql",
     GoLines::kSeparateBatches,
     {{"Table Created"}, {}}},
    {SchemaCommand::kAlter,
     ServerName::kAsTyped,
     core::kDatabasePrefix,
     "ALTER.sql",
     GoLines::kKeepInText,
     {{"Table Altered"},
      {"Create DSN 'pay' for SQL Server,Otherwise error occure!!!", MessageIcon::kInformation,
       MessageTitle::kZuna}}},
    {SchemaCommand::kDeleteDuplicates,
     ServerName::kFixed,
     core::kFixedServerPrefix,
     "DELETE.sql",
     GoLines::kKeepInText,
     {{"Duplicate Record Deleted"}, {}}},
};

}  // namespace

Status RunSchemaCommand(SchemaCommand command, const sources::DataSources& sources,
                        std::string_view server_name, Operator& op) {
  for (const CommandEntry& entry : kCommands) {
    if (entry.command != command) continue;
    std::string connection(entry.prefix);
    switch (entry.server) {
      case ServerName::kTrimmed:
        connection += text::Trim(server_name);
        break;
      case ServerName::kAsTyped:
        connection += server_name;
        break;
      case ServerName::kFixed:
        connection += sources.FixedServerName();
        break;
    }
    const Status status = RunScriptFile(sources, connection, entry.script, entry.go_lines);
    if (!status.ok()) {
      op.ShowError(status);
      return status;
    }
    for (const Message& message : entry.messages) {
      if (!message.text.empty()) op.ShowMessage(message.text, message.icon, message.title);
    }
    return Status::Ok();
  }
  return Status(ErrorKind::kInvalidArgument, 5, "Invalid procedure call or argument");
}

}  // namespace zuna::scripts
