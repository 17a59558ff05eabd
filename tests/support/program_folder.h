#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "import/import_run.h"
#include "platform/sources/data_sources.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/recording_operator.h"

namespace zuna::testkit {

using Lines = std::vector<std::string>;

// Records the import's effects on the main window.
class RecordingWindow : public transfer::ImportWindow {
 public:
  void ShowWaitLabel() override { calls.push_back("show label"); }
  void HideWaitLabel() override { calls.push_back("hide label"); }
  void DisableImport() override { calls.push_back("disable import"); }
  void EnableReport() override { calls.push_back("enable report"); }
  Lines calls;
};

// A program folder with the delivered scripts (from `sql_dir`), an empty data folder "zuna",
// and, once CreateDatabase() has run, the database with all its tables.
class ProgramFolder {
 public:
  explicit ProgramFolder(const std::filesystem::path& sql_dir, const std::string& ini = "");

  const std::filesystem::path& path() const { return folder_.path(); }
  std::filesystem::path data() const { return folder_ / "zuna"; }
  sources::DataSources& sources() { return *sources_; }
  void set_ini(const std::string& ini);
  // The logs of later imports are written through `env` (a FaultInjectingFileEnv), which must
  // outlive this folder's imports.
  void UseFileEnv(files::FileEnv& env);

  // Create Database and Create Table, as the operator would run them.
  void CreateDatabase();

  // One import run, as the main window's button runs it; the log slot is released after it.
  // The command line's observer and stop request may be given too.
  transfer::ImportSummary Import(RecordingOperator& op, RecordingWindow* window = nullptr,
                                 const std::string& server = "",
                                 transfer::ImportObserver* observer = nullptr,
                                 const transfer::StopRequest* stop = nullptr);

  // The rows of a query on "dsn=pay", each as "v1|v2", nulls as <null>.
  Lines Rows(const std::string& query);

  // A Unicode log of the program folder, decoded into lines.
  Lines LogLines(const std::string& name) const;

 private:
  TempFolder folder_;
  std::unique_ptr<sources::DataSources> sources_;
  files::LogSlot log_;
  transfer::SkipLog skips_;
};

}  // namespace zuna::testkit
