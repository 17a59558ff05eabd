#include "import/anomaly_logs.h"

namespace zuna::transfer {

std::string PersonnelLogLine(std::string_view emp_code, std::string_view id_no,
                             std::string_view field, std::string_view value) {
  std::string line;
  line.reserve(emp_code.size() + id_no.size() + field.size() + value.size() + 8);
  line.append(emp_code).append("(").append(id_no).append(")(").append(field).append(" -");
  line.append(value).append(")");
  return line;
}

std::string PaybillLogLine(std::string_view pay_mon, std::string_view pay_year,
                           std::string_view dept_code, std::string_view estb_code,
                           std::string_view field, std::string_view value) {
  std::string line;
  line.append(pay_mon).append(",").append(pay_year).append(",dept_code & estb_code (");
  line.append(dept_code).append(",").append(estb_code).append(")(").append(field).append(" -");
  line.append(value).append(")");
  return line;
}

}  // namespace zuna::transfer
