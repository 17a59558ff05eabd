// zuna-transfer-gui: the desktop program.
//   zuna-transfer-gui [--home DIR] [--screenshots DIR] | --help | --version
// --screenshots runs an import and the report without waiting on message boxes and saves both
// windows as PNG files into DIR.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTimer>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "app/gui/application.h"
#include "app/gui/qt_operator.h"
#include "app/version.h"
#include "platform/files/program_folder.h"
#include "platform/sources/data_sources.h"

namespace {

constexpr const char* kUsage =
    "usage: zuna-transfer-gui [--home DIR] [--screenshots DIR]\n"
    "       zuna-transfer-gui --help | --version\n\n"
    "The desktop program of ZUNA data transfer: the main window Data_Transfer and the report\n"
    "window frm_rpt.\n\n"
    "  --home DIR         the program folder (default: $ZUNA_HOME, else the current folder for\n"
    "                     an installed program, else the program's own folder)\n"
    "  --screenshots DIR  run an import and the report without waiting on message boxes and\n"
    "                     save both windows as PNG files into DIR\n"
    "  -h, --help         print this help and exit\n"
    "  -v, --version      print the version and exit\n\n"
    "Qt's own options (-platform NAME, -style NAME, ...) are accepted too.\n";

// --help and --version are answered before the application object exists: it needs a display,
// and a user asking for help on a machine without one must still get it. Returns the exit
// status, or -1 when neither was asked for.
int AnswerHelpOrVersion(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h" || arg == "-?" || arg == "--help-all") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--version" || arg == "-v") {
      std::printf("zuna-transfer-gui %s\n", std::string(zuna::app::kVersion).c_str());
      return 0;
    }
  }
  return -1;
}

// Writes messages to standard output instead of waiting on a box: for unattended screenshots.
class PrintingOperator : public zuna::ConsoleOperator {
 public:
  PrintingOperator() : ConsoleOperator(stdout, stderr) {}
};

}  // namespace

int main(int argc, char** argv) {
  if (const int status = AnswerHelpOrVersion(argc, argv); status >= 0) return status;
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("zuna-transfer-gui"));
  QApplication::setApplicationVersion(
      QString::fromUtf8(zuna::app::kVersion.data(), static_cast<int>(zuna::app::kVersion.size())));
  QCommandLineParser parser;
  parser.addHelpOption();
  parser.addVersionOption();
  QCommandLineOption home(QStringLiteral("home"), QStringLiteral("The program folder."),
                          QStringLiteral("DIR"));
  QCommandLineOption screenshots(QStringLiteral("screenshots"),
                                 QStringLiteral("Save both windows after an import."),
                                 QStringLiteral("DIR"));
  parser.addOption(home);
  parser.addOption(screenshots);
  parser.process(application);

  std::optional<std::filesystem::path> home_folder;
  if (parser.isSet(home)) home_folder = parser.value(home).toStdString();
  const auto program_folder = zuna::files::ResolveProgramFolder(home_folder);
  auto sources = zuna::sources::DataSources::Load(program_folder);

  zuna::gui::QtOperator boxes;
  PrintingOperator printing;
  zuna::Operator& op = parser.isSet(screenshots) ? static_cast<zuna::Operator&>(printing)
                                                 : static_cast<zuna::Operator&>(boxes);
  if (!sources.ok()) {
    op.ShowError(sources.status());
    return 1;
  }
  zuna::gui::Application app(*sources, op);
  app.Start();

  if (parser.isSet(screenshots)) {
    const QDir folder(parser.value(screenshots));
    QTimer::singleShot(200, [&app, folder] {
      auto* main = app.main_window();
      main->grab().save(folder.filePath(QStringLiteral("main-window-start.png")));
      QMetaObject::invokeMethod(main->control(QStringLiteral("Command1")), "click");
      main->grab().save(folder.filePath(QStringLiteral("main-window.png")));
      app.GenerateReport();
      QTimer::singleShot(200, [&app, folder] {
        if (app.report_window()) {
          app.report_window()->grab().save(folder.filePath(QStringLiteral("report-window.png")));
        }
        QApplication::quit();
      });
    });
  }
  return QApplication::exec();
}
