#include "tables/document_table.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "tables/float_text.h"
#include "text/ascii.h"
#include "text/decimal_separator.h"
#include "text/number_text.h"

namespace vestok {

DocumentTable::DocumentTable(const TableDef& def)
    : name_(def.name), kind_(def.kind), fields_(def.fields.begin(), def.fields.end()) {}

DocumentTable::DocumentTable(std::string_view name, std::vector<FieldDef> fields)
    : name_(name), fields_(std::move(fields)) {
  if (fields_.size() > kMaxFields) throw TableUsageError("too many fields");
}

DocumentTable::~DocumentTable() = default;

int DocumentTable::FieldIndex(std::string_view name) const {
  for (std::size_t i = 0; i < fields_.size(); ++i)
    if (AsciiIEquals(fields_[i].name, name)) return int(i);
  return -1;
}

int DocumentTable::Need(std::string_view name) const {
  const int f = FieldIndex(name);
  if (f < 0) throw TableUsageError("no field " + std::string(name) + " in " + std::string(name_));
  return f;
}

void DocumentTable::CheckOpen() const {
  if (state_ == TableState::Inactive) throw TableUsageError("table " + std::string(name_) + " is not open");
}

void DocumentTable::CheckField(int field) const {
  if (field < 0 || field >= FieldCount()) throw TableUsageError("no such field index");
}

template <class F>
void DocumentTable::Notify(F&& f) const {
  if (suspended_ > 0) return;
  // A copy: an observer may remove itself from within its callback.
  const auto observers = observers_;
  for (ITableObserver* o : observers) f(*o);
}

// ---- lifetime

void DocumentTable::ResetRows() {
  Notify([](ITableObserver& o) { o.AboutToReset(); });
  rows_.clear();
  losses_.clear();
  backup_.reset();
  cur_ = npos;
  eof_ = bof_ = true;
  Notify([](ITableObserver& o) { o.Reset(); });
  Notify([](ITableObserver& o) { o.CurrentChanged(npos); });
}

void DocumentTable::Open() {
  state_ = TableState::Browse;
  ResetRows();
}

void DocumentTable::Close() {
  state_ = TableState::Inactive;
  ResetRows();
}

void DocumentTable::Empty() {
  CheckOpen();
  state_ = TableState::Browse;
  ResetRows();
}

std::size_t DocumentTable::RecordCount() const {
  return rows_.size() - (state_ == TableState::Append ? 1 : 0);
}

// ---- cursor

void DocumentTable::SetCursor(std::size_t row) {
  const bool moved = row != cur_;
  cur_ = row;
  if (moved) Notify([row](ITableObserver& o) { o.CurrentChanged(row); });
}

void DocumentTable::First() {
  CheckOpen();
  StorePending();
  SetCursor(rows_.empty() ? npos : 0);
  bof_ = true;
  eof_ = rows_.empty();
}

void DocumentTable::Last() {
  CheckOpen();
  StorePending();
  SetCursor(rows_.empty() ? npos : rows_.size() - 1);
  eof_ = true;
  bof_ = rows_.empty();
}

void DocumentTable::Next() {
  CheckOpen();
  StorePending();
  if (cur_ != npos && cur_ + 1 < rows_.size()) {
    SetCursor(cur_ + 1);
    bof_ = eof_ = false;
  } else {
    eof_ = true;
  }
}

void DocumentTable::Prior() {
  CheckOpen();
  StorePending();
  if (cur_ != npos && cur_ > 0) {
    SetCursor(cur_ - 1);
    bof_ = eof_ = false;
  } else {
    bof_ = true;
  }
}

bool DocumentTable::MoveTo(std::size_t row) {
  CheckOpen();
  if (row >= rows_.size()) return false;
  StorePending();
  if (row >= rows_.size()) return false;  // a pending append was dropped
  SetCursor(row);
  bof_ = eof_ = false;
  return true;
}

// ---- changes

void DocumentTable::StorePending() {
  if (state_ == TableState::Edit || state_ == TableState::Append) Post();
}

void DocumentTable::Append() {
  CheckOpen();
  StorePending();
  const std::size_t row = rows_.size();
  Notify([row](ITableObserver& o) { o.RowsAboutToBeInserted(row, row); });
  rows_.push_back(Row{nextId_++, RecordData(FieldCount())});
  state_ = TableState::Append;
  Notify([row](ITableObserver& o) { o.RowsInserted(row, row); });
  SetCursor(row);
  bof_ = eof_ = false;
}

void DocumentTable::Edit() {
  CheckOpen();
  if (state_ != TableState::Browse) return;
  if (cur_ == npos) throw TableUsageError("no current record to edit");
  backup_ = rows_[cur_].data.Clone();
  state_ = TableState::Edit;
}

void DocumentTable::Post() {
  CheckOpen();
  if (state_ == TableState::Edit) backup_.reset();
  state_ = TableState::Browse;
}

void DocumentTable::Cancel() {
  CheckOpen();
  if (state_ == TableState::Edit) {
    rows_[cur_].data = std::move(*backup_);
    backup_.reset();
    state_ = TableState::Browse;
    const std::size_t row = cur_;
    Notify([row](ITableObserver& o) { o.DataChanged(row, -1); });
  } else if (state_ == TableState::Append) {
    state_ = TableState::Browse;
    RemoveRow(rows_.size() - 1);
  }
}

void DocumentTable::RemoveRow(std::size_t row) {
  Notify([row](ITableObserver& o) { o.RowsAboutToBeRemoved(row, row); });
  if (row == 0)
    rows_.pop_front();
  else if (row + 1 == rows_.size())
    rows_.pop_back();
  else
    rows_.erase(rows_.begin() + std::ptrdiff_t(row));
  Notify([row](ITableObserver& o) { o.RowsRemoved(row, row); });
  // The following record takes the place of the deleted one; after the last
  // one the new last record is current.
  std::size_t next = cur_;
  if (rows_.empty())
    next = npos;
  else if (cur_ != npos && cur_ > row)
    next = cur_ - 1;
  else if (cur_ != npos && cur_ >= rows_.size())
    next = rows_.size() - 1;
  // The observers hear of the current record even when its row number stays.
  cur_ = next;
  Notify([next](ITableObserver& o) { o.CurrentChanged(next); });
  eof_ = bof_ = rows_.empty();
}

void DocumentTable::Delete() {
  CheckOpen();
  if (state_ == TableState::Append) {
    Cancel();
    return;
  }
  if (cur_ == npos) throw TableUsageError("no current record to delete");
  backup_.reset();
  state_ = TableState::Browse;
  RemoveRow(cur_);
}

// ---- bookmarks

Bookmark DocumentTable::GetBookmark() const { return cur_ == npos ? kNoBookmark : rows_[cur_].id; }

Bookmark DocumentTable::BookmarkAt(std::size_t row) const {
  return row < rows_.size() ? rows_[row].id : kNoBookmark;
}

std::size_t DocumentTable::RowOfBookmark(Bookmark b) const {
  // Records only ever join at the end, so ids rise from front to back.
  auto it = std::lower_bound(rows_.begin(), rows_.end(), b, [](const Row& r, Bookmark id) { return r.id < id; });
  if (b == kNoBookmark || it == rows_.end() || it->id != b) return npos;
  return std::size_t(it - rows_.begin());
}

bool DocumentTable::BookmarkValid(Bookmark b) const { return RowOfBookmark(b) != npos; }

bool DocumentTable::GotoBookmark(Bookmark b) {
  CheckOpen();
  if (RowOfBookmark(b) == npos) return false;
  StorePending();  // may drop nothing but an empty pending append, never b's record
  const std::size_t row = RowOfBookmark(b);
  if (row == npos) return false;
  SetCursor(row);
  bof_ = eof_ = false;
  return true;
}

// ---- conversions

CellValue DocumentTable::ConvertInteger(int field, std::int32_t value) const {
  switch (fields_[std::size_t(field)].type) {
    case FieldType::Integer: return CellValue::Int(value);
    case FieldType::Float: return CellValue::Real(value);
    case FieldType::Text: break;
  }
  return CellValue::Null();  // texts are handled by the caller
}

CellValue DocumentTable::ConvertFloat(int field, double value) const {
  if (!std::isfinite(value)) throw FieldConversionError("a float value must be finite");
  switch (fields_[std::size_t(field)].type) {
    case FieldType::Float: return CellValue::Real(value);
    case FieldType::Integer: {
      const double r = std::nearbyint(value);
      if (r < std::numeric_limits<std::int32_t>::min() || r > std::numeric_limits<std::int32_t>::max())
        throw FieldConversionError("value out of the integer range");
      return CellValue::Int(std::int32_t(r));
    }
    case FieldType::Text: break;
  }
  return CellValue::Null();
}

CellValue DocumentTable::ConvertText(int field, std::string_view text) const {
  const FieldDef& def = fields_[std::size_t(field)];
  if (def.type == FieldType::Text) return CellValue::Str(text.substr(0, std::size_t(def.width)));
  if (text.empty()) return CellValue::Null();
  if (def.type == FieldType::Integer) {
    const auto v = ParseInt32(TrimBlanks(text));
    if (!v) throw FieldConversionError("not an integer: " + std::string(text));
    return CellValue::Int(*v);
  }
  const auto v = ParseFloatText(text, UserDecimalSeparator());
  if (!v) throw FieldConversionError("not a number: " + std::string(text));
  return CellValue::Real(*v);
}

// ---- reading

const RecordData* DocumentTable::CurrentData() const {
  return cur_ == npos ? nullptr : &rows_[cur_].data;
}

bool DocumentTable::IsNull(int field) const {
  CheckField(field);
  const RecordData* d = CurrentData();
  return !d || !d->Has(field);
}

std::optional<std::int32_t> DocumentTable::AsOptionalInteger(int field) const {
  if (IsNull(field)) return std::nullopt;
  return AsInteger(field);
}

std::int32_t DocumentTable::AsInteger(int field) const {
  CheckField(field);
  if (IsNull(field)) return 0;
  const RecordData& d = *CurrentData();
  switch (fields_[std::size_t(field)].type) {
    case FieldType::Integer: return d.Integer(field);
    case FieldType::Float: {
      const double r = std::nearbyint(d.Float(field));
      if (r < std::numeric_limits<std::int32_t>::min() || r > std::numeric_limits<std::int32_t>::max())
        throw FieldConversionError("value out of the integer range");
      return std::int32_t(r);
    }
    case FieldType::Text: {
      const auto v = ParseInt32(TrimBlanks(d.Text(field)));
      if (!v) throw FieldConversionError("not an integer: " + std::string(d.Text(field)));
      return *v;
    }
  }
  return 0;
}

double DocumentTable::AsFloat(int field) const {
  CheckField(field);
  if (IsNull(field)) return 0;
  const RecordData& d = *CurrentData();
  switch (fields_[std::size_t(field)].type) {
    case FieldType::Integer: return d.Integer(field);
    case FieldType::Float: return d.Float(field);
    case FieldType::Text: {
      const auto v = ParseFloatText(d.Text(field), UserDecimalSeparator());
      if (!v) throw FieldConversionError("not a number: " + std::string(d.Text(field)));
      return *v;
    }
  }
  return 0;
}

std::string DocumentTable::AsText(int field) const {
  CheckField(field);
  return cur_ == npos ? std::string() : TextAt(cur_, field);
}

bool DocumentTable::IsNullAt(std::size_t row, int field) const {
  CheckField(field);
  return row >= rows_.size() || !rows_[row].data.Has(field);
}

std::optional<std::int32_t> DocumentTable::IntegerAt(std::size_t row, int field) const {
  if (IsNullAt(row, field) || fields_[std::size_t(field)].type != FieldType::Integer) return std::nullopt;
  return rows_[row].data.Integer(field);
}

std::optional<double> DocumentTable::FloatAt(std::size_t row, int field) const {
  if (IsNullAt(row, field) || fields_[std::size_t(field)].type != FieldType::Float) return std::nullopt;
  return rows_[row].data.Float(field);
}

std::string_view DocumentTable::TextViewAt(std::size_t row, int field) const {
  if (IsNullAt(row, field)) return {};
  return rows_[row].data.Text(field);
}

std::string DocumentTable::TextAt(std::size_t row, int field) const {
  if (IsNullAt(row, field)) return {};
  const RecordData& d = rows_[row].data;
  switch (fields_[std::size_t(field)].type) {
    case FieldType::Integer: return IntToText(d.Integer(field));
    case FieldType::Float: return FloatToText(d.Float(field), UserDecimalSeparator());
    case FieldType::Text: return std::string(d.Text(field));
  }
  return {};
}

// ---- writing

RecordData& DocumentTable::WritableCurrent() {
  CheckOpen();
  if (cur_ == npos) throw TableUsageError("no current record to write");
  if (state_ == TableState::Browse) Edit();
  return rows_[cur_].data;
}

void DocumentTable::WriteValue(RecordData& data, std::size_t row, int field, const CellValue& value) {
  data.Set(field, value);
  Notify([row, field](ITableObserver& o) { o.DataChanged(row, field); });
}

void DocumentTable::SetNull(int field) {
  CheckField(field);
  WriteValue(WritableCurrent(), cur_, field, CellValue::Null());
}

void DocumentTable::SetInteger(int field, std::int32_t value) {
  CheckField(field);
  const CellValue v = fields_[std::size_t(field)].type == FieldType::Text ? CellValue::Null()
                                                                         : ConvertInteger(field, value);
  if (v.kind == CellValue::Kind::Null) {
    const std::string text = IntToText(value);
    WriteValue(WritableCurrent(), cur_, field, ConvertText(field, text));
  } else {
    WriteValue(WritableCurrent(), cur_, field, v);
  }
}

void DocumentTable::SetFloat(int field, double value) {
  CheckField(field);
  if (fields_[std::size_t(field)].type == FieldType::Text) {
    if (!std::isfinite(value)) throw FieldConversionError("a float value must be finite");
    const std::string text = FloatToText(value, UserDecimalSeparator());
    WriteValue(WritableCurrent(), cur_, field, ConvertText(field, text));
  } else {
    const CellValue v = ConvertFloat(field, value);
    WriteValue(WritableCurrent(), cur_, field, v);
  }
}

void DocumentTable::SetText(int field, std::string_view text) {
  CheckField(field);
  const CellValue v = ConvertText(field, text);  // throws before anything changes
  WriteValue(WritableCurrent(), cur_, field, v);
}

void DocumentTable::SetNullAt(std::size_t row, int field) {
  CheckField(field);
  if (row >= rows_.size()) throw TableUsageError("no such row");
  if (state_ != TableState::Browse && row != cur_) StorePending();
  if (row >= rows_.size()) throw TableUsageError("no such row");
  WriteValue(rows_[row].data, row, field, CellValue::Null());
  if (row == cur_) StorePending();
}

void DocumentTable::SetIntegerAt(std::size_t row, int field, std::int32_t value) {
  CheckField(field);
  if (row >= rows_.size()) throw TableUsageError("no such row");
  if (state_ != TableState::Browse && row != cur_) StorePending();
  if (row >= rows_.size()) throw TableUsageError("no such row");
  if (fields_[std::size_t(field)].type == FieldType::Text)
    WriteValue(rows_[row].data, row, field, ConvertText(field, IntToText(value)));
  else
    WriteValue(rows_[row].data, row, field, ConvertInteger(field, value));
  if (row == cur_) StorePending();
}

void DocumentTable::SetFloatAt(std::size_t row, int field, double value) {
  CheckField(field);
  if (row >= rows_.size()) throw TableUsageError("no such row");
  if (!std::isfinite(value)) throw FieldConversionError("a float value must be finite");
  if (state_ != TableState::Browse && row != cur_) StorePending();
  if (row >= rows_.size()) throw TableUsageError("no such row");
  if (fields_[std::size_t(field)].type == FieldType::Text)
    WriteValue(rows_[row].data, row, field, ConvertText(field, FloatToText(value, UserDecimalSeparator())));
  else
    WriteValue(rows_[row].data, row, field, ConvertFloat(field, value));
  if (row == cur_) StorePending();
}

void DocumentTable::SetTextAt(std::size_t row, int field, std::string_view text) {
  CheckField(field);
  if (row >= rows_.size()) throw TableUsageError("no such row");
  const CellValue v = ConvertText(field, text);
  if (state_ != TableState::Browse && row != cur_) StorePending();
  if (row >= rows_.size()) throw TableUsageError("no such row");
  WriteValue(rows_[row].data, row, field, v);
  if (row == cur_) StorePending();
}

// ---- notifications

void DocumentTable::AddObserver(ITableObserver* observer) {
  if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
    observers_.push_back(observer);
}

void DocumentTable::RemoveObserver(ITableObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void DocumentTable::SuspendNotifications() {
  if (suspended_ == 0) Notify([](ITableObserver& o) { o.AboutToReset(); });
  ++suspended_;
}

void DocumentTable::ResumeNotifications() {
  if (suspended_ == 0) return;
  if (--suspended_ > 0) return;
  Notify([](ITableObserver& o) { o.Reset(); });
  const std::size_t row = cur_;
  Notify([row](ITableObserver& o) { o.CurrentChanged(row); });
}

// ---- bulk append

void DocumentTable::AppendBuilt(const RecordBuilder& builder) {
  CheckOpen();
  if (builder.FieldCount() != FieldCount()) throw TableUsageError("record of another table");
  StorePending();
  const std::size_t row = rows_.size();
  Notify([row](ITableObserver& o) { o.RowsAboutToBeInserted(row, row); });
  rows_.push_back(Row{nextId_++, RecordData(builder)});
  Notify([row](ITableObserver& o) { o.RowsInserted(row, row); });
  SetCursor(row);
  bof_ = eof_ = false;
}

}  // namespace vestok
