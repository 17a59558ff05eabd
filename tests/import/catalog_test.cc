#include "import/catalog.h"

#include <gtest/gtest.h>

#include <set>

namespace zuna::transfer {
namespace {

std::vector<int> FieldCounts(std::span<const CatalogEntry> catalog) {
  std::vector<int> counts;
  for (const auto& entry : catalog) counts.push_back(static_cast<int>(entry.fields.size()));
  return counts;
}

int CountRule(std::span<const CatalogEntry> catalog, FieldRule rule) {
  int n = 0;
  for (const auto& entry : catalog) {
    for (const auto& op : entry.fields) n += op.rule == rule;
  }
  return n;
}

TEST(CatalogTest, FirstPassHasItsTwentySixTablesAndFieldCounts) {
  const auto catalog = FirstPassCatalog();
  ASSERT_EQ(catalog.size(), 26u);
  EXPECT_EQ(FieldCounts(catalog), (std::vector<int>{81, 5,  1,  9, 4, 2, 2,  2, 16, 4, 91, 1, 59,
                                                    17, 18, 10, 7, 6, 3, 41, 8, 10, 8, 7,  7, 10}));
  EXPECT_EQ(catalog[0].table, "personnel");
  EXPECT_EQ(catalog[2].not_found_message, "DDO Table Not Found");
  EXPECT_TRUE(catalog[2].column_walk);
  EXPECT_EQ(catalog[2].fields[0].rule, FieldRule::kNullAsEmptyText);
  EXPECT_EQ(catalog[4].not_found_message, "CCA Table Not Found");
  EXPECT_EQ(catalog[19].select_text, "select * from [personnel-del]");
  EXPECT_EQ(catalog[25].not_found_message, "Deduction Table Not Found");
}

TEST(CatalogTest, PersonnelLogsItsNineDatesSixWithoutTheNullTest) {
  const CatalogEntry& personnel = FirstPassCatalog()[0];
  EXPECT_EQ(personnel.log, AnomalyLog::kPersonnel);
  std::vector<std::string> logged, without_null_test;
  for (const auto& op : personnel.fields) {
    if (op.logged) logged.push_back(op.field);
    if (op.rule == FieldRule::kDateRuleNoNullTest) without_null_test.push_back(op.field);
  }
  EXPECT_EQ(logged, (std::vector<std::string>{"date_birth", "date_join", "date_post", "date_incr",
                                              "date_close", "corder_dt", "bill_date", "date_retr",
                                              "date_sec"}));
  EXPECT_EQ(without_null_test, (std::vector<std::string>{"date_birth", "date_join", "date_post",
                                                         "date_incr", "bill_date", "date_retr"}));
  for (const auto& entry : FirstPassCatalog().subspan(1)) EXPECT_EQ(entry.log, AnomalyLog::kNone);
}

TEST(CatalogTest, SecondPassHasTenTablesAndEightDateFields) {
  const auto catalog = SecondPassCatalog();
  ASSERT_EQ(catalog.size(), 10u);
  EXPECT_EQ(FieldCounts(catalog), (std::vector<int>{7, 11, 5, 5, 13, 15, 16, 5, 6, 6}));
  EXPECT_EQ(CountRule(catalog, FieldRule::kDateRule), 8);
  EXPECT_EQ(catalog[9].fields.back().field, "ddo_code");
}

TEST(CatalogTest, ThirdPassHasThirtyOneTablesAndTwentyFourDateFields) {
  const auto catalog = ThirdPassCatalog();
  ASSERT_EQ(catalog.size(), 31u);
  EXPECT_EQ(FieldCounts(catalog),
            (std::vector<int>{10, 21, 14, 8,  16, 8, 8, 7, 5, 3, 4, 5,  4,  4, 11, 7,
                              7,  8,  10, 12, 4,  2, 2, 2, 4, 4, 8, 18, 89, 4, 18}));
  EXPECT_EQ(CountRule(catalog, FieldRule::kDateRule), 24);
  EXPECT_EQ(catalog[21].not_found_message, "GIS Table Not Found");
  EXPECT_EQ(catalog[23].master_data_script, "qualification.sql");
  EXPECT_TRUE(catalog[23].not_found_message.empty());
  EXPECT_EQ(catalog[26].master_data_script, "branchmaster.sql");
  EXPECT_EQ(catalog[26].select_text, "select * from BranchMaster");
  EXPECT_EQ(catalog[27].log, AnomalyLog::kPaybill);
  EXPECT_EQ(CountRule(catalog, FieldRule::kTrimAndCut), 1);
  EXPECT_EQ(CountRule(catalog, FieldRule::kNullAsText), 1);
}

TEST(CatalogTest, EveryTableIsCataloguedOnce) {
  std::set<std::string> tables;
  for (auto pass : {FirstPassCatalog(), SecondPassCatalog(), ThirdPassCatalog()}) {
    for (const auto& entry : pass) EXPECT_TRUE(tables.insert(entry.table).second) << entry.table;
  }
  EXPECT_EQ(tables.size(), 67u);
}

}  // namespace
}  // namespace zuna::transfer
