#pragma once
// The storage of one record: one heap block holding an 8-byte cell per field
// followed by the bytes of the record's texts. A 100,000-item table thus costs
// one allocation per record. Field types are the table's business; a record
// only knows which fields hold a value and which of them hold texts.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vestok {

// One value handed to or taken from a record. A text is a view of bytes owned
// by the caller (handing in) or by the record (taking out).
struct CellValue {
  enum class Kind : std::uint8_t { Null, Integer, Float, Text };
  Kind kind = Kind::Null;
  std::int32_t integer = 0;
  double number = 0;
  std::string_view text;

  static CellValue Null() { return {}; }
  static CellValue Int(std::int32_t v) { return {Kind::Integer, v, 0, {}}; }
  static CellValue Real(double v) { return {Kind::Float, 0, v, {}}; }
  static CellValue Str(std::string_view v) { return {Kind::Text, 0, 0, v}; }
};

// Collects the values of a record to be built; reusable without new
// allocations once its buffers have grown (the file loader keeps one).
class RecordBuilder {
 public:
  void Reset(int fieldCount);
  void Set(int field, const CellValue& value);
  int FieldCount() const { return static_cast<int>(cells_.size()); }

 private:
  friend class RecordData;
  union Cell {
    std::int32_t integer;
    double number;
    struct {
      std::uint32_t offset, length;
    } text;
  };
  std::vector<Cell> cells_;
  std::string text_;  // texts as set, in setting order (may hold overwritten ones)
  std::uint64_t has_ = 0;
  std::uint64_t isText_ = 0;
};

class RecordData {
 public:
  RecordData() = default;
  explicit RecordData(int fieldCount);  // every field without a value
  explicit RecordData(const RecordBuilder& builder);
  RecordData(RecordData&&) noexcept = default;
  RecordData& operator=(RecordData&&) noexcept = default;
  RecordData Clone() const;

  int FieldCount() const { return static_cast<int>(fieldCount_); }
  bool Has(int field) const { return (has_ >> field) & 1u; }
  // The stored value read as the field's type (the table knows it); 0 or
  // an empty text when the field holds no value.
  std::int32_t Integer(int field) const { return Has(field) ? Cells()[field].integer : 0; }
  double Float(int field) const { return Has(field) ? Cells()[field].number : 0; }
  std::string_view Text(int field) const {
    if (!Has(field) || !((isText_ >> field) & 1u)) return {};
    const Cell& c = Cells()[field];
    return {Texts() + c.text.offset, c.text.length};
  }
  // Replaces one value. Numbers change in place; a text rebuilds the block.
  void Set(int field, const CellValue& value);

 private:
  using Cell = RecordBuilder::Cell;
  Cell* Cells() const { return reinterpret_cast<Cell*>(block_.get()); }
  const char* Texts() const { return reinterpret_cast<const char*>(block_.get()) + fieldCount_ * sizeof(Cell); }
  void Build(const RecordBuilder& builder);
  void ToBuilder(RecordBuilder& builder) const;

  std::unique_ptr<std::uint64_t[]> block_;  // cells, then text bytes (8-aligned)
  std::uint64_t has_ = 0;
  std::uint64_t isText_ = 0;
  std::uint32_t fieldCount_ = 0;
  std::uint32_t textBytes_ = 0;
};

}  // namespace vestok
