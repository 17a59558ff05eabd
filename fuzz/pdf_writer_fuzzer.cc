// The text-to-PDF writer on arbitrary text bytes and options. Input: a font choice, the font
// size, the paper width and height in tenths of an inch, then the text. Every document must end
// with its running offset equal to the size of the file, and a cross-reference table that
// starts where startxref says.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "fuzz/fuzz_folder.h"
#include "pdf/txt_to_pdf.h"
#include "platform/operator/operator.h"

namespace {

class Silent : public zuna::Operator {
 public:
  void ShowMessage(std::string_view, zuna::MessageIcon, zuna::MessageTitle) override {}
  void ShowError(const zuna::Status&) override {}
};

std::string Read(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  static constexpr const char* kFonts[] = {"Courier", "COURIER", "Arial", "Courier-Bold"};
  const char* font = kFonts[data[0] % 4];
  const auto font_size = static_cast<std::int16_t>(static_cast<std::int8_t>(data[1]));
  const float width = static_cast<float>(data[2]) / 10.0f;
  const float height = static_cast<float>(data[3]) / 10.0f;
  const auto& folder = zuna::fuzz::Folder();
  zuna::fuzz::WriteBytes(folder / "in.txt",
                         std::string_view(reinterpret_cast<const char*>(data) + 4, size - 4));
  Silent op;
  zuna::pdf::TxtToPdf writer(op);
  writer.set_clock([] { return std::string("D:20261208000000"); });
  writer.ConvertTextToPdf(folder / "in.txt", folder / "out.pdf", "", "", "", "", "", font,
                          font_size, 0, width, height);
  if (writer.failed()) return 0;
  const std::string pdf = Read(folder / "out.pdf");
  if (static_cast<std::int64_t>(pdf.size()) != writer.running_offset()) std::abort();
  const std::size_t startxref = pdf.rfind("startxref\r");
  if (startxref == std::string::npos) std::abort();
  const long xref = std::strtol(pdf.c_str() + startxref + 10, nullptr, 10);
  if (pdf.compare(static_cast<std::size_t>(xref), 5, "xref\r") != 0) std::abort();
  return 0;
}
