// zuna-transfer pdf TEXTFILE PDFFILE [--font NAME] [--size N] [--rotate N] [--width INCHES]
//   [--height INCHES] [--title T] [--author A] [--subject S] [--keywords K] [--creator C]
#include <charconv>
#include <string>

#include "app/cli/cli.h"
#include "pdf/txt_to_pdf.h"

namespace zuna::cli {
namespace {

template <typename Number>
bool ParseNumber(const std::string& text, Number& out) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

int RunPdf(const CommandContext& context) {
  const auto& args = context.invocation.arguments;
  std::vector<std::string> files;
  std::string font = "Courier", title, author, subject, keywords, creator = "Quillotrane v1.1";
  int size = 8, rotate = 0;
  float width = 15, height = 12;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!arg.starts_with("--")) {
      files.push_back(arg);
      continue;
    }
    if (i + 1 >= args.size()) return UsageError("pdf", arg + " needs a value");
    const std::string& value = args[++i];
    bool good = true;
    if (arg == "--font") {
      font = value;
    } else if (arg == "--size") {
      good = ParseNumber(value, size) && size >= -32768 && size <= 32767;
    } else if (arg == "--rotate") {
      good = ParseNumber(value, rotate) && rotate >= -32768 && rotate <= 32767;
    } else if (arg == "--width") {
      good = ParseNumber(value, width);
    } else if (arg == "--height") {
      good = ParseNumber(value, height);
    } else if (arg == "--title") {
      title = value;
    } else if (arg == "--author") {
      author = value;
    } else if (arg == "--subject") {
      subject = value;
    } else if (arg == "--keywords") {
      keywords = value;
    } else if (arg == "--creator") {
      creator = value;
    } else {
      return UsageError("pdf", "unknown option " + arg);
    }
    if (!good) return UsageError("pdf", arg + " needs a number, not \"" + value + "\"");
  }
  if (files.size() != 2) return UsageError("pdf", "needs TEXTFILE and PDFFILE");

  pdf::TxtToPdf writer(context.op);
  writer.ConvertTextToPdf(files[0], files[1], author, creator, keywords, subject, title, font,
                          static_cast<std::int16_t>(size), static_cast<std::int16_t>(rotate), width,
                          height);
  return writer.failed() ? kExitFailed : kExitDone;
}

}  // namespace zuna::cli
