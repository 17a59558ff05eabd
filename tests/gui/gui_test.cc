#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest/QTest>
#include <clocale>
#include <cstdlib>
#include <functional>

#include "app/gui/application.h"
#include "core/connection_texts.h"
#include "platform/recordset/recordset.h"
#include "platform/sources/data_sources.h"
#include "tests/support/comma_decimal_locale.h"
#include "tests/support/dbf_builder.h"
#include "tests/support/recording_operator.h"
#include "tests/support/run_command.h"

namespace zuna::gui {
namespace {

namespace fs = std::filesystem;

// Records messages and lets a test look at the window when one arrives.
class WatchingOperator : public testkit::RecordingOperator {
 public:
  void ShowMessage(std::string_view text, MessageIcon icon, MessageTitle title) override {
    RecordingOperator::ShowMessage(text, icon, title);
    if (on_message) on_message();
  }
  std::function<void()> on_message;
};

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& script : fs::directory_iterator(ZUNA_SQL_DIR)) {
      if (!script.is_regular_file()) continue;  // postgresql/, mariadb/: other servers' scripts
      fs::copy_file(script.path(), folder_ / script.path().filename().string());
    }
    fs::create_directory(folder_ / "zuna");
    testkit::DbfBuilder()
        .Field("DEPT_CODE", 'C', 4)
        .Field("DEPT_NAME", 'C', 20)
        .Field("USER_ID", 'C', 8)
        .Field("DDO_CODE", 'C', 10)
        .Field("OPR_DATE", 'D', 8)
        .Row({"D1", "ACCOUNTS", "ADMIN", "DDO1", "20240101"})
        .Write(folder_ / "zuna" / "department.dbf");
    sources_ = std::make_unique<sources::DataSources>(folder_.path(), config::IniFile(),
                                                      std::vector<std::string>{});
    app_ = std::make_unique<Application>(*sources_, op_);
    app_->Start();
  }
  void TearDown() override {
    if (app_->report_window()) delete app_->report_window();
    if (app_->main_window()) delete app_->main_window();
  }

  DataTransferWindow* Main() { return app_->main_window(); }
  QWidget* Control(const char* name) { return Main()->control(QString::fromUtf8(name)); }
  QPushButton* Button(const char* name) { return static_cast<QPushButton*>(Control(name)); }

  void PrepareDatabase() {
    QTest::mouseClick(Button("cmd_db"), Qt::LeftButton);
    QTest::mouseClick(Button("cmd_tb"), Qt::LeftButton);
    op_.messages.clear();
  }

  // The rows of a query on the target, each as "v1|v2".
  std::vector<std::string> Rows(const std::string& query) {
    auto rs = sources_->OpenRecordset(query, core::kPayConnection);
    if (!rs.ok()) return {rs.status().ToString()};
    std::vector<std::string> rows;
    for (; !(*rs)->Eof(); (void)(*rs)->MoveNext()) {
      std::string line;
      for (int i = 0; i < (*rs)->FieldCount(); ++i)
        line += (i ? "|" : "") + (*(*rs)->Field(i))->ToText();
      rows.push_back(line);
    }
    return rows;
  }

  testkit::TempFolder folder_;
  std::unique_ptr<sources::DataSources> sources_;
  WatchingOperator op_;
  std::unique_ptr<Application> app_;
};

TEST_F(GuiTest, MainWindowStartsInItsStartState) {
  EXPECT_EQ(Main()->windowTitle(), "ZUNA(Data_transfer)");
  EXPECT_EQ(Main()->size(), QSize(697, 338));  // 10455 × 5070 twips
  struct Expected {
    const char* name;
    const char* caption;
    QRect pixels;
    bool visible;
    bool enabled;
  };
  for (const Expected& e : {
           Expected{"cmd_db", "Create Database", {264, 64, 193, 33}, true, true},
           Expected{"cmd_tb", "Create Table", {264, 96, 193, 33}, true, true},
           Expected{"Command3", "Alter", {264, 128, 193, 33}, true, true},
           Expected{"Command1", "Import *.dbf Files", {264, 160, 193, 41}, true, true},
           Expected{"cmd_gen", "Generate Report", {264, 200, 193, 41}, true, true},
           Expected{"Command5", "EXIT", {264, 240, 193, 41}, true, true},
           Expected{"Command2", "Delete Duplicate Records", {16, 200, 193, 49}, false, false},
       }) {
    auto* button = Button(e.name);
    ASSERT_NE(button, nullptr) << e.name;
    EXPECT_EQ(button->text(), e.caption);
    EXPECT_EQ(button->geometry(), e.pixels) << e.name;
    EXPECT_EQ(button->isVisibleTo(Main()), e.visible) << e.name;
    EXPECT_EQ(button->isEnabled(), e.enabled) << e.name;
    EXPECT_TRUE(button->styleSheet().contains("rgb(192, 192, 255)")) << e.name;
  }
  auto* label = static_cast<QLabel*>(Control("lbl_msg"));
  EXPECT_FALSE(label->isVisibleTo(Main()));
  EXPECT_EQ(label->text(), "Please Wait!!!! It Will Take Few Minites....................... ");
  EXPECT_TRUE(static_cast<QLineEdit*>(Control("Text1"))->text().isEmpty());
  EXPECT_EQ(static_cast<QLabel*>(Control("Label2"))->font().pointSizeF(), 12.0);
  EXPECT_TRUE(static_cast<QLabel*>(Control("Label2"))->font().bold());
  EXPECT_EQ(Main()->focusWidget(), Control("Command1"));
}

