#pragma once

#include <memory>
#include <mutex>

#include "platform/files/file_env.h"

namespace zuna::verify {

// A FileEnv whose every call, and every call on the files it opens, runs under one lock: the two
// sides of a comparison spill their runs from two threads, and a file seam (a test's
// FaultInjectingFileEnv) counts and fails its writes without a lock of its own.
class LockedFileEnv final : public files::FileEnv {
 public:
  explicit LockedFileEnv(files::FileEnv& inner) : inner_(inner) {}

  Result<std::unique_ptr<files::WritableFile>> OpenForWriting(const std::filesystem::path& path,
                                                              files::WriteMode mode) override {
    std::lock_guard lock(mutex_);
    ASSIGN_OR_RETURN(auto file, inner_.OpenForWriting(path, mode));
    return std::unique_ptr<files::WritableFile>(std::make_unique<File>(std::move(file), mutex_));
  }

 private:
  class File final : public files::WritableFile {
   public:
    File(std::unique_ptr<files::WritableFile> inner, std::mutex& mutex)
        : inner_(std::move(inner)), mutex_(mutex) {}
    ~File() override {
      std::lock_guard lock(mutex_);
      inner_.reset();
    }
    Status Append(std::string_view bytes) override {
      std::lock_guard lock(mutex_);
      return inner_->Append(bytes);
    }
    Status Flush() override {
      std::lock_guard lock(mutex_);
      return inner_->Flush();
    }
    Status Close() override {
      std::lock_guard lock(mutex_);
      return inner_->Close();
    }

   private:
    std::unique_ptr<files::WritableFile> inner_;
    std::mutex& mutex_;
  };

  files::FileEnv& inner_;
  std::mutex mutex_;
};

}  // namespace zuna::verify
