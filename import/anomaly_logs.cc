#include "import/anomaly_logs.h"

namespace zuna::import {

Status LogSlot::Open(const std::filesystem::path& folder, std::string_view name) {
  Release();
  name_ = std::string(name);
  auto stream = files::TextFileWriter::Create(folder / name_,
                                              files::TextFileWriter::Encoding::kUnicode, *env_);
  if (!stream.ok()) return stream.status();
  // Each line is handed to the system as it is written: the window keeps the log open, and the
  // operator reads the file meanwhile.
  if (Status flushed = stream->Flush(); !flushed.ok()) return flushed;
  stream_.emplace(std::move(stream).value());
  return Status::Ok();
}

Status LogSlot::WriteLine(std::string_view line) {
  if (!stream_) return Status::Ok();
  RETURN_IF_ERROR(stream_->WriteLine(line));
  return stream_->Flush();
}

void LogSlot::Release() {
  if (stream_) (void)stream_->Close();
  stream_.reset();
}

std::string PersonnelLogLine(std::string_view emp_code, std::string_view id_no,
                             std::string_view field, std::string_view value) {
  std::string line;
  line.reserve(emp_code.size() + id_no.size() + field.size() + value.size() + 8);
  line.append(emp_code).append("(").append(id_no).append(")(").append(field).append(" -");
  line.append(value).append(")");
  return line;
}

std::string PaybillLogLine(std::string_view pay_mon, std::string_view pay_year,
                           std::string_view dept_code, std::string_view estb_code,
                           std::string_view field, std::string_view value) {
  std::string line;
  line.append(pay_mon).append(",").append(pay_year).append(",dept_code & estb_code (");
  line.append(dept_code).append(",").append(estb_code).append(")(").append(field).append(" -");
  line.append(value).append(")");
  return line;
}

}  // namespace zuna::import