TEST_F(GuiTest, TabOrderFollowsTheTabIndexes) {
  std::vector<QString> order;
  QWidget* widget = Control("Command1");
  for (int i = 0; i < 8; ++i, widget = widget->nextInFocusChain()) {
    order.push_back(widget->objectName());
  }
  EXPECT_EQ(order, (std::vector<QString>{"Command1", "Command3", "Command2", "cmd_db", "Command5",
                                         "cmd_tb", "Text1", "cmd_gen"}));
}

TEST_F(GuiTest, EnterOnTheFocusedButtonRunsTheImport) {
  PrepareDatabase();
  QTest::keyClick(Button("Command1"), Qt::Key_Return);
  ASSERT_FALSE(op_.messages.empty());
  EXPECT_EQ(op_.messages.back(), "Completed");
}

TEST_F(GuiTest, ImportShowsTheLabelDisablesItselfAndEnablesTheReport) {
  PrepareDatabase();
  std::vector<bool> label_seen;
  op_.on_message = [&] { label_seen.push_back(Control("lbl_msg")->isVisibleTo(Main())); };
  QTest::mouseClick(Button("Command1"), Qt::LeftButton);
  // Not-found messages come while the label shows; "Completed" after it is hidden.
  ASSERT_GE(label_seen.size(), 2u);
  EXPECT_TRUE(label_seen.front());
  EXPECT_FALSE(label_seen.back());
  EXPECT_EQ(op_.messages.back(), "Completed");
  EXPECT_FALSE(Control("lbl_msg")->isVisibleTo(Main()));
  EXPECT_FALSE(Button("Command1")->isEnabled());
  EXPECT_TRUE(Button("cmd_gen")->isEnabled());
}

TEST_F(GuiTest, GenerateReportTwiceWhileOpenComputesOnce) {
  PrepareDatabase();
  QTest::mouseClick(Button("cmd_gen"), Qt::LeftButton);
  QTest::mouseClick(Button("cmd_gen"), Qt::LeftButton);
  EXPECT_EQ(app_->report_loads(), 1);
  ReportWindow* report = app_->report_window();
  ASSERT_NE(report, nullptr);
  EXPECT_EQ(report->windowTitle(), "REPORT");
  EXPECT_EQ(report->grid()->columnCount(), 4);
  EXPECT_EQ(report->grid()->horizontalHeaderItem(1)->text(), " No. Of Records in Foxpro Table ");
  EXPECT_EQ(report->grid()->columnWidth(2), 233);  // 3500 twips
  EXPECT_EQ(report->grid()->item(0, 0)->text(), "acting");
  EXPECT_TRUE(fs::exists(folder_ / "report.pdf"));
}

TEST_F(GuiTest, ReportGridCentresEveryColumnHeadersAndDataCellsAlike) {
  PrepareDatabase();
  QTest::mouseClick(Button("cmd_gen"), Qt::LeftButton);
  ReportWindow* report = app_->report_window();
  ASSERT_NE(report, nullptr);
  ASSERT_GT(report->grid()->rowCount(), 1);
  int data_cells_not_centred = 0;
  for (int column = 0; column < 4; ++column) {
    EXPECT_EQ(report->grid()->horizontalHeaderItem(column)->textAlignment(),
              static_cast<int>(Qt::AlignCenter))
        << column;
    for (int row = 0; row < report->grid()->rowCount(); ++row) {
      if (report->grid()->item(row, column)->textAlignment() != static_cast<int>(Qt::AlignCenter)) {
        ++data_cells_not_centred;
      }
    }
  }
  EXPECT_EQ(data_cells_not_centred, 0);
}

