#include "pdf/txt_to_pdf.h"

#include <cmath>
#include <ctime>
#include <limits>

#include "pdf/pdf_syntax.h"
#include "platform/files/file_system.h"
#include "platform/operator/operator.h"
#include "platform/text/ascii.h"
#include "platform/text/encoding.h"

namespace zuna::pdf {

namespace {

constexpr std::int64_t kFixedPointOne = 10'000;  // four decimal places
constexpr long kErrInvalidCall = 5;              // "Invalid procedure call or argument"
constexpr long kErrOverflow = 6;                 // "Overflow"

// Rounds to the nearest integer, halves to even, as the page size and line width are taken.
double RoundHalfEven(double v) { return std::nearbyint(v); }

std::string LocalCreationDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "D:%Y%m%d%H%M%S", &local);
  return buffer;
}

}  // namespace

void TxtToPdf::ReportFailure(const Status& status) {
  if (failure_.ok()) failure_ = status;
  operator_.ShowMessage(status.description(), MessageIcon::kNone, MessageTitle::kDefault);
}

bool TxtToPdf::FileHasContent(const std::filesystem::path& path) {
  auto length = files::FileLength(path);
  return length.ok() && *length > 0;
}

std::string TxtToPdf::ReplaceAll(std::string_view text, std::string_view find,
                                 std::string_view replacement) {
  std::string out(text);
  std::size_t pos = out.find(find);
  while (pos != std::string::npos) {
    out.replace(pos, find.size(), replacement);
    pos = out.find(find, pos + replacement.size());
  }
  return out;
}

Status TxtToPdf::SetPdfOptions(const PdfOptions& options) {
  const std::string_view font_name = options.font_name;
  const std::int16_t font_size = options.font_size;
  const float width_inches = options.width_inches;
  const float height_inches = options.height_inches;
  const double height = RoundHalfEven(static_cast<double>(height_inches) * 72.0);
  const double width = RoundHalfEven(static_cast<double>(width_inches) * 72.0);
  if (!(height >= 1 && width >= 1 && height <= std::numeric_limits<std::int32_t>::max() &&
        width <= std::numeric_limits<std::int32_t>::max())) {
    return Status(ErrorKind::kInvalidArgument, kErrOverflow,
                  "Overflow: the paper size does not give a page of measurable points");
  }
  if (font_size < 1) {
    return Status(ErrorKind::kInvalidArgument, kErrInvalidCall,
                  "Invalid procedure call or argument: font size " + std::to_string(font_size));
  }
  // A name may hold any byte but NUL, which no PDF name can spell.
  if (font_name.find('\0') != std::string_view::npos) {
    return Status(ErrorKind::kInvalidArgument, kErrInvalidCall,
                  "Invalid procedure call or argument: a font name cannot hold a NUL character");
  }
  page_height_ = static_cast<int>(height);
  page_width_ = static_cast<int>(width);
  font_name_ = text::Utf8ToCp1252(font_name);
  font_size_units_ = std::int64_t{font_size} * kFixedPointOne;
  leading_units_ = font_size_units_ * 12 / 10;
  rotation_ = options.rotation;

  const std::string font = text::LowerAscii(font_name_);
  const double factor = font == "courier" ? 1.5 : font == "arial" ? 2.0 : 2.2;
  const double characters = RoundHalfEven(page_width_ * factor / font_size);
  // A line must hold an escape pair, or wrapping could not make progress.
  if (characters < 2) {
    return Status(ErrorKind::kInvalidArgument, kErrInvalidCall,
                  "Invalid procedure call or argument: a page " + std::to_string(page_width_) +
                      " points wide holds fewer than two characters of size " +
                      std::to_string(font_size));
  }
  characters_per_line_ = static_cast<int>(characters);

  // The page holds the lines between the top text position and a bottom margin that keeps one
  // leading clear above the page number, so no line runs off the page or over its number.
  const std::int64_t top = std::int64_t{page_height_ - kTopMargin} * kFixedPointOne;
  const std::int64_t lowest =
      std::int64_t{kPageNumberY} * kFixedPointOne + font_size_units_ + leading_units_;
  line_limit_ = static_cast<int>(std::max<std::int64_t>(1, (top - lowest) / leading_units_));

  object_counter_ = 0;
  page_counter_ = 0;
  running_offset_ = 0;
  page_number_x_ = page_width_ / 2.0;
  buffer_.clear();
  object_offsets_.clear();
  page_objects_.clear();
  chunk_failure_reported_ = false;
  return Status::Ok();
}

