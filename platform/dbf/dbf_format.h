#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Byte layout of dBase III, FoxPro 2.x and Visual FoxPro tables and their memo files.
namespace zuna::dbf::format {

inline constexpr std::size_t kHeaderSize = 32;
inline constexpr std::size_t kFieldDescriptorSize = 32;
inline constexpr std::size_t kFieldNameSize = 11;
inline constexpr std::uint8_t kHeaderTerminator = 0x0D;
// Visual FoxPro's header ends with the path of the table's database (.dbc), zeros for a free
// table, after the terminator.
inline constexpr std::size_t kBacklinkSize = 263;

// Offsets inside the table header.
inline constexpr std::size_t kVersionOffset = 0;
inline constexpr std::size_t kRecordCountOffset = 4;
inline constexpr std::size_t kHeaderLengthOffset = 8;
inline constexpr std::size_t kRecordLengthOffset = 10;
inline constexpr std::size_t kLanguageDriverOffset = 29;

// Offsets inside a field descriptor.
inline constexpr std::size_t kFieldTypeOffset = 11;
inline constexpr std::size_t kFieldLengthOffset = 16;
inline constexpr std::size_t kFieldDecimalsOffset = 17;
inline constexpr std::size_t kFieldFlagsOffset = 18;

// Field flags of Visual FoxPro.
inline constexpr std::uint8_t kFlagSystem = 0x01;
inline constexpr std::uint8_t kFlagNullable = 0x02;
inline constexpr std::uint8_t kFlagBinary = 0x04;

// The bytes that pad a value in its field: blanks, and the NULs some writers leave.
inline constexpr std::string_view kFieldPadding{" \0", 2};

// The first byte of every record.
inline constexpr char kRecordActive = ' ';
inline constexpr char kRecordDeleted = '*';
// The byte after the last record.
inline constexpr unsigned char kEndOfFile = 0x1A;

// Version bytes that matter to the reader.
inline constexpr std::uint8_t kDBase3WithMemo = 0x83;
inline constexpr std::uint8_t kDBase4WithMemo = 0x8B;
inline constexpr std::uint8_t kVisualFoxPro = 0x30;
inline constexpr std::uint8_t kVisualFoxProAutoIncrement = 0x31;
inline constexpr std::uint8_t kVisualFoxProVarchar = 0x32;

inline bool IsVisualFoxPro(std::uint8_t version) {
  return version == kVisualFoxPro || version == kVisualFoxProAutoIncrement ||
         version == kVisualFoxProVarchar;
}

// FoxPro memo files (.fpt): block size at 6..7, big-endian; each block starts with its type and
// length, big-endian.
inline constexpr std::size_t kFptHeaderSize = 512;
inline constexpr std::size_t kFptBlockSizeOffset = 6;
inline constexpr std::size_t kFptBlockHeaderSize = 8;
// A memo block starts with its type: 0 picture, 1 text, 2 object.
inline constexpr std::uint32_t kFptLastBlockType = 2;

// dBase memo files (.dbt): dBase III uses 512-byte blocks ended by 0x1A; dBase IV stores the
// block size at 20..21 and starts each block with FF FF 08 00 and a little-endian length.
inline constexpr std::size_t kDbtBlockSize = 512;
inline constexpr std::size_t kDbt4BlockSizeOffset = 20;
inline constexpr std::uint8_t kDbtEndOfText = 0x1A;
inline constexpr std::size_t kDbt4BlockHeaderSize = 8;

// Julian day number of 1970-01-01, the epoch of the civil-day arithmetic.
inline constexpr std::int64_t kJulianDayOfUnixEpoch = 2440588;
inline constexpr std::int64_t kMillisecondsPerDay = 86'400'000;

// Scale of the currency type: an 8-byte integer of ten-thousandths.
inline constexpr int kCurrencyScale = 4;

}  // namespace zuna::dbf::format
