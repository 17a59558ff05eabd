#include "pdf/txt_to_pdf.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/dbf_builder.h"
#include "tests/support/recording_operator.h"
#include "tests/support/run_command.h"

namespace zuna::pdf {
namespace {

using testkit::ReadFile;
using testkit::WriteFile;

// The command line's options with the font, size and paper given, and no creator unless asked.
PdfOptions Page(std::string font = "Courier", int size = 8, float width = 15, float height = 12,
                std::string creator = "") {
  PdfOptions options;
  options.font_name = std::move(font);
  options.font_size = static_cast<std::int16_t>(size);
  options.width_inches = width;
  options.height_inches = height;
  options.creator = std::move(creator);
  return options;
}

class TxtToPdfTest : public ::testing::Test {
 protected:
  // Converts `text` with the report's settings (or the given font and width) and returns the
  // PDF's bytes, after checking the document's structure.
  std::string Convert(const std::string& text, std::string font = "Courier", int size = 8,
                      float width = 15, float height = 12) {
    WriteFile(folder_ / "in", text);
    TxtToPdf writer(operator_);
    writer.set_clock([] { return std::string("D:20261208150000"); });
    writer.ConvertTextToPdf(folder_ / "in", folder_ / "report.pdf",
                            Page(font, size, width, height, "Quillotrane v1.1"));
    const std::string pdf = ReadFile(folder_ / "report.pdf");
    EXPECT_EQ(writer.running_offset(), static_cast<std::int64_t>(pdf.size()));
    CheckStructure(pdf);
    return pdf;
  }

  // Every cross-reference entry points at its object, startxref at the xref line, and every
  // stream length object holds its stream's byte count.
  static void CheckStructure(const std::string& pdf) {
    const std::size_t startxref = pdf.rfind("startxref\r");
    ASSERT_NE(startxref, std::string::npos);
    const long xref = std::stol(pdf.substr(startxref + 10));
    ASSERT_EQ(pdf.compare(static_cast<std::size_t>(xref), 5, "xref\r"), 0);
    std::size_t pos = static_cast<std::size_t>(xref) + 5;
    const std::size_t count_end = pdf.find('\r', pos);
    const int size = std::stoi(pdf.substr(pos + 2, count_end - pos - 2));
    pos = count_end + 1 + 20;  // past the free entry
    for (int n = 1; n < size; ++n, pos += 20) {
      const long offset = std::stol(pdf.substr(pos, 10));
      const std::string header = std::to_string(n) + " 0 obj\r";
      EXPECT_EQ(pdf.compare(static_cast<std::size_t>(offset), header.size(), header), 0)
          << "object " << n;
    }
    for (std::size_t s = pdf.find("stream\r\n"); s != std::string::npos;
         s = pdf.find("stream\r\n", s + 1)) {
      if (s > 0 && pdf[s - 1] == 'd') continue;  // "endstream"
      const std::size_t data = s + 8;
      const std::size_t end = pdf.find("endstream\r", data);
      const std::size_t length_obj = end + 10 + 7;  // "endobj\r"
      const std::size_t value_start = pdf.find('\r', length_obj) + 1;
      EXPECT_EQ(std::stol(pdf.substr(value_start)), static_cast<long>(end - data));
    }
  }

  // qpdf's own check must find neither errors nor warnings.
  void ExpectQpdfClean() {
    const auto [status, out] =
        testkit::RunCommand("qpdf --check '" + (folder_ / "report.pdf").string() + "'");
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(out.find("WARNING"), std::string::npos) << out;
    EXPECT_NE(out.find("No syntax or stream encoding errors"), std::string::npos) << out;
  }

  // What pdfinfo reads back for `key` ("Title", "Author"...), in UTF-8, or "<none>".
  std::string InfoEntry(const std::string& key) {
    const std::string out =
        "\n" + testkit::RunCommand("pdfinfo -enc UTF-8 '" + (folder_ / "report.pdf").string() + "'")
                   .second;
    const std::size_t at = out.find("\n" + key + ":");
    if (at == std::string::npos) return "<none>";
    const std::size_t value = out.find_first_not_of(' ', at + key.size() + 2);
    return out.substr(value, out.find('\n', value) - value);
  }

