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
  const std::vector<std::string>& files = context.invocation.arguments;
  pdf::PdfOptions options;
  int size = options.font_size, rotate = options.rotation;
  for (const auto& [option, value] : context.invocation.command_options) {
    bool good = true;
    if (option == "--font") {
      options.font_name = value;
    } else if (option == "--size") {
      good = ParseNumber(value, size) && size >= -32768 && size <= 32767;
    } else if (option == "--rotate") {
      good = ParseNumber(value, rotate) && rotate >= -32768 && rotate <= 32767;
    } else if (option == "--width") {
      good = ParseNumber(value, options.width_inches);
    } else if (option == "--height") {
      good = ParseNumber(value, options.height_inches);
    } else if (option == "--title") {
      options.title = value;
    } else if (option == "--author") {
      options.author = value;
    } else if (option == "--subject") {
      options.subject = value;
    } else if (option == "--keywords") {
      options.keywords = value;
    } else if (option == "--creator") {
      options.creator = value;
    }
    if (!good) return UsageError("pdf", option + " needs a number, not \"" + value + "\"");
  }
  if (files.size() != 2) return UsageError("pdf", "needs TEXTFILE and PDFFILE");

  pdf::TxtToPdf writer(context.op);
  options.font_size = static_cast<std::int16_t>(size);
  options.rotation = static_cast<std::int16_t>(rotate);
  writer.ConvertTextToPdf(files[0], files[1], options);
  return writer.failed() ? kExitFailed : kExitDone;
}

}  // namespace zuna::cli
