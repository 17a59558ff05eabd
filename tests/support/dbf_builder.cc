#include "tests/support/dbf_builder.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace zuna::testkit {

namespace fs = std::filesystem;

DbfBuilder& DbfBuilder::Field(std::string name, char type, std::uint8_t length,
                              std::uint8_t decimals, std::uint8_t flags) {
  fields_.push_back({std::move(name), type, length, decimals, flags});
  return *this;
}

DbfBuilder& DbfBuilder::LanguageDriver(std::uint8_t driver) {
  language_driver_ = driver;
  return *this;
}

std::uint16_t DbfBuilder::record_length() const {
  if (record_length_override_ >= 0) return static_cast<std::uint16_t>(record_length_override_);
  std::uint16_t length = 1;
  for (const auto& f : fields_) length = static_cast<std::uint16_t>(length + f.length);
  return length;
}

DbfBuilder& DbfBuilder::Row(const std::vector<std::string>& values, bool deleted) {
  std::string bytes;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    std::string v = i < values.size() ? values[i] : std::string();
    v.resize(fields_[i].length, ' ');
    bytes += v;
  }
  return RawRow(std::move(bytes), deleted);
}

DbfBuilder& DbfBuilder::RawRow(std::string bytes, bool deleted) {
  records_.push_back(std::string(1, deleted ? '*' : ' ') + bytes);
  return *this;
}

DbfBuilder& DbfBuilder::HeaderRowCount(std::uint32_t count) {
  header_row_count_ = static_cast<int>(count);
  return *this;
}

DbfBuilder& DbfBuilder::RecordLength(std::uint16_t length) {
  record_length_override_ = length;
  return *this;
}

DbfBuilder& DbfBuilder::HeaderExtra(std::string bytes) {
  header_extra_ = std::move(bytes);
  return *this;
}

DbfBuilder& DbfBuilder::HeaderLength(std::uint16_t length) {
  header_length_override_ = length;
  return *this;
}

std::string DbfBuilder::Bytes() const {
  const bool visual_foxpro = version_ == 0x30 || version_ == 0x31 || version_ == 0x32;
  const std::string extra = header_extra_.value_or(std::string(visual_foxpro ? 263 : 0, '\0'));
  const std::size_t header_length = 32 + 32 * fields_.size() + 1 + extra.size();
  std::string out(header_length, '\0');
  out[0] = static_cast<char>(version_);
  out[1] = 126;
  out[2] = 1;
  out[3] = 1;
  const std::uint32_t count = header_row_count_ >= 0 ? static_cast<std::uint32_t>(header_row_count_)
                                                     : static_cast<std::uint32_t>(records_.size());
  std::memcpy(&out[4], &count, 4);
  const auto header16 = header_length_override_ >= 0
                            ? static_cast<std::uint16_t>(header_length_override_)
                            : static_cast<std::uint16_t>(header_length);
  std::memcpy(&out[8], &header16, 2);
  const std::uint16_t record = record_length();
  std::memcpy(&out[10], &record, 2);
  out[29] = static_cast<char>(language_driver_);
  std::uint32_t offset = 1;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    char* d = &out[32 + 32 * i];
    std::memcpy(d, fields_[i].name.data(), std::min<std::size_t>(fields_[i].name.size(), 10));
    d[11] = fields_[i].type;
    std::memcpy(d + 12, &offset, 4);
    d[16] = static_cast<char>(fields_[i].length);
    d[17] = static_cast<char>(fields_[i].decimals);
    d[18] = static_cast<char>(fields_[i].flags);
    offset += fields_[i].length;
  }
  out[32 + 32 * fields_.size()] = 0x0D;
  out.replace(32 + 32 * fields_.size() + 1, extra.size(), extra);
  for (const auto& r : records_) out += r;
  out += '\x1A';
  return out;
}

void DbfBuilder::Write(const fs::path& path) const { WriteFile(path, Bytes()); }

std::vector<std::uint32_t> WriteFptMemo(const fs::path& path, const std::vector<std::string>& memos,
                                        std::uint16_t block_size) {
  std::string out(512, '\0');
  out[6] = static_cast<char>(block_size >> 8);
  out[7] = static_cast<char>(block_size & 0xFF);
  std::vector<std::uint32_t> blocks;
  const std::size_t unit = block_size == 0 ? 1 : block_size;
  for (const auto& memo : memos) {
    while (out.size() % unit != 0) out.push_back('\0');
    blocks.push_back(static_cast<std::uint32_t>(out.size() / unit));
    const std::uint32_t type = 1;
    const auto length = static_cast<std::uint32_t>(memo.size());
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(type >> shift));
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(length >> shift));
    out += memo;
  }
  while (out.size() % unit != 0) out.push_back('\0');
  const auto next = static_cast<std::uint32_t>(out.size() / unit);
  for (int i = 0; i < 4; ++i)
    out[static_cast<std::size_t>(i)] = static_cast<char>(next >> (24 - 8 * i));
  WriteFile(path, out);
  return blocks;
}

std::vector<std::uint32_t> WriteDbt3Memo(const fs::path& path,
                                         const std::vector<std::string>& memos) {
  std::string out(512, '\0');
  std::vector<std::uint32_t> blocks;
  for (const auto& memo : memos) {
    blocks.push_back(static_cast<std::uint32_t>(out.size() / 512));
    out += memo;
    out += "\x1A\x1A";
    while (out.size() % 512 != 0) out.push_back('\0');
  }
  const auto next = static_cast<std::uint32_t>(out.size() / 512);
  std::memcpy(&out[0], &next, 4);
  WriteFile(path, out);
  return blocks;
}

std::string Le32(std::int32_t v) {
  std::string s(4, '\0');
  std::memcpy(s.data(), &v, 4);
  return s;
}
std::string Le64(std::int64_t v) {
  std::string s(8, '\0');
  std::memcpy(s.data(), &v, 8);
  return s;
}
std::string LeDouble(double v) {
  std::string s(8, '\0');
  std::memcpy(s.data(), &v, 8);
  return s;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

int RunUnprivileged(const std::function<int()>& check) {
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    constexpr uid_t kNobody = 65534;
    if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) ::_exit(126);
    ::_exit(check());
  }
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

int ExitStatusWithin(int seconds, const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid < 0) return -2;
  if (pid == 0) ::_exit(body());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -3;
}

TempFolder::TempFolder() {
  std::string pattern = (fs::temp_directory_path() / "zuna-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ec;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

}  // namespace zuna::testkit