  // Converts a short text with the given metadata and font, and returns the PDF's bytes.
  std::string ConvertWithInfo(const std::string& title, const std::string& author,
                              const std::string& subject, const std::string& keywords,
                              const std::string& creator, const std::string& font = "Courier") {
    WriteFile(folder_ / "in", "text\r\n");
    TxtToPdf writer(operator_);
    PdfOptions options = Page(font, 8, 15, 12, creator);
    options.author = author;
    options.keywords = keywords;
    options.subject = subject;
    options.title = title;
    writer.ConvertTextToPdf(folder_ / "in", folder_ / "report.pdf", options);
    EXPECT_TRUE(writer.failure().ok()) << writer.failure().ToString();
    const std::string pdf = ReadFile(folder_ / "report.pdf");
    CheckStructure(pdf);
    return pdf;
  }

  std::string PdfToText() {
    return testkit::RunCommand("pdftotext -layout '" + (folder_ / "report.pdf").string() + "' -")
        .second;
  }

  static int Count(const std::string& haystack, const std::string& needle) {
    int n = 0;
    for (std::size_t p = haystack.find(needle); p != std::string::npos;
         p = haystack.find(needle, p + 1)) {
      ++n;
    }
    return n;
  }

  testkit::TempFolder folder_;
  testkit::RecordingOperator operator_;
};

TEST_F(TxtToPdfTest, EmptyTextGivesOnePageWithOnlyItsNumberByteForByte) {
  const std::string pdf = Convert("");
  std::string expected =
      "%PDF-1.2\r%\xE2\xE3\xCF\xD3\r"
      "1 0 obj\r<<\r/Author ()\r/CreationDate (D:20261208150000)\r/Creator (Quillotrane v1.1)\r"
      "/Producer (Quillotrane)\r/Title ()\r/Subject ()\r/Keywords ()\r>>\rendobj\r"
      "4 0 obj\r<<\r/Type /Font\r/Subtype /Type1\r/Name /F1\r/Encoding 5 0 R\r"
      "/BaseFont /Courier\r>>\rendobj\r"
      "5 0 obj\r<<\r/Type /Encoding\r/BaseEncoding /WinAnsiEncoding\r>>\rendobj\r"
      "6 0 obj\r<<\r  /Font << /F1 4 0 R >>\r  /ProcSet [ /PDF /Text ]\r>>\rendobj\r"
      "7 0 obj\r<<\r/Type /Page\r/Parent 3 0 R\r/Resources 6 0 R\r/Contents 8 0 R\r/Rotate 0\r"
      ">>\rendobj\r"
      "8 0 obj\r<<\r/Length 9 0 R\r>>\rstream\r\n"
      "BT\r/F1 8 Tf\r1 0 0 1 50 824 Tm\r9.6 TL\r1 0 0 1 540 25 Tm\r(1) Tj\r/F1 8 Tf\rET\r"
      "endstream\rendobj\r"
      "9 0 obj\r74\rendobj\r"
      "2 0 obj\r<<\r/Type /Catalog\r/Pages 3 0 R\r>>\rendobj\r"
      "3 0 obj\r<<\r/Type /Pages\r/Count 1\r/MediaBox [ 0 0 1080 864 ]\r/Kids [ 7 0 R ]\r>>\r"
      "endobj\r";
  const std::size_t xref = expected.size();
  std::string table = "xref\r0 10\r0000000000 65535 f \r";
  for (const std::string object : {"1 0 obj", "2 0 obj", "3 0 obj", "4 0 obj", "5 0 obj", "6 0 obj",
                                   "7 0 obj", "8 0 obj", "9 0 obj"}) {
    char entry[32];
    std::snprintf(entry, sizeof entry, "%010zu 00000 n \r", expected.find(object + "\r"));
    table += entry;
  }
  expected += table + "trailer\r<<\r/Size 10\r/Root 2 0 R\r/Info 1 0 R\r>>\rstartxref\r" +
              std::to_string(xref) + "\r%%EOF\r";
  EXPECT_EQ(pdf, expected);
  ExpectQpdfClean();
  EXPECT_EQ(operator_.opened, (std::vector<std::filesystem::path>{folder_ / "report.pdf"}));
  EXPECT_EQ(operator_.pointer_restored, 1);
}

TEST_F(TxtToPdfTest, ParenthesesAndBackslashesAreEscaped) {
  const std::string pdf = Convert("(a)\r\na\\)b\r\n");
  EXPECT_NE(pdf.find("T* (\\(a\\)\r\n) Tj\r"), std::string::npos);
  EXPECT_NE(pdf.find("T* (a\\\\\\)b\r\n) Tj\r"), std::string::npos);
  ExpectQpdfClean();
  EXPECT_NE(PdfToText().find("a\\)b"), std::string::npos);
}

TEST_F(TxtToPdfTest, FormFeedStartsANewPage) {
  const std::string pdf = Convert("first\r\n\fsecond\r\n");
  EXPECT_NE(pdf.find("/Count 2\r"), std::string::npos);
  EXPECT_NE(pdf.find("/Kids [ 7 0 R 10 0 R ]\r"), std::string::npos);
  EXPECT_NE(pdf.find("(2) Tj\r"), std::string::npos);
  ExpectQpdfClean();
  const std::string text = PdfToText();
  EXPECT_LT(text.find("first"), text.find("second"));
}

TEST_F(TxtToPdfTest, LongLineWrapsAfterTheLastBreakCharacterInItsSecondHalf) {
  std::string line(250, 'x');
  line[149] = ' ';  // position 150
  const std::string pdf = Convert(line + "\r\n");
  EXPECT_NE(pdf.find("T* (" + line.substr(0, 150) + "\r\n) Tj\r"), std::string::npos);
  EXPECT_NE(pdf.find("T* (" + line.substr(150) + "\r\n) Tj\r"), std::string::npos);
  ExpectQpdfClean();
}

TEST_F(TxtToPdfTest, LineOfExactlyTheWidthIsNotWrappedAndALongerOneIsCutHard) {
  const std::string exact(202, 'e');
  const std::string hard(300, 'h');
  const std::string pdf = Convert(exact + "\r\n" + hard + "\r\n");
  EXPECT_NE(pdf.find("T* (" + exact + "\r\n) Tj\r"), std::string::npos);
  EXPECT_NE(pdf.find("T* (" + hard.substr(0, 202) + "\r\n) Tj\r"), std::string::npos);
  EXPECT_NE(pdf.find("T* (" + hard.substr(0, 98) + "\r\n) Tj\r"), std::string::npos);
}

TEST_F(TxtToPdfTest, HardCutNeverPartsAnEscapePair) {
  // 199 a's and "()b": escaped, characters 200..203 are \( \) and the cut at 202 would leave a
  // lone backslash; it falls one character earlier instead.
  const std::string pdf = Convert(std::string(199, 'a') + "()b\r\n");
  EXPECT_NE(pdf.find("T* (" + std::string(199, 'a') + "\\(\r\n) Tj\r"), std::string::npos);
  EXPECT_NE(pdf.find("T* (\\)b\r\n) Tj\r"), std::string::npos);
  ExpectQpdfClean();
  EXPECT_NE(PdfToText().find(std::string(199, 'a') + "(\n"), std::string::npos);
}

TEST_F(TxtToPdfTest, FontNameChoosesTheWidthFactor) {
  WriteFile(folder_ / "in", "");
  TxtToPdf writer(operator_);
  ASSERT_TRUE(writer.SetPdfOptions(Page("Courier")).ok());
  EXPECT_EQ(writer.characters_per_line(), 202);  // 202.5, halves to even
  ASSERT_TRUE(writer.SetPdfOptions(Page("COURIER")).ok());
  EXPECT_EQ(writer.characters_per_line(), 202);
  ASSERT_TRUE(writer.SetPdfOptions(Page("Courier-Bold")).ok());
  EXPECT_EQ(writer.characters_per_line(), 297);
  ASSERT_TRUE(writer.SetPdfOptions(Page("Arial", 10, 8.5f, 11)).ok());
  EXPECT_EQ(writer.characters_per_line(), 122);
  EXPECT_EQ(writer.page_height(), 792);
  EXPECT_EQ(writer.page_width(), 612);
}

TEST_F(TxtToPdfTest, OptionsThatCannotMakeAPageAreRefused) {
  TxtToPdf writer(operator_);
  EXPECT_FALSE(writer.SetPdfOptions(Page("Courier", 0)).ok());
  EXPECT_FALSE(writer.SetPdfOptions(Page("Courier", 8, 0.01f)).ok());
  EXPECT_FALSE(writer.SetPdfOptions(Page("Courier", 8, 15, 4e8f)).ok());

  WriteFile(folder_ / "in", "text\r\n");
  writer.ConvertTextToPdf(folder_ / "in", folder_ / "none.pdf", Page("Courier", 0));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "none.pdf"));
  ASSERT_EQ(operator_.messages.size(), 1u);
  EXPECT_NE(operator_.messages[0].find("font size 0"), std::string::npos);
  EXPECT_TRUE(operator_.opened.empty());
}

