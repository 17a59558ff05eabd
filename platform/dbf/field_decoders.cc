#include "platform/dbf/field_decoders.h"

#include "platform/base/byte_order.h"
#include "platform/dbf/dbf_errors.h"
#include "platform/dbf/dbf_format.h"
#include "platform/dbf/field_values.h"
#include "platform/text/ascii.h"

namespace zuna::dbf {
namespace {

void DecodeText(FieldDecoding& decoding, std::string_view raw, Value& out) {
  if (decoding.text.Decode(raw, out.MutableText()) > 0) ++decoding.undecodable_fields;
}

void Fault(FieldDecoding& decoding, int index, const Field& field, std::string_view raw,
           ValueFault fault) {
  if (fault == ValueFault::kNone) return;
  decoding.field_errors.emplace_back(index,
                                     UndecodableValue(decoding.path, fault, field.name, raw));
}

// C and V: text in the table's code page, or bytes when the field is marked binary.
void CharacterField(FieldDecoding& decoding, int, const Field& field, std::string_view raw,
                    Value& out) {
  if (field.flags & format::kFlagBinary) {
    out.SetBinary(raw);
  } else {
    DecodeText(decoding, raw, out);
  }
}

// Q, and every type without a decoder of its own: the bytes as stored.
void BinaryField(FieldDecoding&, int, const Field&, std::string_view raw, Value& out) {
  out.SetBinary(raw);
}

void NumberField(FieldDecoding& decoding, int index, const Field& field, std::string_view raw,
                 Value& out) {
  Fault(decoding, index, field, raw, DecodeNumberText(raw, out));
}

void DateField(FieldDecoding& decoding, int index, const Field& field, std::string_view raw,
               Value& out) {
  Fault(decoding, index, field, raw, DecodeDateText(raw, out));
}

void DateTimeField(FieldDecoding& decoding, int index, const Field& field, std::string_view raw,
                   Value& out) {
  Fault(decoding, index, field, raw, DecodeDateTime(raw, out));
}

void LogicalField(FieldDecoding& decoding, int index, const Field& field, std::string_view raw,
                  Value& out) {
  Fault(decoding, index, field, raw, DecodeLogical(raw[0], out));
}

void DoubleField(FieldDecoding& decoding, int index, const Field& field, std::string_view raw,
                 Value& out) {
  Fault(decoding, index, field, raw, DecodeDouble(raw, out));
}

void IntegerField(FieldDecoding&, int, const Field&, std::string_view raw, Value& out) {
  out.SetInteger(ReadLeInt32(raw.data()));
}

void CurrencyField(FieldDecoding&, int, const Field&, std::string_view raw, Value& out) {
  out.SetDecimal(ReadLeInt64(raw.data()), format::kCurrencyScale);
}

// M, G, W, P and the B of older tables: a block number of the memo file, 4 bytes in Visual
// FoxPro, digits in blanks elsewhere; 0 or blanks is no memo. An M memo is text.
void MemoField(FieldDecoding& decoding, int index, const Field& field, std::string_view raw,
               Value& out) {
  std::uint32_t block = 0;
  if (raw.size() == 4) {
    block = ReadLe32(raw.data());
  } else {
    for (char c : text::Trim(raw, format::kFieldPadding)) {
      if (c < '0' || c > '9') {
        out.SetNull();
        decoding.field_errors.emplace_back(
            index,
            MemoInvalid(decoding.path, "field " + field.name + " holds no memo block number"));
        return;
      }
      block = block * 10 + static_cast<std::uint32_t>(c - '0');
    }
  }
  if (block == 0) {
    out.SetNull();
    return;
  }
  Status status = decoding.memo->Read(block, decoding.memo_scratch);
  if (!status.ok()) {
    out.SetNull();
    decoding.field_errors.emplace_back(index, std::move(status));
    return;
  }
  if (field.type == 'M' && !(field.flags & format::kFlagBinary)) {
    DecodeText(decoding, decoding.memo_scratch, out);
  } else {
    out.SetBinary(decoding.memo_scratch);
  }
}

struct TypeDecoder {
  char type;
  FieldDecoder decode;
};

constexpr TypeDecoder kDecoders[] = {
    {'C', CharacterField}, {'V', CharacterField}, {'Q', BinaryField},   {'N', NumberField},
    {'F', NumberField},    {'D', DateField},      {'T', DateTimeField}, {'L', LogicalField},
    {'I', IntegerField},   {'Y', CurrencyField},  {'B', DoubleField},   {'M', MemoField},
    {'G', MemoField},      {'W', MemoField},      {'P', MemoField},
};

}  // namespace

FieldDecoder DecoderFor(char type, std::uint8_t version) {
  if (type == 'B' && !format::IsVisualFoxPro(version)) return MemoField;
  for (const TypeDecoder& entry : kDecoders) {
    if (entry.type == type) return entry.decode;
  }
  return BinaryField;
}

}  // namespace zuna::dbf
