#include "tests/support/program_folder.h"

#include "core/connection_texts.h"
#include "scripts/schema_commands.h"
#include "tests/support/unicode_lines.h"

namespace zuna::testkit {

namespace fs = std::filesystem;

ProgramFolder::ProgramFolder(const fs::path& sql_dir, const std::string& ini) {
  for (const auto& script : fs::directory_iterator(sql_dir)) {
    if (!script.is_regular_file()) continue;  // postgresql/, mariadb/: other servers' scripts
    fs::copy_file(script.path(), folder_ / script.path().filename().string());
  }
  fs::create_directory(data());
  set_ini(ini);
}

void ProgramFolder::set_ini(const std::string& ini) {
  sources_ = std::make_unique<sources::DataSources>(folder_.path(), config::IniFile::Parse(ini),
                                                    std::vector<std::string>{});
}

void ProgramFolder::UseFileEnv(files::FileEnv& env) {
  log_ = files::LogSlot(env);
  skips_ = transfer::SkipLog(env);
}

void ProgramFolder::CreateDatabase() {
  RecordingOperator setup;
  (void)scripts::RunSchemaCommand(scripts::SchemaCommand::kCreateDatabase, *sources_, "", setup);
  (void)scripts::RunSchemaCommand(scripts::SchemaCommand::kCreateTable, *sources_, "", setup);
}

transfer::ImportSummary ProgramFolder::Import(RecordingOperator& op, RecordingWindow* recording,
                                              const std::string& server,
                                              transfer::ImportObserver* observer,
                                              const transfer::StopRequest* stop) {
  op.messages.clear();
  RecordingWindow own;
  RecordingWindow& window = recording ? *recording : own;
  transfer::ImportContext context{
      *sources_, sources_->DataFolder(), folder_.path(), server, op, log_, skips_, observer, stop};
  transfer::ImportSummary summary = transfer::RunImport(context, window);
  (void)log_.Release();  // as when the window goes away: the open log is closed
  return summary;
}

Lines ProgramFolder::Rows(const std::string& query) {
  Lines rows;
  auto rs = sources_->OpenRecordset(query, core::kPayConnection);
  if (!rs.ok()) return {rs.status().ToString()};
  for (; !(*rs)->Eof(); (void)(*rs)->MoveNext()) {
    std::string line;
    for (int i = 0; i < (*rs)->FieldCount(); ++i) {
      const Value* v = *(*rs)->Field(i);
      line += (i ? "|" : "") + (v->is_null() ? std::string("<null>") : v->ToText());
    }
    rows.push_back(line);
  }
  return rows;
}

Lines ProgramFolder::LogLines(const std::string& name) const {
  return UnicodeLines(folder_ / name);
}

}  // namespace zuna::testkit
