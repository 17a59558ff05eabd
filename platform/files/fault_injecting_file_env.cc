#include "platform/files/fault_injecting_file_env.h"

#include <algorithm>
#include <utility>

#include "platform/files/file_system.h"

namespace zuna::files {

namespace fs = std::filesystem;

class FaultyFile final : public WritableFile {
 public:
  FaultyFile(FaultInjectingFileEnv& env, std::unique_ptr<WritableFile> base, fs::path path,
             std::shared_ptr<FaultInjectingFileEnv::Faults> write_faults,
             std::shared_ptr<FaultInjectingFileEnv::Faults> close_faults)
      : env_(env),
        base_(std::move(base)),
        path_(std::move(path)),
        write_faults_(std::move(write_faults)),
        close_faults_(std::move(close_faults)) {}

  ~FaultyFile() override {
    if (!base_) return;
    --env_.open_files_;
    ++env_.unchecked_closes_;
  }

  Status Append(std::string_view bytes) override {
    if (!base_) return Closed();
    if (!failure_.ok()) return failure_;
    if (pending_.size() + bytes.size() > kWriteBufferSize) RETURN_IF_ERROR(HandOver());
    pending_.append(bytes);
    if (pending_.size() > kWriteBufferSize) return HandOver();
    return Status::Ok();
  }

  Status Flush() override {
    if (!base_) return Closed();
    if (!failure_.ok()) return failure_;
    return HandOver();
  }

  Status Close() override {
    if (!base_) return Status::Ok();
    const Status flushed = failure_.ok() ? HandOver() : failure_;
    const Status closed = base_->Close();
    base_.reset();
    --env_.open_files_;
    if (!flushed.ok()) return flushed;
    if (!closed.ok()) return closed;
    if (close_faults_) return ErrnoStatus(close_faults_->close_error, path_);
    return Status::Ok();
  }

 private:
  Status Closed() const {
    return Status(ErrorKind::kIoError, EBADF, path_.string() + ": the file is closed");
  }

  // Passes the pending bytes on, as far as the armed byte limit lets them go.
  Status HandOver() {
    std::string_view bytes = pending_;
    std::size_t refused = 0;
    if (write_faults_) {
      FaultInjectingFileEnv::Faults& faults = *write_faults_;
      const std::uint64_t room =
          faults.write_limit - std::min(faults.write_limit, faults.bytes_written);
      if (bytes.size() > room) {
        refused = bytes.size() - static_cast<std::size_t>(room);
        bytes = bytes.substr(0, static_cast<std::size_t>(room));
      }
      faults.bytes_written += bytes.size();
    }
    Status passed = base_->Append(bytes);
    if (passed.ok()) passed = base_->Flush();
    pending_.clear();
    if (passed.ok() && refused > 0) passed = ErrnoStatus(write_faults_->write_error, path_);
    failure_ = passed;
    return passed;
  }

  FaultInjectingFileEnv& env_;
  std::unique_ptr<WritableFile> base_;
  fs::path path_;
  std::shared_ptr<FaultInjectingFileEnv::Faults> write_faults_;
  std::shared_ptr<FaultInjectingFileEnv::Faults> close_faults_;
  std::string pending_;
  Status failure_;
};

FaultInjectingFileEnv::FaultInjectingFileEnv(FileEnv& base) : base_(base) {}

FaultInjectingFileEnv::~FaultInjectingFileEnv() = default;

FaultInjectingFileEnv::Faults& FaultInjectingFileEnv::FaultsOf(std::string_view file_name) {
  auto found = faults_.find(file_name);
  if (found == faults_.end()) {
    found = faults_.emplace(std::string(file_name), std::make_shared<Faults>()).first;
  }
  return *found->second;
}

void FaultInjectingFileEnv::FailOpen(std::string_view file_name, int error) {
  FaultsOf(file_name).open_error = error;
}

void FaultInjectingFileEnv::FailWritesAfter(std::string_view file_name, std::uint64_t bytes,
                                            int error) {
  Faults& faults = FaultsOf(file_name);
  faults.write_error = error;
  faults.write_limit = bytes;
  faults.bytes_written = 0;
}

void FaultInjectingFileEnv::FailClose(std::string_view file_name, int error) {
  FaultsOf(file_name).close_error = error;
}

std::shared_ptr<FaultInjectingFileEnv::Faults> FaultInjectingFileEnv::Armed(
    const std::string& file_name, int Faults::*error) const {
  for (const std::string& name : {file_name, std::string()}) {
    const auto found = faults_.find(name);
    if (found != faults_.end() && (*found->second).*error != 0) return found->second;
  }
  return nullptr;
}

Result<std::unique_ptr<WritableFile>> FaultInjectingFileEnv::OpenForWriting(const fs::path& path,
                                                                            WriteMode mode) {
  const std::string name = path.filename().string();
  if (const auto faults = Armed(name, &Faults::open_error)) {
    return ErrnoStatus(faults->open_error, path);
  }
  ASSIGN_OR_RETURN(std::unique_ptr<WritableFile> base, base_.OpenForWriting(path, mode));
  ++open_files_;
  ++files_opened_;
  return std::unique_ptr<WritableFile>(
      std::make_unique<FaultyFile>(*this, std::move(base), path, Armed(name, &Faults::write_error),
                                   Armed(name, &Faults::close_error)));
}

}  // namespace zuna::files
