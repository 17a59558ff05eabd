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
  pdf::PdfOptions options;
  int size = options.font_size, rotate = options.rotation;
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
      options.font_name = value;
    } else if (arg == "--size") {
      good = ParseNumber(value, size) && size >= -32768 && size <= 32767;
    } else if (arg == "--rotate") {
      good = ParseNumber(value, rotate) && rotate >= -32768 && rotate <= 32767;
    } else if (arg == "--width") {
      good = ParseNumber(value, options.width_inches);
    } else if (arg == "--height") {
      good = ParseNumber(value, options.height_inches);
    } else if (arg == "--title") {
      options.title = value;
    } else if (arg == "--author") {
      options.author = value;
    } else if (arg == "--subject") {
      options.subject = value;
    } else if (arg == "--keywords") {
      options.keywords = value;
    } else if (arg == "--creator") {
      options.creator = value;
    } else {
      return UsageError("pdf", "unknown option " + arg);
    }
    if (!good) return UsageError("pdf", arg + " needs a number, not \"" + value + "\"");
  }
  if (files.size() != 2) return UsageError("pdf", "needs TEXTFILE and PDFFILE");

  pdf::TxtToPdf writer(context.op);
  options.font_size = static_cast<std::int16_t>(size);
  options.rotation = static_cast<std::int16_t>(rotate);
  writer.ConvertTextToPdf(files[0], files[1], options);
  return writer.failed() ? kExitFailed : kExitDone;
}

}  // namespace zuna::cli
