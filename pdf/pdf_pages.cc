// The document's pages and closing objects: page and content objects, wrapping, page numbers,
// the catalog, the page tree, the cross-reference table and the trailer.
#include <cstdio>
#include <string>

#include "pdf/pdf_syntax.h"
#include "pdf/txt_to_pdf.h"
#include "platform/base/value.h"
#include "platform/files/file_system.h"

namespace zuna::pdf {

namespace {

// The characters a long line may be broken after.
constexpr std::string_view kBreakCharacters = "*&^%$#,. ;<=>[])}!\"";
constexpr char kFormFeed = '\f';

// A fixed-point number with four decimal places in its shortest form: 8, 9.6.
std::string FixedPoint(std::int64_t units) { return FormatDecimal(units, 4); }

std::string Obj(int n) { return std::to_string(n) + " 0 obj"; }
std::string Ref(int n) { return std::to_string(n) + " 0 R"; }

// Wrapping works on escaped text, where a backslash and the character after it belong
// together. True when cutting `text` after `length` characters would part such a pair.
bool CutSplitsEscape(std::string_view text, std::size_t length) {
  std::size_t i = 0;
  while (i < length) i += text[i] == '\\' ? 2 : 1;
  return i > length;
}

}  // namespace

void TxtToPdf::WriteTextLine(std::string_view text) {
  std::string line = "T* (";
  line.append(text);
  line.append("\r\n) Tj");
  WritePdfLine(line);
}

std::int64_t TxtToPdf::BeginPage() {
  const int page = NextObject();
  RecordOffset(page);
  ++page_counter_;
  page_objects_.push_back(page);
  WritePdfLine(Obj(page));
  WritePdfLine("<<");
  WritePdfLine("/Type /Page");
  WritePdfLine("/Parent " + Ref(kPageTreeObject));
  WritePdfLine("/Resources " + Ref(kResourcesObject));
  const int contents = NextObject();
  WritePdfLine("/Contents " + Ref(contents));
  WritePdfLine("/Rotate " + std::to_string(rotation_));
  WritePdfLine(">>");
  WritePdfLine("endobj");

  RecordOffset(contents);
  WritePdfLine(Obj(contents));
  WritePdfLine("<<");
  WritePdfLine("/Length " + Ref(contents + 1));
  WritePdfLine(">>");
  // A PDF reader needs the stream keyword ended by CR LF, not by a CR alone.
  WritePdfBytes("stream\r\n");
  const std::int64_t start = running_offset_;
  WritePdfLine("BT");
  WritePdfLine("/F1 " + FixedPoint(font_size_units_) + " Tf");
  WritePdfLine("1 0 0 1 " + std::to_string(kLeftMargin) + " " +
               std::to_string(page_height_ - kTopMargin) + " Tm");
  WritePdfLine(FixedPoint(leading_units_) + " TL");
  return start;
}

void TxtToPdf::WritePageNumber() {
  WritePdfLine("1 0 0 1 " + PlainNumber(page_number_x_) + " " + std::to_string(kPageNumberY) +
               " Tm");
  WritePdfLine("(" + std::to_string(page_counter_) + ") Tj");
  WritePdfLine("/F1 " + FixedPoint(font_size_units_) + " Tf");
}

void TxtToPdf::EndPage(std::int64_t start) {
  WritePdfLine("ET");
  const std::int64_t end = running_offset_;
  WritePdfLine("endstream");
  WritePdfLine("endobj");
  const int length = NextObject();
  RecordOffset(length);
  WritePdfLine(Obj(length));
  WritePdfLine(std::to_string(end - start));
  WritePdfLine("endobj");
  line_counter_ = 0;
}

bool TxtToPdf::PageTestSaysBreak(std::string_view line) const {
  return line.find(kFormFeed) != std::string_view::npos || line_counter_ >= line_limit_;
}

void TxtToPdf::WritePages() {
  auto reader = files::LineReader::Open(text_path_);
  if (!reader.ok()) {
    ReportFailure(reader.status());
    return;
  }
  std::int64_t start = BeginPage();
  line_counter_ = -1;
  std::string line;
  const auto width = static_cast<std::size_t>(characters_per_line_);
  const auto new_page = [&] {
    WritePageNumber();
    EndPage(start);
    start = BeginPage();
  };
  while (reader->ReadLine(line)) {
    ++line_counter_;
    if (PageTestSaysBreak(line)) new_page();
    // Backslashes first, so the escapes added for parentheses are not escaped again.
    std::string escaped = ReplaceAll(line, "\\", "\\\\");
    escaped = ReplaceAll(escaped, "(", "\\(");
    escaped = ReplaceAll(escaped, ")", "\\)");
    if (escaped.size() > width) {
      while (escaped.size() > width) {
        std::size_t cut = width;
        for (std::size_t position = width; position >= width / 2 && position > 0; --position) {
          if (kBreakCharacters.find(escaped[position - 1]) != std::string_view::npos) {
            cut = position;
            break;
          }
        }
        if (CutSplitsEscape(escaped, cut)) --cut;
        WriteTextLine(std::string_view(escaped).substr(0, cut));
        escaped.erase(0, cut);
        ++line_counter_;
        if (PageTestSaysBreak(escaped)) new_page();
      }
      ++line_counter_;
    }
    WriteTextLine(escaped);
  }
  WritePageNumber();
  EndPage(start);
}

void TxtToPdf::FinishDocument() {
  RecordOffset(kCatalogObject);
  WritePdfLine(Obj(kCatalogObject));
  WritePdfLine("<<");
  WritePdfLine("/Type /Catalog");
  WritePdfLine("/Pages " + Ref(kPageTreeObject));
  WritePdfLine(">>");
  WritePdfLine("endobj");

  RecordOffset(kPageTreeObject);
  WritePdfLine(Obj(kPageTreeObject));
  WritePdfLine("<<");
  WritePdfLine("/Type /Pages");
  WritePdfLine("/Count " + std::to_string(page_counter_));
  WritePdfLine("/MediaBox [ 0 0 " + std::to_string(page_width_) + " " +
               std::to_string(page_height_) + " ]");
  std::string kids = "/Kids [ ";
  for (int page : page_objects_) kids += Ref(page) + " ";
  kids += "]";
  WritePdfLine(kids);
  WritePdfLine(">>");
  WritePdfLine("endobj");

  const std::int64_t xref = running_offset_;
  const int objects = object_counter_;
  object_offsets_.resize(static_cast<std::size_t>(objects) + 1, 0);
  WritePdfLine("xref");
  WritePdfLine("0 " + std::to_string(objects + 1));
  WritePdfLine("0000000000 65535 f ");
  char entry[32];
  for (int n = 1; n <= objects; ++n) {
    std::snprintf(entry, sizeof entry, "%010lld 00000 n ",
                  static_cast<long long>(object_offsets_[static_cast<std::size_t>(n)]));
    WritePdfLine(entry);
  }
  WritePdfLine("trailer");
  WritePdfLine("<<");
  WritePdfLine("/Size " + std::to_string(objects + 1));
  WritePdfLine("/Root " + Ref(kCatalogObject));
  WritePdfLine("/Info " + Ref(kInfoObject));
  WritePdfLine(">>");
  WritePdfLine("startxref");
  WritePdfLine(std::to_string(xref));
  WritePdfLine("%%EOF", true);
}

}  // namespace zuna::pdf