TEST_F(TxtToPdfTest, TextStaysOnThePage) {
  // 81 lines of 9.6 points fit between the top text position and one leading above the page
  // number; the 82nd starts page 2 instead of running off the paper.
  std::string text;
  for (int i = 1; i <= 82; ++i) text += "line " + std::to_string(i) + "\r\n";
  const std::string pdf = Convert(text);
  EXPECT_NE(pdf.find("/Count 2\r"), std::string::npos);
  const std::size_t second_page = pdf.find("10 0 obj\r");
  EXPECT_GT(pdf.find("T* (line 82\r"), second_page);
  EXPECT_LT(pdf.find("T* (line 81\r"), second_page);
  ExpectQpdfClean();
}

TEST_F(TxtToPdfTest, ReportPagesOfFiftyRowsComeOutAsBefore) {
  // The report breaks with a form feed every 50 rows, well inside the page.
  std::string text = "\r\n\r\nheader\r\n";
  for (int page = 0; page < 3; ++page) {
    for (int i = 0; i < 50; ++i) text += "row\r\n";
    text += "---\r\n\f\r\n---\r\n";
  }
  const std::string pdf = Convert(text);
  EXPECT_EQ(Count(pdf, "/Type /Page\r"), 4);
}

TEST_F(TxtToPdfTest, ThreeThousandPagesConvert) {
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "page " + std::to_string(i) + "\r\n\f";
  const std::string pdf = Convert(text);
  EXPECT_NE(pdf.find("/Count 3001\r"), std::string::npos);
  EXPECT_NE(pdf.find("/Size 9010\r"), std::string::npos);
  EXPECT_TRUE(operator_.messages.empty());
}