// Run as it stands in the test program's locale, and again by the next test under a
// comma-decimal locale, which ZUNA_EXPECT_DECIMAL_POINT then names.
TEST_F(GuiTest, DecimalsArriveWhateverTheProcessLocale) {
  if (const char* expected = std::getenv("ZUNA_EXPECT_DECIMAL_POINT")) {
    ASSERT_STREQ(std::localeconv()->decimal_point, expected);
  }
  PrepareDatabase();
  testkit::DbfBuilder(0x30)  // Visual FoxPro: B fields are binary doubles
      .Field("EMP_CODE", 'C', 2)
      .Field("BASIC_PAY", 'B', 8, 2)
      .Field("INCR_AMT", 'N', 8, 2)
      .Field("HR_AMT", 'B', 8, 2)
      .Row({"E1", testkit::LeDouble(12.5), "  250.75", testkit::LeDouble(1234.5678)})
      .Write(folder_ / "zuna" / "personnel.dbf");
  QTest::mouseClick(Button("Command1"), Qt::LeftButton);
  EXPECT_EQ(Rows("select emp_code, basic_pay, incr_amt, hr_amt from personnel"),
            (std::vector<std::string>{"E1|12.5|250.75|1234.57"}));
}

TEST(CommaDecimalLocaleGuiTest, DesktopImportKeepsDecimals) {
  std::string error;
  const fs::path locales = testkit::CommaDecimalLocaleFolder(error);
  ASSERT_FALSE(locales.empty()) << error;
  // A fresh desktop program started under the locale: QApplication takes it from the
  // environment, as it does for the operator.
  const auto [status, out] = testkit::RunCommand(
      "LOCPATH='" + locales.string() + "' LC_ALL=" + testkit::kCommaDecimalLocale +
      " ZUNA_EXPECT_DECIMAL_POINT=, '" + fs::read_symlink("/proc/self/exe").string() +
      "' --gtest_filter=GuiTest.DecimalsArriveWhateverTheProcessLocale");
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("[  PASSED  ] 1 test."), std::string::npos) << out;
}

TEST_F(GuiTest, ReportExitBringsBackAFreshMainWindow) {
  PrepareDatabase();
  QTest::mouseClick(Button("Command1"), Qt::LeftButton);
  ASSERT_FALSE(Button("Command1")->isEnabled());
  QTest::mouseClick(Button("cmd_gen"), Qt::LeftButton);
  ASSERT_NE(app_->report_window(), nullptr);
  QTest::mouseClick(Button("Command5"), Qt::LeftButton);  // EXIT unloads only the main window
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(app_->main_window(), nullptr);
  ASSERT_NE(app_->report_window(), nullptr);
  QTest::mouseClick(app_->report_window()->exit_button(), Qt::LeftButton);
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(app_->report_window(), nullptr);
  ASSERT_NE(app_->main_window(), nullptr);
  EXPECT_TRUE(Button("Command1")->isEnabled());  // loaded anew, in its start state
  // The next Generate Report computes the report anew.
  QTest::mouseClick(Button("cmd_gen"), Qt::LeftButton);
  EXPECT_EQ(app_->report_loads(), 2);
}

TEST(MessageBoxTest, IconsAndTitlesFollowTheMessage) {
  auto plain = MakeMessageBox(nullptr, "Completed", MessageIcon::kNone, MessageTitle::kDefault);
  EXPECT_EQ(plain->icon(), QMessageBox::NoIcon);
  EXPECT_EQ(plain->windowTitle(), "Data Transfer");
  EXPECT_EQ(plain->standardButtons(), QMessageBox::Ok);
  auto info =
      MakeMessageBox(nullptr, "Create DSN 'pay'", MessageIcon::kInformation, MessageTitle::kZuna);
  EXPECT_EQ(info->icon(), QMessageBox::Information);
  EXPECT_EQ(info->windowTitle(), "ZUNA");
  auto critical =
      MakeMessageBox(nullptr, "DDO Code:(3)", MessageIcon::kCritical, MessageTitle::kZuna);
  EXPECT_EQ(critical->icon(), QMessageBox::Critical);
  EXPECT_EQ(critical->text(), "DDO Code:(3)");
  EXPECT_TRUE(critical->isModal());
}

}  // namespace
}  // namespace zuna::gui

int main(int argc, char** argv) {
  // Widget tests need no display: listing them (test discovery) and running them alike.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("ZUNA_NO_VIEWER", "1");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
