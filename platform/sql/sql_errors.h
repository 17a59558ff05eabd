#pragma once

#include <string_view>

#include "platform/base/status.h"

// The failures the embedded engine reports with SQL Server's own numbers, because it refuses
// exactly what SQL Server would refuse: an operator or a log sees the same error either way.
namespace zuna::sql {

inline constexpr long kErrInvalidObjectName = 208;
inline constexpr long kErrInvalidColumnName = 207;
inline constexpr long kErrDateConversion = 241;
inline constexpr long kErrDateOutOfRange = 242;
inline constexpr long kErrTypeConversion = 245;
inline constexpr long kErrNullNotAllowed = 515;
inline constexpr long kErrDatabaseExists = 1801;
inline constexpr long kErrUniqueIndex = 2601;
inline constexpr long kErrPrimaryKey = 2627;
inline constexpr long kErrCannotDropDatabase = 3701;
inline constexpr long kErrCannotOpenDatabase = 4060;
inline constexpr long kErrArithmeticOverflow = 8115;
inline constexpr long kErrTruncation = 8152;
inline constexpr long kErrServerNotFound = 17;

Status InvalidObjectName(std::string_view name);
Status InvalidColumnName(std::string_view name);
Status Refused(long number, std::string description);

}  // namespace zuna::sql