TEST_F(TxtToPdfTest, AnExistingPdfIsReplacedNotAppendedTo) {
  WriteFile(folder_ / "report.pdf", std::string(100000, 'x'));
  const std::string pdf = Convert("fresh\r\n");
  EXPECT_EQ(pdf.rfind("%PDF-1.2", 0), 0u);
  EXPECT_EQ(pdf.find('x' + std::string(10, 'x')), std::string::npos);
}

TEST_F(TxtToPdfTest, LargeDocumentIsWrittenInChunksWithExactOffsets) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "a line of the text number " + std::to_string(i) + "\r\n";
  Convert(text);
  ExpectQpdfClean();
  const std::string extracted = PdfToText();
  EXPECT_NE(extracted.find("a line of the text number 4999"), std::string::npos);
  EXPECT_NE(extracted.find("a line of the text number 0"), std::string::npos);
}

TEST_F(TxtToPdfTest, MissingTextFileGivesAnEmptyPageTree) {
  TxtToPdf writer(operator_);
  writer.ConvertTextToPdf(folder_ / "absent", folder_ / "report.pdf", Page());
  const std::string pdf = ReadFile(folder_ / "report.pdf");
  EXPECT_NE(pdf.find("/Count 0\r"), std::string::npos);
  EXPECT_NE(pdf.find("/Kids [ ]\r"), std::string::npos);
  ASSERT_EQ(operator_.messages.size(), 1u);
  EXPECT_NE(operator_.messages[0].find("absent"), std::string::npos);
  CheckStructure(pdf);
}

