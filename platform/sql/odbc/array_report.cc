#include "platform/sql/odbc/array_report.h"

#include <algorithm>

namespace zuna::sql::odbc {

ArrayReport ReadArrayReport(const std::vector<SQLUSMALLINT>& statuses, SQLULEN processed,
                            bool executed) {
  const std::size_t count = statuses.size();
  ArrayReport report;
  const bool statuses_reported =
      std::any_of(statuses.begin(), statuses.end(),
                  [](SQLUSMALLINT status) { return status != kStatusNotReported; });
  if (statuses_reported) {
    // A row left "unused", or not reported at all, was not saved either.
    for (std::size_t r = 0; r < count && !report.first_refused; ++r) {
      if (statuses[r] != SQL_PARAM_SUCCESS && statuses[r] != SQL_PARAM_SUCCESS_WITH_INFO) {
        report.first_refused = r;
      }
    }
  } else if (processed != kCountNotReported && processed < count) {
    report.first_refused = processed > 0 ? processed - 1 : 0;
  }
  report.all_saved =
      executed && !report.first_refused && (processed == kCountNotReported || processed == count);
  return report;
}

}  // namespace zuna::sql::odbc
