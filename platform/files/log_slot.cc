#include "platform/files/log_slot.h"

namespace zuna::files {

Status LogSlot::Open(const std::filesystem::path& folder, std::string_view name) {
  const Status released = Release();
  name_ = std::string(name);
  auto stream = TextFileWriter::Create(folder / name_, TextFileWriter::Encoding::kUnicode, *env_);
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

}  // namespace zuna::files
