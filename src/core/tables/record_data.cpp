#include "tables/record_data.h"

#include <cstring>

namespace vestok {

void RecordBuilder::Reset(int fieldCount) {
  cells_.assign(std::size_t(fieldCount), Cell{0});
  text_.clear();
  has_ = 0;
  isText_ = 0;
}

void RecordBuilder::Set(int field, const CellValue& value) {
  const std::uint64_t bit = std::uint64_t(1) << field;
  Cell& cell = cells_[std::size_t(field)];
  has_ |= bit;
  isText_ &= ~bit;
  switch (value.kind) {
    case CellValue::Kind::Null:
      has_ &= ~bit;
      cell.integer = 0;
      break;
    case CellValue::Kind::Integer:
      cell.integer = value.integer;
      break;
    case CellValue::Kind::Float:
      cell.number = value.number;
      break;
    case CellValue::Kind::Text:
      isText_ |= bit;
      cell.text.offset = std::uint32_t(text_.size());
      cell.text.length = std::uint32_t(value.text.size());
      text_.append(value.text);
      break;
  }
}

RecordData::RecordData(int fieldCount) : fieldCount_(std::uint32_t(fieldCount)) {
  if (fieldCount > 0) block_.reset(new std::uint64_t[std::size_t(fieldCount)]());
}

RecordData::RecordData(const RecordBuilder& builder) { Build(builder); }

void RecordData::Build(const RecordBuilder& builder) {
  const std::size_t count = builder.cells_.size();
  std::size_t textBytes = 0;
  for (std::size_t f = 0; f < count; ++f)
    if ((builder.isText_ >> f) & 1u) textBytes += builder.cells_[f].text.length;
  const std::size_t words = count + (textBytes + 7) / 8;
  std::unique_ptr<std::uint64_t[]> block(words ? new std::uint64_t[words] : nullptr);
  Cell* cells = reinterpret_cast<Cell*>(block.get());
  char* texts = reinterpret_cast<char*>(block.get()) + count * sizeof(Cell);
  std::uint32_t at = 0;
  for (std::size_t f = 0; f < count; ++f) {
    cells[f] = builder.cells_[f];
    if ((builder.isText_ >> f) & 1u) {
      const auto& t = builder.cells_[f].text;
      if (t.length) std::memcpy(texts + at, builder.text_.data() + t.offset, t.length);
      cells[f].text.offset = at;
      at += t.length;
    }
  }
  block_ = std::move(block);
  has_ = builder.has_;
  isText_ = builder.isText_;
  fieldCount_ = std::uint32_t(count);
  textBytes_ = std::uint32_t(textBytes);
}

void RecordData::ToBuilder(RecordBuilder& builder) const {
  builder.cells_.assign(Cells(), Cells() + fieldCount_);
  builder.text_.assign(Texts(), textBytes_);
  builder.has_ = has_;
  builder.isText_ = isText_;
}

RecordData RecordData::Clone() const {
  RecordData copy;
  const std::size_t words = fieldCount_ + (textBytes_ + 7) / 8;
  if (words) {
    copy.block_.reset(new std::uint64_t[words]);
    std::memcpy(copy.block_.get(), block_.get(), words * sizeof(std::uint64_t));
  }
  copy.has_ = has_;
  copy.isText_ = isText_;
  copy.fieldCount_ = fieldCount_;
  copy.textBytes_ = textBytes_;
  return copy;
}

void RecordData::Set(int field, const CellValue& value) {
  const std::uint64_t bit = std::uint64_t(1) << field;
  const bool wasText = (isText_ >> field) & 1u;
  if (value.kind != CellValue::Kind::Text && !wasText) {
    Cell& cell = Cells()[field];
    switch (value.kind) {
      case CellValue::Kind::Null: has_ &= ~bit; cell.integer = 0; break;
      case CellValue::Kind::Integer: has_ |= bit; cell.integer = value.integer; break;
      case CellValue::Kind::Float: has_ |= bit; cell.number = value.number; break;
      case CellValue::Kind::Text: break;
    }
    return;
  }
  // A text comes or goes: rebuild the block around it. The value may point
  // into this very record, so the builder copies it before the block goes.
  RecordBuilder builder;
  ToBuilder(builder);
  builder.Set(field, value);
  Build(builder);
}

}  // namespace vestok
