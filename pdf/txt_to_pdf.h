#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/status.h"

namespace zuna {
class Operator;
}

namespace zuna::pdf {

// What a document is asked for: the strings of its information dictionary (UTF-8), its font
// (a standard Type 1 font's name), its rotation and its paper. The defaults are the command
// line's.
struct PdfOptions {
  std::string author;
  std::string creator = "Quillotrane v1.1";
  std::string keywords;
  std::string subject;
  std::string title;
  std::string font_name = "Courier";
  std::int16_t font_size = 8;
  std::int16_t rotation = 0;
  float width_inches = 15;
  float height_inches = 12;
};

// Turns a plain text file into a PDF 1.2 document set in a standard Type 1 font: one text line
// per PDF line, a new page at each form feed and whenever the page is full, long lines wrapped at
// break characters, the page number at the foot of every page. The writer keeps the state of one
// document; a conversion runs to its end before the next starts. Every line of the PDF is
// written through WritePdfLine, which counts the bytes so every offset is exact. The text file's
// bytes pass through unchanged (Windows-1252); the caller's strings are converted to it and
// written as PDF strings and a PDF name that read back exactly (pdf_syntax.h).
//
// Failures are reported to the operator by their description, and the conversion goes on with
// its next step, so even a failed document ends with a page tree and a cross-reference table.
// The first of them stays in failure() for the caller.
class TxtToPdf {
 public:
  explicit TxtToPdf(Operator& op) : operator_(op) {}

  // The whole conversion: replaces an existing PDF, writes header, information, resources, the
  // pages and the closing objects, opens the PDF in the viewer and restores the pointer.
  void ConvertTextToPdf(const std::filesystem::path& text_path,
                        const std::filesystem::path& pdf_path, const PdfOptions& options);

  // Turns the options' font, rotation and paper into page geometry and resets the counters.
  // Fails for a font size below 1, a font name holding NUL, and paper too small to hold two
  // characters of a line or too large to measure.
  Status SetPdfOptions(const PdfOptions& options);

  // Appends one line and its CR to the output buffer; the buffer goes to the file once it holds
  // more than 32,000 characters or when `flush` is set.
  void WritePdfLine(std::string_view line, bool flush = false);

  // Appends `bytes` exactly, counted like a line but with no CR added.
  void WritePdfBytes(std::string_view bytes, bool flush = false);

  // True when the file exists and holds at least one byte.
  static bool FileHasContent(const std::filesystem::path& path);

  // Every occurrence of `find` replaced; the search goes on after each replacement, so the
  // replacement is never searched again. `find` is not empty.
  static std::string ReplaceAll(std::string_view text, std::string_view find,
                                std::string_view replacement);

  // The steps of a document, in the order ConvertTextToPdf calls them.
  void WritePdfHeader();
  void WriteInfoAndResources();
  void WritePages();
  std::int64_t BeginPage();
  void EndPage(std::int64_t start);
  void FinishDocument();

  // The creation date written into the information dictionary; the local time when unset.
  void set_clock(std::function<std::string()> creation_date) {
    creation_date_ = std::move(creation_date);
  }

  // Geometry and counters, for tests and callers that check a document.
  int page_height() const { return page_height_; }
  int page_width() const { return page_width_; }
  int characters_per_line() const { return characters_per_line_; }
  int lines_per_page() const { return line_limit_; }
  std::int64_t running_offset() const { return running_offset_; }
  int page_count() const { return page_counter_; }
  // True when a step of the last conversion reported a failure.
  bool failed() const { return !failure_.ok(); }
  // The first failure the last conversion reported to the operator (Ok when there was none), so
  // a caller can tell a document written whole from one that is not.
  const Status& failure() const { return failure_; }

 private:
  void ReportFailure(const Status& status);
  // Appends the buffer to the file once it holds more than a chunk, or when `flush` is set.
  void FlushIfDue(bool flush);
  void WritePageNumber();
  void WriteTextLine(std::string_view text);
  void RecordOffset(int object);
  int NextObject() { return ++object_counter_; }
  bool PageTestSaysBreak(std::string_view line) const;

  Operator& operator_;
  std::function<std::string()> creation_date_;

  std::filesystem::path text_path_;
  std::filesystem::path pdf_path_;
  std::string author_, creator_, keywords_, subject_, title_;
  std::string font_name_;
  std::int64_t font_size_units_ = 0;  // font size in ten-thousandths
  std::int64_t leading_units_ = 0;    // font size × 1.2, in ten-thousandths
  std::int16_t rotation_ = 0;
  int page_height_ = 0;
  int page_width_ = 0;
  double page_number_x_ = 0;
  int line_limit_ = 0;
  int characters_per_line_ = 0;

  std::int64_t running_offset_ = 0;
  int object_counter_ = 0;
  int page_counter_ = 0;
  int line_counter_ = 0;
  std::vector<std::int64_t> object_offsets_;  // entry n: where object n starts
  std::vector<int> page_objects_;             // entry k: the object of page k
  std::string buffer_;
  bool chunk_failure_reported_ = false;
  Status failure_;
};

// The document's fixed object numbers and layout constants.
inline constexpr int kInfoObject = 1;
inline constexpr int kCatalogObject = 2;
inline constexpr int kPageTreeObject = 3;
inline constexpr int kFontObject = 4;
inline constexpr int kEncodingObject = 5;
inline constexpr int kResourcesObject = 6;
inline constexpr std::size_t kChunkCharacters = 32000;
inline constexpr int kPageNumberY = 25;
inline constexpr int kTopMargin = 40;  // the text matrix starts this far below the top
inline constexpr int kLeftMargin = 50;

}  // namespace zuna::pdf