TEST_F(TxtToPdfTest, ALostChunkIsReportedOnceAndTheConversionEnds) {
  // A folder where the PDF should be: every append fails.
  std::filesystem::create_directory(folder_ / "report.pdf");
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "line " + std::to_string(i) + "\r\n";
  WriteFile(folder_ / "in", text);
  TxtToPdf writer(operator_);
  writer.ConvertTextToPdf(folder_ / "in", folder_ / "report.pdf", Page());
  ASSERT_EQ(operator_.messages.size(), 1u);
  EXPECT_NE(operator_.messages[0].find("report.pdf"), std::string::npos);
  EXPECT_EQ(operator_.pointer_restored, 1);
  // The caller learns the same failure the operator was shown.
  EXPECT_EQ(writer.failure().description(), operator_.messages[0]);
  EXPECT_NE(writer.failure().number(), 0);
}

TEST_F(TxtToPdfTest, MetadataWithDelimitersAndBackslashesReadsBackExactly) {
  const std::string pdf = ConvertWithInfo("Q1 (draft", "a\\b", "(x) \\(y\\) ((", "k)", "c\\");
  EXPECT_NE(pdf.find("/Title (Q1 \\(draft)\r"), std::string::npos);
  EXPECT_NE(pdf.find("/Author (a\\\\b)\r"), std::string::npos);
  ExpectQpdfClean();
  EXPECT_EQ(InfoEntry("Title"), "Q1 (draft");
  EXPECT_EQ(InfoEntry("Author"), "a\\b");
  EXPECT_EQ(InfoEntry("Subject"), "(x) \\(y\\) ((");
  EXPECT_EQ(InfoEntry("Keywords"), "k)");
  EXPECT_EQ(InfoEntry("Creator"), "c\\");
}

TEST_F(TxtToPdfTest, MetadataWithWindows1252LettersReadsBackExactly) {
  // é and ü read the same in PDFDocEncoding and stay literal; €, Š and the curly quotes do not,
  // and go as UTF-16.
  const std::string pdf =
      ConvertWithInfo("Gehälter (März)", "José Müller", "Prämie € 5 – „Š“", "ñ", "Ÿ");
  EXPECT_NE(pdf.find("/Title (Geh\xE4lter \\(M\xE4rz\\))\r"), std::string::npos);
  EXPECT_NE(pdf.find("/Subject <FEFF"), std::string::npos);
  ExpectQpdfClean();
  EXPECT_EQ(InfoEntry("Title"), "Gehälter (März)");
  EXPECT_EQ(InfoEntry("Author"), "José Müller");
  EXPECT_EQ(InfoEntry("Subject"), "Prämie € 5 – „Š“");
  EXPECT_EQ(InfoEntry("Keywords"), "ñ");
  EXPECT_EQ(InfoEntry("Creator"), "Ÿ");
}

TEST_F(TxtToPdfTest, MetadataLineBreaksAreEscapedSoTheyStayAsWritten) {
  const std::string pdf = ConvertWithInfo("one\r\ntwo", "", "", "", "");
  EXPECT_NE(pdf.find("/Title (one\\r\\ntwo)\r"), std::string::npos);
  ExpectQpdfClean();
}