void TxtToPdf::WritePdfLine(std::string_view line, bool flush) {
  running_offset_ += static_cast<std::int64_t>(line.size()) + 1;
  buffer_.append(line);
  buffer_.push_back('\r');
  FlushIfDue(flush);
}

void TxtToPdf::WritePdfBytes(std::string_view bytes, bool flush) {
  running_offset_ += static_cast<std::int64_t>(bytes.size());
  buffer_.append(bytes);
  FlushIfDue(flush);
}

void TxtToPdf::FlushIfDue(bool flush) {
  if (buffer_.size() <= kChunkCharacters && !flush) return;
  const Status written = files::AppendExactly(pdf_path_, buffer_);
  buffer_.clear();
  // A lost chunk corrupts the document: say so once, and let the conversion end.
  if (!written.ok() && !chunk_failure_reported_) {
    chunk_failure_reported_ = true;
    ReportFailure(written);
  }
}

void TxtToPdf::ConvertTextToPdf(const std::filesystem::path& text_path,
                                const std::filesystem::path& pdf_path, const PdfOptions& options) {
  failure_ = Status::Ok();
  if (FileHasContent(pdf_path)) {
    if (Status removed = files::DeleteFile(pdf_path); !removed.ok()) {
      operator_.RestorePointer();
      ReportFailure(removed);
      return;
    }
  }
  if (Status set = SetPdfOptions(options); !set.ok()) {
    operator_.RestorePointer();
    ReportFailure(set);
    return;
  }
  author_ = text::Utf8ToCp1252(options.author);
  creator_ = text::Utf8ToCp1252(options.creator);
  keywords_ = text::Utf8ToCp1252(options.keywords);
  subject_ = text::Utf8ToCp1252(options.subject);
  title_ = text::Utf8ToCp1252(options.title);
  text_path_ = text_path;
  pdf_path_ = pdf_path;

  WritePdfHeader();
  WriteInfoAndResources();
  WritePages();
  FinishDocument();

  operator_.OpenDocument(pdf_path_);
  operator_.RestorePointer();
}

void TxtToPdf::RecordOffset(int object) {
  if (object_offsets_.size() <= static_cast<std::size_t>(object)) {
    object_offsets_.resize(static_cast<std::size_t>(object) + 1, 0);
  }
  object_offsets_[static_cast<std::size_t>(object)] = running_offset_;
}

void TxtToPdf::WritePdfHeader() {
  WritePdfLine("%PDF-1.2");
  WritePdfLine("%\xE2\xE3\xCF\xD3");
}

void TxtToPdf::WriteInfoAndResources() {
  const std::string date = creation_date_ ? creation_date_() : LocalCreationDate();
  const auto obj = [](int n) { return std::to_string(n) + " 0 obj"; };
  const auto ref = [](int n) { return std::to_string(n) + " 0 R"; };

  object_counter_ = kInfoObject;
  RecordOffset(kInfoObject);
  WritePdfLine(obj(kInfoObject));
  WritePdfLine("<<");
  WritePdfLine("/Author " + InfoString(author_));
  WritePdfLine("/CreationDate " + InfoString(date));
  WritePdfLine("/Creator " + InfoString(creator_));
  WritePdfLine("/Producer (Quillotrane)");
  WritePdfLine("/Title " + InfoString(title_));
  WritePdfLine("/Subject " + InfoString(subject_));
  WritePdfLine("/Keywords " + InfoString(keywords_));
  WritePdfLine(">>");
  WritePdfLine("endobj");

  // The catalog and the page tree are numbered now and written last.
  object_counter_ = kResourcesObject;

  RecordOffset(kFontObject);
  WritePdfLine(obj(kFontObject));
  WritePdfLine("<<");
  WritePdfLine("/Type /Font");
  WritePdfLine("/Subtype /Type1");
  WritePdfLine("/Name /F1");
  WritePdfLine("/Encoding " + ref(kEncodingObject));
  WritePdfLine("/BaseFont /" + NameCharacters(font_name_));
  WritePdfLine(">>");
  WritePdfLine("endobj");

  RecordOffset(kEncodingObject);
  WritePdfLine(obj(kEncodingObject));
  WritePdfLine("<<");
  WritePdfLine("/Type /Encoding");
  WritePdfLine("/BaseEncoding /WinAnsiEncoding");
  WritePdfLine(">>");
  WritePdfLine("endobj");

  RecordOffset(kResourcesObject);
  WritePdfLine(obj(kResourcesObject));
  WritePdfLine("<<");
  WritePdfLine("  /Font << /F1 " + ref(kFontObject) + " >>");
  WritePdfLine("  /ProcSet [ /PDF /Text ]");
  WritePdfLine(">>");
  WritePdfLine("endobj");
}

}  // namespace zuna::pdf
