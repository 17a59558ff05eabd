#include "tools/sample_data/table_shapes.h"

#include <cstdio>
#include <string_view>

#include "platform/text/ascii.h"

namespace zuna::sample {

const std::vector<ColumnSpec>& PersonnelColumns() {
  static const std::vector<ColumnSpec> columns = {
      {"id_no", 'N', 6},       {"pay_mon", 'N', 2},      {"pay_year", 'N', 4},
      {"emp_code", 'C', 10},   {"emp_name", 'C', 30},    {"sl_no", 'N', 4},
      {"dept_code", 'C', 4},   {"estb_code", 'C', 4},    {"dsgn_code", 'C', 4},
      {"scale_opt", 'C', 1},   {"scale_code", 'C', 4},   {"pers_scale", 'C', 30},
      {"gis_type", 'C', 1},    {"emp_group", 'C', 1},    {"basic_pay", 'N', 10, 2},
      {"pf_type", 'C', 1},     {"date_birth", 'D', 8},   {"date_join", 'D', 8},
      {"date_post", 'D', 8},   {"date_incr", 'D', 8},    {"incr_amt", 'N', 8, 2},
      {"srv_status", 'C', 1},  {"depu_stat", 'C', 1},    {"srv_type", 'C', 1},
      {"spou_stat", 'C', 1},   {"rsd_status", 'C', 1},   {"gqtr_code", 'C', 4},
      {"qtr_type", 'C', 2},    {"sex", 'C', 1},          {"married", 'C', 1},
      {"religion", 'C', 1},    {"address1", 'C', 30},    {"address2", 'C', 30},
      {"pan_no", 'C', 10},     {"pay_opt", 'C', 1},      {"bank_code", 'C', 4},
      {"acct_no", 'C', 16},    {"close_cd", 'C', 2},     {"corder_no", 'C', 15},
      {"date_close", 'D', 8},  {"corder_dt", 'D', 8},    {"user_id", 'C', 8},
      {"opr_date", 'D', 8},    {"del_emp", 'L', 1},      {"fin_year", 'C', 9},
      {"pay_taken", 'L', 1},   {"bill_code", 'C', 4},    {"bill_no", 'C', 10},
      {"bill_date", 'D', 8},   {"gis_group", 'C', 1},    {"date_retr", 'D', 8},
      {"handicap", 'L', 1},    {"date_sec", 'D', 8},     {"v_worker", 'L', 1},
      {"sec_code", 'C', 4},    {"no_leave", 'N', 3},     {"pf_code", 'C', 4},
      {"pf_no", 'C', 15},      {"incr_last", 'N', 8, 2}, {"bill_type", 'C', 2},
      {"hr_amt", 'N', 8, 2},   {"gpf_group", 'C', 2},    {"grade_pay", 'N', 6},
      {"npa_prcn", 'N', 5, 2}, {"ma_opt", 'C', 1},       {"father_nm", 'C', 30},
      {"mother_nm", 'C', 30},  {"spouse_nm", 'C', 30},   {"bacct_nm", 'C', 30},
      {"pen_opt", 'C', 1},     {"dsgn_code1", 'C', 4},   {"micr_code", 'C', 9},
      {"ifsc_code", 'C', 11},  {"bacct_no", 'C', 16},    {"ddo_code", 'C', 10},
      {"emp_cat", 'C', 2},     {"emp_caste", 'C', 2},    {"post_sanc", 'C', 4},
      {"spl_qlf", 'C', 20},    {"qlf_code", 'C', 4},     {"gpf_id", 'C', 15},
  };
  return columns;
}

namespace {

// True when a '_'-separated part of `name`, without trailing digits, is `part` ("amt1" is "amt").
bool HasPart(std::string_view name, std::string_view part) {
  std::size_t start = 0;
  while (start <= name.size()) {
    const std::size_t end = name.find('_', start);
    std::string_view piece = name.substr(start, end == std::string_view::npos ? end : end - start);
    while (piece.size() > 1 && piece.back() >= '0' && piece.back() <= '9') piece.remove_suffix(1);
    if (piece == part) return true;
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return false;
}

bool AnyPart(std::string_view name, std::initializer_list<std::string_view> parts) {
  for (std::string_view part : parts) {
    if (HasPart(name, part)) return true;
  }
  return false;
}

// A small, fast, deterministic generator: the same row number always gives the same row.
std::uint64_t Mix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

std::string Date(int year, int month, int day) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", year, month, day);
  return buffer;
}

constexpr const char* kFirstNames[] = {"ANIL",   "SUNITA", "RAJESH", "PRIYA", "MOHAN",
                                       "KAVITA", "SURESH", "LATA",   "VIJAY", "ASHA"};
constexpr const char* kLastNames[] = {"SHARMA", "VERMA", "GUPTA", "SINGH", "KUMAR",
                                      "PATEL",  "RAO",   "NAIR",  "DAS",   "IYER"};

// A prefix and a number; spelled out because GCC 12 warns falsely on literal + to_string.
std::string Numbered(std::string_view prefix, std::uint64_t n) {
  std::string out(prefix);
  out += std::to_string(n);
  return out;
}

}  // namespace

ColumnSpec ShapeOf(std::string_view field) {
  const std::string name = text::LowerAscii(field);
  for (const ColumnSpec& column : PersonnelColumns()) {
    if (column.name == name)
      return {std::string(field), column.type, column.length, column.decimals};
  }
  const auto column = [&](char type, std::uint8_t length, std::uint8_t decimals = 0) {
    return ColumnSpec{std::string(field), type, length, decimals};
  };
  // Texts that only look like numbers or dates: pband_no takes the text "NULL".
  if (name == "pband_no" || name == "policy_no" || name == "order_no" || name == "cheq_no" ||
      name == "vchr_no" || name == "tan_no" || name == "acct_no") {
    return column('C', 20);
  }
  if (name == "dsgn_desc") return column('C', 60);  // long enough for the 50-character cut
  if (name.ends_with("_code") || name.ends_with("_cd") || name.ends_with("_cod") ||
      name.ends_with("code")) {
    return column('C', 10);
  }
  if (name.ends_with("_date") || name.ends_with("_dt") || name.starts_with("date_") ||
      name.starts_with("dt_")) {
    return column('D', 8);
  }
  if (name == "remarks") return column('M', 10);
  if (name.ends_with("_desc") || name.ends_with("_name") || name.ends_with("_nm") ||
      name.ends_with("_nam") || name.ends_with("_add") || name.ends_with("_addr") ||
      name == "address" || name == "purpose" || name == "report" || name.ends_with("_n")) {
    return column('C', 40);
  }
  if (name.starts_with("ninst") ||
      AnyPart(name,
              {"inst", "days", "sl", "ord", "rank", "no", "mon", "year", "maxid", "grp", "cnt"}) ||
      name == "maxid") {
    return column('N', 5);
  }
  if (name.starts_with("ainst") || name.starts_with("t1") || name.starts_with("t2") ||
      name.starts_with("t3") || name.starts_with("t4") || name.starts_with("t5") ||
      name.starts_with("t6") || name.starts_with("t7") || name.starts_with("t8") ||
      name.starts_with("t9") ||
      AnyPart(
          name,
          {"amt", "bal",  "tax", "rate", "recov", "arrear", "loan", "subs",   "inc",  "gross",
           "gpf", "lic",  "nsc", "hba",  "da",    "dp",     "hra",  "cca",    "gi",   "go",
           "exp", "recv", "sav", "ins",  "fees",  "bond",   "camt", "slb",    "tr",   "tc",
           "tp",  "pay",  "ta",  "ma",   "from",  "to",     "oths", "misc",   "80l",  "80ccc",
           "80d", "80dd", "80g", "80u",  "88c",   "rentpa", "dp",   "depo",   "exmp", "deduct",
           "mar", "apr",  "may", "jun",  "jul",   "aug",    "sep",  "oct",    "nov",  "dec",
           "jan", "feb",  "g",   "q",    "draw",  "cgegis", "hp",   "source", "fund", "open"})) {
    return column('N', 12, 2);
  }
  return column('C', 20);
}

std::vector<ColumnSpec> ColumnsOf(const transfer::CatalogEntry& entry) {
  std::vector<ColumnSpec> columns;
  for (const transfer::FieldOperation& op : entry.fields) columns.push_back(ShapeOf(op.field));
  if (entry.column_walk) columns.push_back({"ddo_desc", 'C', 40});
  return columns;
}

std::vector<const transfer::CatalogEntry*> AllCatalogEntries() {
  std::vector<const transfer::CatalogEntry*> entries;
  for (auto pass : {transfer::FirstPassCatalog(), transfer::SecondPassCatalog(),
                    transfer::ThirdPassCatalog()}) {
    for (const transfer::CatalogEntry& entry : pass) entries.push_back(&entry);
  }
  return entries;
}

std::vector<std::string> PersonnelRow(std::uint64_t n) {
  const std::uint64_t r = Mix(n);
  const auto pick = [r](int shift, int modulo) { return static_cast<int>((r >> shift) % modulo); };
  const std::string first = kFirstNames[pick(0, 10)];
  const std::string last = kLastNames[pick(4, 10)];
  const int birth_year = 1950 + pick(8, 50);
  // One row in 50 has a birth date before 1900 and one in 50 a blank closing date.
  const std::string birth =
      pick(16, 50) == 0 ? Date(1899, 12, 31) : Date(birth_year, 1 + pick(20, 12), 1 + pick(24, 28));
  const std::string join = Date(birth_year + 22, 1 + pick(28, 12), 1 + pick(32, 28));
  const std::string close = pick(36, 50) == 0 ? "" : Date(2030, 3, 31);
  const std::string code = Numbered("E", 100000 + n);
  std::vector<std::string> row = {std::to_string(n + 1),
                                  std::to_string(1 + pick(40, 12)),
                                  "2024",
                                  code,
                                  first + " " + last,
                                  std::to_string(n % 1000),
                                  Numbered("D", pick(44, 90) + 10),
                                  "ES01",
                                  Numbered("DS", pick(48, 90) + 10),
                                  "A",
                                  "S001",
                                  "5200-20200",
                                  "A",
                                  "B",
                                  std::to_string(20000 + pick(12, 50000)) + ".00",
                                  "G",
                                  birth,
                                  join,
                                  join,
                                  Date(2024, 7, 1),
                                  "1500.00",
                                  "R",
                                  "N",
                                  "P",
                                  "Y",
                                  "N",
                                  "",
                                  "",
                                  pick(52, 2) ? "M" : "F",
                                  "Y",
                                  "H",
                                  "12 MG ROAD",
                                  "BHOPAL",
                                  "ABCDE1234F",
                                  "B",
                                  "SBI1",
                                  "30000012345",
                                  "",
                                  "",
                                  close,
                                  close,
                                  "ADMIN",
                                  Date(2024, 8, 1),
                                  "F",
                                  "2024-2025",
                                  "T",
                                  "B001",
                                  "17",
                                  Date(2024, 8, 31),
                                  "A",
                                  Date(birth_year + 60, 6, 30),
                                  "F",
                                  "",
                                  "F",
                                  "SEC1",
                                  std::to_string(pick(56, 300)),
                                  "PF01",
                                  Numbered("GPF/", n),
                                  "0.00",
                                  "A",
                                  "0.00",
                                  "G1",
                                  "2400",
                                  "0.00",
                                  "Y",
                                  "RAM " + last,
                                  "SITA " + last,
                                  "",
                                  first + " " + last,
                                  "N",
                                  "",
                                  "462002002",
                                  "SBIN0001234",
                                  "30000012345",
                                  "MPDDO0001",
                                  "GN",
                                  "OB",
                                  "P001",
                                  "",
                                  "Q001",
                                  Numbered("GPF", n)};
  return row;
}

}  // namespace zuna::sample
