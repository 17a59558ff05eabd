// The canonical forms both sides are compared in, the import log's reading, and the sorted runs.
#include "verify/canonical_value.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "platform/text/encoding.h"
#include "tests/support/dbf_builder.h"
#include "verify/entry_sorter.h"
#include "verify/import_log.h"

namespace zuna::verify {
namespace {

std::string Canonical(const Value& value, std::string_view declared) {
  std::string out;
  const CanonicalState state = AppendCanonical(value, sql::ParseColumnType(declared), out);
  return DisplayCanonical({state, out});
}

TEST(CanonicalValueTest, DecimalsHaveTheColumnsScaleRoundedHalfAwayFromZero) {
  EXPECT_EQ(Canonical(Value::Decimal(2000500, 3), "decimal(12,2)"), "'2000.50'");
  EXPECT_EQ(Canonical(Value::Integer(7), "decimal(12,2)"), "'7.00'");
  EXPECT_EQ(Canonical(Value::Double(2000.5), "decimal(12,2)"), "'2000.50'");
  EXPECT_EQ(Canonical(Value::Decimal(-5, 3), "decimal(12,2)"), "'-0.01'");
  EXPECT_EQ(Canonical(Value::Decimal(4, 3), "decimal(12,2)"), "'0.00'");
  EXPECT_EQ(Canonical(Value::Text(" 12.345 "), "numeric(5,2)"), "'12.35'");
  EXPECT_EQ(Canonical(Value::Integer(12), "decimal(10,0)"), "'12'");
  EXPECT_EQ(Canonical(Value::Decimal(99995, 3), "decimal(4,2)"),
            "(unstorable: out of range for decimal(4,2))");
  EXPECT_EQ(Canonical(Value::Text("12,5"), "decimal(12,2)"), "(unstorable: no number for decimal)");
}

TEST(CanonicalValueTest, WideDecimalsKeepEveryDigitOfTheirFraction) {
  // Fractions wider than 64 bits, with zeros right after the point and at the end.
  EXPECT_EQ(Canonical(Value::Text("0.00000000000000000001"), "decimal(38,20)"),
            "'0.00000000000000000001'");
  EXPECT_EQ(Canonical(Value::Text("-12345678901234567.1234567890123456789"), "decimal(38,20)"),
            "'-12345678901234567.12345678901234567890'");
  EXPECT_EQ(Canonical(Value::Text("-0.5"), "decimal(38,37)"),
            "'-0.5000000000000000000000000000000000000'");
  EXPECT_EQ(Canonical(Value::Decimal(-7, 0), "decimal(5,1)"), "'-7.0'");
}

TEST(CanonicalValueTest, DatesKeepLeadingZerosInEveryPart) {
  EXPECT_EQ(Canonical(Value::DateTime({2001, 1, 2}, {3, 4, 5, 6}), "datetime"),
            "'2001-01-02 03:04:05.006'");
  EXPECT_EQ(Canonical(Value::DateTime({2001, 1, 2}, {3, 4, 5, 6}), "date"), "'2001-01-02'");
}

TEST(CanonicalValueTest, DatesAreIsoAndTextDatesAreReadDayFirst) {
  EXPECT_EQ(Canonical(Value::Text("01/02/1900"), "datetime"), "'1900-02-01 00:00:00.000'");
  EXPECT_EQ(Canonical(Value::Date({1985, 2, 28}), "datetime"), "'1985-02-28 00:00:00.000'");
  EXPECT_EQ(Canonical(Value::DateTime({1985, 2, 28}, {13, 5, 9, 250}), "datetime"),
            "'1985-02-28 13:05:09.250'");
  EXPECT_EQ(Canonical(Value::DateTime({1985, 2, 28}, {13, 5, 9, 0}), "date"), "'1985-02-28'");
  EXPECT_EQ(Canonical(Value::Text("1985-02-28 13:05"), "datetime"), "'1985-02-28 13:05:00.000'");
  EXPECT_EQ(Canonical(Value::Text(""), "datetime"), "'1900-01-01 00:00:00.000'");
  EXPECT_EQ(Canonical(Value::Integer(2), "date"), "'1900-01-03'");
  EXPECT_EQ(Canonical(Value::Text("31/02/2000"), "datetime"), "(unstorable: no date)");
  EXPECT_EQ(Canonical(Value::Date({1700, 1, 1}), "datetime"),
            "(unstorable: outside the years 1753 to 9999 of datetime)");
  EXPECT_EQ(Canonical(Value::Date({1700, 1, 1}), "datetime2"), "'1700-01-01 00:00:00.000'");
}

TEST(CanonicalValueTest, TextsKeepTheirBlanksAndOnlyBlanksAreCut) {
  EXPECT_EQ(Canonical(Value::Text("AB  "), "varchar(10)"), "'AB  '");
  EXPECT_EQ(Canonical(Value::Text("AB    "), "varchar(3)"), "'AB '");
  EXPECT_EQ(Canonical(Value::Text("AB"), "char(4)"), "'AB  '");
  EXPECT_EQ(Canonical(Value::Text("ABCD"), "varchar(3)"), "(unstorable: longer than varchar(3))");
  EXPECT_EQ(Canonical(Value::Text("\xC3\xA9t\xC3\xA9"), "varchar(3)"), "'\xC3\xA9t\xC3\xA9'");
  EXPECT_EQ(Canonical(Value::Decimal(125, 1), "varchar(10)"), "'12.5'");
  EXPECT_EQ(Canonical(Value::Null(), "varchar(10)"), "NULL");
  EXPECT_EQ(Canonical(Value::Text("NULL"), "varchar(10)"), "'NULL'");
}

TEST(CanonicalValueTest, NumbersLogicalsAndValuesTheTargetCouldNotHold) {
  EXPECT_EQ(Canonical(Value::Decimal(129, 1), "int"), "'12'");
  EXPECT_EQ(Canonical(Value::Double(-12.9), "int"), "'-12'");
  EXPECT_EQ(Canonical(Value::Text(" +42 "), "smallint"), "'42'");
  EXPECT_EQ(Canonical(Value::Integer(40000), "smallint"),
            "(unstorable: out of range for smallint)");
  EXPECT_EQ(Canonical(Value::Boolean(true), "bit"), "'1'");
  EXPECT_EQ(Canonical(Value::Text("False"), "bit"), "'0'");
  EXPECT_EQ(Canonical(Value::Decimal(5, 1), "float"), "'0.5'");
  EXPECT_EQ(Canonical(Value::Text("1e3"), "float"), "'1000'");

  // A stored value its column could not hold never equals an expected one.
  std::string out;
  EXPECT_EQ(AppendStoredCanonical(Value::Text("soon"), sql::ParseColumnType("datetime"), out),
            CanonicalState::kForeign);
  EXPECT_EQ(out, "soon");
}

TEST(ImportLogTest, ReadsRefusedRowsRangesLostFieldsAndSteps) {
  testkit::TempFolder folder;
  std::string bytes = "\xFF\xFE";
  for (const std::string line :
       {"personnel\t3\t\t242\tThe conversion ... out-of-range value.",
        "personnel\t5\tdate_join\t3265\tItem cannot be found",
        "personnel\t0\tpay_mon\t3265\tevery row (9): source",
        "gisgrp\t0\t\t28\t4 rows not copied: rows 7 to 10, not saved after row 6 found ...",
        "cca\t0\t\t1\t12 rows not copied: the table did not open; its header announces them",
        "installation\t0\tdbf_type\t1\tnot run", "caf\xC3\xA9\xF0\x9F\x98\x80\t2\t\t19\tdup",
        "a line that is no failure"}) {
    text::AppendUtf16Le(line + "\r\n", bytes);
  }
  testkit::WriteFile(folder / "import_errors", bytes);
  auto log = ImportLog::Read(folder / "import_errors", 10);
  ASSERT_TRUE(log.ok()) << log.status().ToString();
  EXPECT_TRUE(log->present());
  const TableLog& personnel = log->Of("personnel");
  EXPECT_TRUE(personnel.Refused(3));
  EXPECT_FALSE(personnel.Refused(5));
  EXPECT_EQ(personnel.MessageFor(3), "error 242: The conversion ... out-of-range value.");
  EXPECT_TRUE(personnel.FieldLost(5, "date_join"));
  EXPECT_FALSE(personnel.FieldLost(3, "date_join"));
  EXPECT_TRUE(personnel.StepFailed("pay_mon"));
  const TableLog& gisgrp = log->Of("gisgrp");
  EXPECT_FALSE(gisgrp.Refused(6));
  EXPECT_TRUE(gisgrp.Refused(7));
  EXPECT_TRUE(gisgrp.Refused(10));
  EXPECT_FALSE(gisgrp.Refused(11));
  EXPECT_TRUE(gisgrp.MessageFor(8).starts_with("error 28: 4 rows not copied: rows 7 to 10"));
  EXPECT_TRUE(log->Of("cca").Refused(123456));
  EXPECT_TRUE(log->Of("installation").StepFailed("dbf_type"));
  EXPECT_TRUE(log->Of("caf\xC3\xA9\xF0\x9F\x98\x80").Refused(2));
  EXPECT_FALSE(log->Of("department").Refused(1));

  auto absent = ImportLog::Read(folder / "no_such_log", 10);
  ASSERT_TRUE(absent.ok());
  EXPECT_FALSE(absent->present());
}

TEST(EntrySorterTest, RunsOnDiskGiveTheSameOrderAsMemory) {
  testkit::TempFolder folder;
  std::mt19937_64 random(7);
  std::vector<HashEntry> entries;
  for (std::uint64_t i = 0; i < 5000; ++i) {
    entries.push_back({{random() % 50, random()}, i});  // equal high halves: the low ones decide
  }
  for (const std::size_t budget : {std::size_t{1} << 20, std::size_t{24 * 100}, std::size_t{1}}) {
    SCOPED_TRACE(budget);
    EntrySorter sorter(budget, folder / "runs");
    for (const HashEntry& entry : entries) ASSERT_TRUE(sorter.Add(entry).ok());
    ASSERT_TRUE(sorter.Finish().ok());
    std::vector<HashEntry> sorted;
    HashEntry entry;
    for (;;) {
      auto more = sorter.Next(entry);
      ASSERT_TRUE(more.ok()) << more.status().ToString();
      if (!*more) break;
      sorted.push_back(entry);
    }
    std::vector<HashEntry> expected = entries;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(sorted, expected);
    EXPECT_EQ(sorter.runs() > 0, budget < (std::size_t{1} << 20));
  }
  EXPECT_FALSE(std::filesystem::exists(folder / "runs"));
}

}  // namespace
}  // namespace zuna::verify
