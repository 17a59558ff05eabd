#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/base/status.h"
#include "platform/base/value.h"
#include "platform/dbf/memo_file.h"
#include "platform/dbf/table_header.h"
#include "platform/text/code_page_decoder.h"

namespace zuna::dbf {

// What the field decoders of one table share: the table's file, for messages; the decoder of its
// code page; its memo file, when it has memo fields; and what they report.
struct FieldDecoding {
  std::filesystem::path path;
  text::CodePageDecoder text;
  std::unique_ptr<MemoFile> memo;
  std::string memo_scratch;
  std::uint64_t undecodable_fields = 0;  // values with bytes the code page lacks
  // The fields of the record decoded last that hold no value that can be read, as (column
  // index, error).
  std::vector<std::pair<int, Status>> field_errors;
};

// Decodes the stored bytes `raw` of column `index` into `out`. A value or memo that cannot be
// read leaves `out` null and is added to `decoding.field_errors` with its stored bytes: never a
// null that the date rule or the target would take for a blank.
using FieldDecoder = void (*)(FieldDecoding& decoding, int index, const Field& field,
                              std::string_view raw, Value& out);

// The decoder of the fields of `type` in a table of `version`: B is a double in Visual FoxPro and
// a memo block number in the older tables. A type without a decoder of its own gives its bytes.
FieldDecoder DecoderFor(char type, std::uint8_t version);

}  // namespace zuna::dbf
