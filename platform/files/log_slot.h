#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/status.h"
#include "platform/files/file_env.h"
#include "platform/files/file_system.h"

namespace zuna::files {

// One slot for an open log, its file name and its stream: the main window keeps one, which the
// anomaly logs and the column listing use in turn. Putting a new stream
// into it closes the one that was there; the last one stays open until the slot is released or
// goes away. Each line is handed to the system as it is written, so the file on disk holds every
// line while the log stays open, and a killed program loses none.
//
// A log that could not be created or written is broken for good: nothing more is written to it
// (no line goes in after a hole), and every later line is refused with the first failure, so the
// caller can account for each line the log lacks.
class LogSlot {
 public:
  explicit LogSlot(FileEnv& env = FileEnv::Default()) : env_(&env) {}

  // Creates `name` in `folder` as a new Unicode file and puts it into the slot, after closing the
  // stream held there before. Returns the failure to create the new file, else the failure to
  // close the old one (the new log is open then), else Ok.
  Status Open(const std::filesystem::path& folder, std::string_view name);
  // Writes a line to the open log. Without a log (none opened yet) the line is dropped; after a
  // failure of the log it is refused with that failure.
  Status WriteLine(std::string_view line);
  // Closes the log held in the slot and empties it. Ok when there was none or when every line
  // written since the last failure reported reached the file.
  Status Release();

  const std::string& name() const { return name_; }
  bool has_stream() const { return stream_.has_value(); }

 private:
  FileEnv* env_;
  std::string name_;
  std::optional<TextFileWriter> stream_;
  Status failure_;
};

}  // namespace zuna::files
