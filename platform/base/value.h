#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zuna {

struct CivilDate {
  int year = 0;
  int month = 0;
  int day = 0;
  friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

struct CivilTime {
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  friend bool operator==(const CivilTime&, const CivilTime&) = default;
};

enum class ValueKind : std::uint8_t {
  kNull,
  kText,     // UTF-8 text, trailing blanks kept as stored
  kBinary,   // raw bytes (varbinary, blob, general fields)
  kInteger,  // 64-bit signed integer
  kDecimal,  // exact decimal: unscaled integer and a count of decimal places
  kDouble,   // binary floating point
  kBoolean,
  kDate,
  kDateTime,
};

// One field value as the data sources deliver and accept it. Setters reuse the text buffer, so a
// row of values can be refilled for every record without allocating.
class Value {
 public:
  Value() = default;

  static Value Null() { return Value(); }
  static Value Text(std::string_view text);
  static Value Binary(std::string_view bytes);
  static Value Integer(std::int64_t number);
  static Value Decimal(std::int64_t unscaled, int scale);
  static Value Double(double number);
  static Value Boolean(bool flag);
  static Value Date(CivilDate date);
  static Value DateTime(CivilDate date, CivilTime time);

  ValueKind kind() const { return kind_; }
  bool is_null() const { return kind_ == ValueKind::kNull; }

  // Accessors for the kind the value holds; other kinds give unspecified results.
  const std::string& text() const { return bytes_; }  // kText and kBinary
  std::int64_t integer() const { return integer_; }   // kInteger; unscaled for kDecimal
  int scale() const { return scale_; }                // kDecimal
  double number() const { return double_; }           // kDouble
  bool boolean() const { return integer_ != 0; }      // kBoolean
  CivilDate date() const { return date_; }            // kDate and kDateTime
  CivilTime time() const { return time_; }            // kDateTime

  void SetNull() { kind_ = ValueKind::kNull; }
  // Becomes a copy of `other`, copying only what its kind uses and reusing the text buffer.
  void Assign(const Value& other);
  void SetText(std::string_view text);
  // Makes the value an empty text and returns its buffer to be filled in place.
  std::string& MutableText();
  void SetBinary(std::string_view bytes);
  void SetInteger(std::int64_t number);
  void SetDecimal(std::int64_t unscaled, int scale);
  void SetDouble(double number);
  void SetBoolean(bool flag);
  void SetDate(CivilDate date);
  void SetDateTime(CivilDate date, CivilTime time);

  // The numeric value as a double (integers, decimals, doubles, booleans); 0 otherwise.
  double AsDouble() const;

  // The text form the logs and the date test see: a date as dd/mm/yyyy, a datetime as
  // dd/mm/yyyy hh:mm:ss (at midnight its date alone), a logical as True/False, a number in its
  // shortest decimal form, text unchanged, null as the empty text.
  std::string ToText() const;
  void AppendText(std::string& out) const;

  friend bool operator==(const Value& a, const Value& b);

 private:
  ValueKind kind_ = ValueKind::kNull;
  int scale_ = 0;
  std::int64_t integer_ = 0;
  double double_ = 0;
  CivilDate date_;
  CivilTime time_;
  std::string bytes_;
};

// Shortest decimal text that reads back as the same double ("12.5", "1520", "100000"), in plain
// digits from 1e-7 up to 1e15 and with an exponent beyond ("1e+20").
std::string FormatDouble(double number);

// The decimal unscaled / 10^scale without trailing zeros ("1520", "12.5", "-0.25").
std::string FormatDecimal(std::int64_t unscaled, int scale);

// Days from 1970-01-01 for a proleptic Gregorian date, and back.
std::int64_t DaysFromCivil(CivilDate date);
CivilDate CivilFromDays(std::int64_t days);

// Parses a number written in ASCII ("  1520", "-0.25", "1e3", "12,5"): an integer or an exact
// decimal when it has at most 18 digits, a double otherwise. Blanks around it are ignored.
// False when the text is no number.
bool ParseNumberText(std::string_view text, Value& out);

// True when the day exists in the proleptic Gregorian calendar.
bool IsValidDate(CivilDate date);

}  // namespace zuna
