#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/status.h"
#include "platform/files/file_env.h"

namespace zuna::cli {

// Builds one JSON document for the commands' --summary files: objects, arrays, strings, whole
// numbers and logicals, with the commas put in by the writer. Strings are UTF-8 and escaped as
// JSON requires (quotes, backslashes, control characters).
//
//   JsonWriter json;
//   json.BeginObject().Key("table").String("personnel").Key("rows").Number(12).EndObject();
class JsonWriter {
 public:
  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  // The name of the next member of the current object.
  JsonWriter& Key(std::string_view name);
  JsonWriter& String(std::string_view value);
  JsonWriter& Number(std::uint64_t value);
  JsonWriter& Bool(bool value);

  // The document, ended by a line feed once the outermost value is closed.
  std::string text() const { return text_ + "\n"; }

 private:
  void BeforeValue();
  void AppendString(std::string_view value);

  std::string text_;
  std::vector<bool> first_;  // per open object or array: no member written yet
  bool after_key_ = false;
};

// Writes `text` to `path`, replacing the file; Ok only when every byte reached it.
Status WriteJsonFile(const std::filesystem::path& path, std::string_view text,
                     files::FileEnv& env = files::FileEnv::Default());

}  // namespace zuna::cli
