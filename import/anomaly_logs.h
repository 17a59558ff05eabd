#pragma once

#include <string>
#include <string_view>

namespace zuna::transfer {

inline constexpr std::string_view kPersonnelLogName = "personnel_rpt";
inline constexpr std::string_view kPaybillLogName = "paybill_rpt";

// One line of the personnel log: emp_code(id_no)(FIELD -value), values in their text form,
// character values with their trailing blanks, a null as nothing.
std::string PersonnelLogLine(std::string_view emp_code, std::string_view id_no,
                             std::string_view field, std::string_view value);

// One line of the pay-bill log:
// pay_mon,pay_year,dept_code & estb_code (dept_code,estb_code)(FIELD -value)
std::string PaybillLogLine(std::string_view pay_mon, std::string_view pay_year,
                           std::string_view dept_code, std::string_view estb_code,
                           std::string_view field, std::string_view value);

}  // namespace zuna::transfer
