#include "app/data_transfer_model.h"

#include "platform/sources/data_sources.h"
#include "scripts/schema_commands.h"

namespace zuna::app {

DataTransferModel::DataTransferModel(const sources::DataSources& sources, Operator& op)
    : sources_(sources), operator_(op) {}

void DataTransferModel::CreateDatabase() {
  (void)scripts::RunSchemaCommand(scripts::SchemaCommand::kCreateDatabase, sources_, server_name,
                                  operator_);
}

void DataTransferModel::CreateTable() {
  (void)scripts::RunSchemaCommand(scripts::SchemaCommand::kCreateTable, sources_, server_name,
                                  operator_);
}

void DataTransferModel::Alter() {
  (void)scripts::RunSchemaCommand(scripts::SchemaCommand::kAlter, sources_, server_name, operator_);
}

void DataTransferModel::DeleteDuplicateRecords() {
  (void)scripts::RunSchemaCommand(scripts::SchemaCommand::kDeleteDuplicates, sources_, server_name,
                                  operator_);
}

transfer::ImportSummary DataTransferModel::Import(transfer::ImportObserver* observer,
                                                  const transfer::StopRequest* stop) {
  transfer::SkipLog skips;
  transfer::ImportContext context{sources_,
                                  sources_.DataFolder(),
                                  sources_.program_folder(),
                                  server_name,
                                  operator_,
                                  log_,
                                  skips,
                                  observer,
                                  stop};
  return transfer::RunImport(context, *this);
}

void DataTransferModel::ShowWaitLabel() {
  wait_label_visible_ = true;
  Changed();
}

void DataTransferModel::HideWaitLabel() {
  wait_label_visible_ = false;
  Changed();
}

void DataTransferModel::DisableImport() {
  import_enabled_ = false;
  Changed();
}

void DataTransferModel::EnableReport() {
  report_enabled_ = true;
  Changed();
}

}  // namespace zuna::app
