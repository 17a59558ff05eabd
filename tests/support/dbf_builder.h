#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zuna::testkit {

// Writes dBase / FoxPro tables byte by byte, so tests control every header field and can build
// damaged files on purpose.
class DbfBuilder {
 public:
  struct FieldSpec {
    std::string name;
    char type;
    std::uint8_t length;
    std::uint8_t decimals = 0;
    std::uint8_t flags = 0;
  };

  explicit DbfBuilder(std::uint8_t version = 0x03) : version_(version) {}

  DbfBuilder& Field(std::string name, char type, std::uint8_t length, std::uint8_t decimals = 0,
                    std::uint8_t flags = 0);
  DbfBuilder& LanguageDriver(std::uint8_t driver);
  // Adds a record: the raw bytes of every field, in order, each padded with blanks to its width.
  DbfBuilder& Row(const std::vector<std::string>& values, bool deleted = false);
  // Adds a record given as the complete bytes after the deletion flag.
  DbfBuilder& RawRow(std::string bytes, bool deleted = false);
  // Overrides the row count written into the header (default: the rows added).
  DbfBuilder& HeaderRowCount(std::uint32_t count);
  // Overrides the record length written into the header.
  DbfBuilder& RecordLength(std::uint16_t length);
  // The bytes between the descriptors' terminator and the first record (default: the 263-byte
  // backlink of zeros for Visual FoxPro, nothing otherwise).
  DbfBuilder& HeaderExtra(std::string bytes);
  // Overrides the header length written into the header; the bytes stay where they are.
  DbfBuilder& HeaderLength(std::uint16_t length);

  std::string Bytes() const;
  void Write(const std::filesystem::path& path) const;

  std::uint16_t record_length() const;

 private:
  std::uint8_t version_;
  std::uint8_t language_driver_ = 0x03;
  std::vector<FieldSpec> fields_;
  std::vector<std::string> records_;
  int header_row_count_ = -1;
  int record_length_override_ = -1;
  int header_length_override_ = -1;
  std::optional<std::string> header_extra_;
};

// Writes a FoxPro memo file (.fpt) whose blocks hold `memos`, starting at block
// 512 / block_size; returns each memo's block number.
std::vector<std::uint32_t> WriteFptMemo(const std::filesystem::path& path,
                                        const std::vector<std::string>& memos,
                                        std::uint16_t block_size = 64);

// Writes a dBase III memo file (.dbt): 512-byte blocks, each memo ended by 0x1A 0x1A.
std::vector<std::uint32_t> WriteDbt3Memo(const std::filesystem::path& path,
                                         const std::vector<std::string>& memos);

// Little-endian bytes of integers and doubles for binary fields.
std::string Le32(std::int32_t v);
std::string Le64(std::int64_t v);
std::string LeDouble(double v);

// Writes `bytes` to `path`, replacing it.
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);

// Runs `check` in a child process that cannot override file permissions (as user nobody when
// the tests run as root) and returns its exit status; -1 when no such process could be made.
int RunUnprivileged(const std::function<int()>& check);

// Runs `body` in a child process and returns its exit status, or -1 when it has not ended
// within `seconds` (it is then killed): for calls that must not block, such as opening a named
// pipe, so that a fault fails the test instead of hanging it.
int ExitStatusWithin(int seconds, const std::function<int()>& body);

// A fresh, empty folder under the system's temporary folder, removed when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace zuna::testkit
