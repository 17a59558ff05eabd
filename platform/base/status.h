#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace zuna {

// What went wrong, coarsely, so callers can branch without parsing text.
enum class ErrorKind {
  kOk,
  kNotFound,         // a file, table, field or data source that is not there
  kInvalidArgument,  // a caller's input that cannot be used as given
  kIoError,          // the operating system refused a file operation
  kCorrupt,          // a file whose bytes contradict its own format
  kUnsupported,      // a statement or operation this component does not offer
  kDatabase,         // the SQL engine or driver reported a failure
  kRefused,          // a value the target would not store (type, length, key)
  kStorage,          // the database can store nothing more: its storage failed (disk full,
                     // I/O error, damaged or read-only file), or its server was lost and did
                     // not come back; every further write will fail as well
};

// The outcome of an operation. A failure carries the number and description that the operator
// sees ("error 2: No such file or directory"), as the system reports every error.
class [[nodiscard]] Status {
 public:
  Status() = default;
  Status(ErrorKind kind, long number, std::string description)
      : kind_(kind), number_(number), description_(std::move(description)) {}

  static Status Ok() { return Status(); }

  bool ok() const { return kind_ == ErrorKind::kOk; }
  ErrorKind kind() const { return kind_; }
  long number() const { return number_; }
  const std::string& description() const { return description_; }

  // The same failure with `context` put in front of its description ("personnel.dbf: ...").
  // An ok status stays ok.
  Status WithContext(std::string_view context) const;

  // "error <number>: <description>", or "ok".
  std::string ToString() const;

  friend bool operator==(const Status&, const Status&) = default;

 private:
  ErrorKind kind_ = ErrorKind::kOk;
  long number_ = 0;
  std::string description_;
};

inline const Status& StatusOf(const Status& status) { return status; }

}  // namespace zuna

#define ZUNA_CONCAT_INNER(a, b) a##b
#define ZUNA_CONCAT(a, b) ZUNA_CONCAT_INNER(a, b)

// Returns the failure of `expr` (a Status or a Result) from the enclosing function.
#define RETURN_IF_ERROR(expr)                                         \
  do {                                                                \
    if (auto&& zuna_st_ = (expr); !::zuna::StatusOf(zuna_st_).ok()) { \
      return ::zuna::StatusOf(zuna_st_);                              \
    }                                                                 \
  } while (false)

// Declares or assigns `lhs` from the value of the Result `expr`, or returns its failure.
#define ASSIGN_OR_RETURN(lhs, expr) \
  ASSIGN_OR_RETURN_IMPL(ZUNA_CONCAT(zuna_result_, __LINE__), lhs, expr)
#define ASSIGN_OR_RETURN_IMPL(tmp, lhs, expr) \
  auto tmp = (expr);                          \
  if (!tmp.ok()) return tmp.status();         \
  lhs = std::move(tmp).value()