TEST_F(TxtToPdfTest, TheReportsOwnMetadataAndFontAreWrittenAsBefore) {
  const std::string pdf = ConvertWithInfo("", "", "", "", "Quillotrane v1.1");
  EXPECT_NE(pdf.find("/Author ()\r/CreationDate (D:"), std::string::npos);
  EXPECT_NE(pdf.find("/Creator (Quillotrane v1.1)\r/Producer (Quillotrane)\r/Title ()\r"
                     "/Subject ()\r/Keywords ()\r"),
            std::string::npos);
  EXPECT_NE(pdf.find("/BaseFont /Courier\r"), std::string::npos);
}

TEST_F(TxtToPdfTest, AFontNameIsWrittenAsAPdfName) {
  const std::string pdf = ConvertWithInfo("", "", "", "", "", "Courier Bold");
  EXPECT_NE(pdf.find("/BaseFont /Courier#20Bold\r"), std::string::npos);
  ExpectQpdfClean();
  const std::string fonts =
      testkit::RunCommand("pdffonts '" + (folder_ / "report.pdf").string() + "'").second;
  EXPECT_NE(fonts.find("\nCourier Bold "), std::string::npos) << fonts;
  const std::string odd = ConvertWithInfo("", "", "", "", "", "A(b)/c#d%\xC3\xA9");
  EXPECT_NE(odd.find("/BaseFont /A#28b#29#2Fc#23d#25#E9\r"), std::string::npos);
  ExpectQpdfClean();
}

TEST_F(TxtToPdfTest, AFontNameHoldingNulIsRefused) {
  WriteFile(folder_ / "in", "text\r\n");
  TxtToPdf writer(operator_);
  writer.ConvertTextToPdf(folder_ / "in", folder_ / "report.pdf",
                          Page(std::string("Cour\0ier", 8)));
  EXPECT_FALSE(writer.failure().ok());
  EXPECT_FALSE(std::filesystem::exists(folder_ / "report.pdf"));
}

TEST_F(TxtToPdfTest, ThePageNumberPositionIsAPlainNumberOnAWidePage) {
  // 2777.7778 inches make 200000 points; the number stands at 100000, which the shortest
  // form would write 1e+05, a token PDF does not know.
  const std::string pdf = Convert("wide\r\n", "Courier", 8, 2777.7778f, 12);
  EXPECT_NE(pdf.find("/MediaBox [ 0 0 200000 864 ]\r"), std::string::npos);
  EXPECT_NE(pdf.find("1 0 0 1 100000 25 Tm\r"), std::string::npos);
}

TEST_F(TxtToPdfTest, ThePdfCommandEscapesWhatItIsGiven) {
  WriteFile(folder_ / "in", "text\r\n");
  const auto [status, out] = testkit::RunCommand(
      "ZUNA_NO_VIEWER=1 '" + std::string(ZUNA_TRANSFER) + "' pdf '" + (folder_ / "in").string() +
      "' '" + (folder_ / "report.pdf").string() +
      "' --title 'Q1 (draft' --font 'Courier Bold' --author 'a\\b' --subject 'Prämie'");
  EXPECT_EQ(status, 0) << out;
  ExpectQpdfClean();
  EXPECT_EQ(InfoEntry("Title"), "Q1 (draft");
  EXPECT_EQ(InfoEntry("Author"), "a\\b");
  EXPECT_EQ(InfoEntry("Subject"), "Prämie");
  EXPECT_NE(ReadFile(folder_ / "report.pdf").find("/BaseFont /Courier#20Bold\r"),
            std::string::npos);
}

TEST(ReplaceAllTest, ReplacementIsNeverSearchedAgain) {
  EXPECT_EQ(TxtToPdf::ReplaceAll("a(b(", "(", "\\("), "a\\(b\\(");
  EXPECT_EQ(TxtToPdf::ReplaceAll("aaa", "a", "aa"), "aaaaaa");
  EXPECT_EQ(TxtToPdf::ReplaceAll("", "x", "y"), "");
}

}  // namespace
}  // namespace zuna::pdf
