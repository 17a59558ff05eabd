#include "import/anomaly_logs.h"

namespace zuna::transfer {

Status LogSlot::Open(const std::filesystem::path& folder, std::string_view name) {
  const Status released = Release();
  name_ = std::string(name);
  auto stream = files::TextFileWriter::Create(folder / name_,
                                              files::TextFileWriter::Encoding::kUnicode, *env_);
  // Each line is handed to the system as it is written: the window keeps the log open, and the
  // operator reads the file meanwhile.
  failure_ = stream.status();
  if (failure_.ok()) failure_ = stream->Flush();
  if (!failure_.ok()) {
    if (stream.ok()) (void)stream->Close();  // the failure is kept; the file is incomplete
    return failure_;
  }
  stream_.emplace(std::move(stream).value());
  return released;
}

Status LogSlot::WriteLine(std::string_view line) {
  if (!stream_) return failure_;
  Status written = stream_->WriteLine(line);
  if (written.ok()) written = stream_->Flush();
  if (!written.ok()) {
    failure_ = written;
    (void)stream_->Close();  // the failure is kept and returned for every later line
    stream_.reset();
  }
  return written;
}

Status LogSlot::Release() {
  Status closed;
  if (stream_) closed = stream_->Close();
  stream_.reset();
  failure_ = Status::Ok();
  return closed;
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

}  // namespace zuna::transfer
