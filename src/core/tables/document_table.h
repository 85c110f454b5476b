#pragma once
// DocumentTable: an in-memory, ordered list of records with a fixed list of
// typed fields. No key, no index, no sort, duplicates allowed. Records stay in
// the order they were appended; new records only ever go to the end.
//
// Every field of a record either holds a value or holds none (null). For text
// fields an empty text is a value and stays apart from no value.
//
// A cursor names the current record. Reading and writing through the cursor
// (IsNull, AsInteger, SetText, ...) is what the jobs and file code use; the
// Qt model reads and writes by row without moving the cursor (IsNullAt,
// TextAt, SetTextAt, ...).
//
// Bookmarks name a record, not a position: they stay valid while other
// records are appended or deleted, and resolve to a position in O(log n).
//
// The table is used from the user-interface thread and, during a job, from the
// job's worker thread, never at the same time; it has no locks.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tables/record_data.h"
#include "tables/table_defs.h"
#include "tables/table_errors.h"
#include "tables/table_observer.h"

namespace vestok {

// Opaque handle of one record; kNoBookmark names none.
using Bookmark = std::uint64_t;
inline constexpr Bookmark kNoBookmark = 0;

enum class TableState : std::uint8_t {
  Inactive,   // not open: no records, most operations throw TableUsageError
  Browse,     // open, no pending change
  Edit,       // the current record is being changed (Post stores, Cancel undoes)
  Append,     // a new record at the end is being filled (Post keeps, Cancel drops)
};

class DocumentTable {
 public:
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);
  static constexpr std::size_t kMaxFields = 64;

  // A table of one of the ten kinds. The table starts closed.
  explicit DocumentTable(const TableDef& def);
  // A table with any fields (names must outlive the table; at most kMaxFields).
  DocumentTable(std::string_view name, std::vector<FieldDef> fields);
  ~DocumentTable();
  DocumentTable(const DocumentTable&) = delete;
  DocumentTable& operator=(const DocumentTable&) = delete;

  // ---- definition
  std::string_view Name() const { return name_; }
  TableKind Kind() const { return kind_; }  // tkNone for a custom table
  const std::vector<FieldDef>& Fields() const { return fields_; }
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  // The field index of `name` compared ASCII-case-insensitively; -1 if none.
  int FieldIndex(std::string_view name) const;

  // ---- lifetime of the record list
  void Open();   // an empty record list; a table already open is emptied
  void Close();  // discards every record (no prompt, no store)
  bool IsOpen() const { return state_ != TableState::Inactive; }
  void Empty();  // removes every record at once; the table stays open
  TableState State() const { return state_; }

  // ---- counts and cursor
  // Stored records (a record being appended is not counted until Post).
  std::size_t RecordCount() const;
  // Rows a view shows: the stored records plus a record being appended.
  std::size_t RowCount() const { return rows_.size(); }
  bool HasStoredRecord() const { return RecordCount() > 0; }
  // 0-based row of the current record, npos when the table has no rows.
  std::size_t CurrentRow() const { return cur_; }
  // 1-based position of the current record, 0 when there is none.
  std::size_t RecNo() const { return cur_ == npos ? 0 : cur_ + 1; }
  bool Eof() const { return eof_; }  // past the last row (at once when empty)
  bool Bof() const { return bof_; }  // at the first row after First (or empty)

  // Moving stores a pending change first (as Post does).
  void First();
  void Last();
  void Next();   // from the last row: Eof becomes true, the last row stays current
  void Prior();  // from the first row: Bof becomes true
  // Makes row `row` (0-based) current; false (and no move) when out of range.
  bool MoveTo(std::size_t row);

  // ---- changing records
  // Stores a pending change first, then adds an empty record at the end and
  // makes it current (state Append). Post keeps it, Cancel drops it.
  void Append();
  // Starts changing the current record (state Edit). Writes through the
  // cursor in state Browse start an edit by themselves.
  void Edit();
  void Post();    // stores the pending change; nothing pending: nothing
  void Cancel();  // undoes the pending change; nothing pending: nothing
  // Deletes the current record; the next one becomes current (or the new last
  // one when the last was deleted). While appending: the same as Cancel.
  // Cost does not grow with the table's size when deleting from the front.
  void Delete();

  // ---- bookmarks
  Bookmark GetBookmark() const;        // of the current record; kNoBookmark if none
  Bookmark BookmarkAt(std::size_t row) const;  // kNoBookmark for a row out of range
  bool BookmarkValid(Bookmark b) const;  // the record still exists
  std::size_t RowOfBookmark(Bookmark b) const;  // npos when the record is gone
  // Makes the bookmarked record current (storing a pending change first);
  // false, and the cursor unchanged, when that record was deleted.
  bool GotoBookmark(Bookmark b);

  // ---- fields of the current record (by index or name)
  // Reading with no current record gives no value. Unknown field index or
  // name: TableUsageError.
  bool IsNull(int field) const;
  // No value reads as 0. A float reads rounded to the nearest integer; a text
  // must be an integer text (FieldConversionError otherwise).
  std::int32_t AsInteger(int field) const;
  std::optional<std::int32_t> AsOptionalInteger(int field) const;
  // No value reads as 0. A text must be a number with the user's decimal separator.
  double AsFloat(int field) const;
  // No value reads as "". Integers in decimal; floats with up to 15
  // significant digits and the user's decimal separator (see float_text.h).
  std::string AsText(int field) const;

  // Writing needs a current record (TableUsageError otherwise); in state
  // Browse it starts an edit. Texts are cut to the field's width.
  void SetNull(int field);
  void SetInteger(int field, std::int32_t value);
  // A float that is NaN or infinite is refused (FieldConversionError); an
  // integer field takes the value rounded, if it fits.
  void SetFloat(int field, double value);
  // "Write a field as text": an empty text makes a number field null and a
  // text field an empty text. An integer field reads the text as a decimal
  // integer (blanks around it allowed), a float field as a number with the
  // user's decimal separator; a text that is no such number throws
  // FieldConversionError and leaves the field unchanged.
  void SetText(int field, std::string_view text);

  bool IsNull(std::string_view field) const { return IsNull(Need(field)); }
  std::int32_t AsInteger(std::string_view field) const { return AsInteger(Need(field)); }
  std::optional<std::int32_t> AsOptionalInteger(std::string_view field) const {
    return AsOptionalInteger(Need(field));
  }
  double AsFloat(std::string_view field) const { return AsFloat(Need(field)); }
  std::string AsText(std::string_view field) const { return AsText(Need(field)); }
  void SetNull(std::string_view field) { SetNull(Need(field)); }
  void SetInteger(std::string_view field, std::int32_t v) { SetInteger(Need(field), v); }
  void SetFloat(std::string_view field, double v) { SetFloat(Need(field), v); }
  void SetText(std::string_view field, std::string_view t) { SetText(Need(field), t); }

  // ---- random access by row, without moving the cursor (for the Qt model)
  // A row out of range reads as no value (a view may ask with a stale count).
  bool IsNullAt(std::size_t row, int field) const;
  std::optional<std::int32_t> IntegerAt(std::size_t row, int field) const;  // integer fields
  std::optional<double> FloatAt(std::size_t row, int field) const;          // float fields
  // The raw bytes of a text field (valid until that record changes); empty
  // for no value, for a number field and for a row out of range.
  std::string_view TextViewAt(std::size_t row, int field) const;
  // Any field as text, as AsText does.
  std::string TextAt(std::size_t row, int field) const;

  // Store one value at once (as edit + write + post of that row; a pending
  // change of another row is stored first). Row out of range: TableUsageError.
  void SetNullAt(std::size_t row, int field);
  void SetIntegerAt(std::size_t row, int field, std::int32_t value);
  void SetFloatAt(std::size_t row, int field, double value);
  void SetTextAt(std::size_t row, int field, std::string_view text);

  // ---- change notifications
  void AddObserver(ITableObserver* observer);
  void RemoveObserver(ITableObserver* observer);
  // Nested. While suspended no callback runs at all; the last Resume sends one
  // Reset and one CurrentChanged.
  void SuspendNotifications();
  void ResumeNotifications();
  bool NotificationsSuspended() const { return suspended_ > 0; }

  // ---- bulk append for the file loader: appends a stored record built
  // outside the table (one allocation), without a pending state.
  void AppendBuilt(const RecordBuilder& builder);

  // ---- texts that came in from UTF-8 (a file, a spreadsheet) with
  // characters Windows-1250 lacks, each now a '?'. The check before an upload
  // names every cell that still holds such a text; Open, Close and Empty
  // forget them.
  struct CodePageLoss {
    int Field = -1;
    std::string Stored;       // the text as the table holds it
    std::u32string Missing;   // the characters that became '?'
  };
  void NoteCodePageLoss(int field, std::string stored, std::u32string missing) {
    losses_.push_back({field, std::move(stored), std::move(missing)});
  }
  const std::vector<CodePageLoss>& CodePageLosses() const { return losses_; }

 private:
  struct Row {
    Bookmark id;
    RecordData data;
  };

  int Need(std::string_view name) const;
  void CheckOpen() const;
  void CheckField(int field) const;
  const RecordData* CurrentData() const;
  RecordData& WritableCurrent();
  void StorePending();
  void SetCursor(std::size_t row);
  void WriteValue(RecordData& data, std::size_t row, int field, const CellValue& value);
  CellValue ConvertText(int field, std::string_view text) const;
  CellValue ConvertFloat(int field, double value) const;
  CellValue ConvertInteger(int field, std::int32_t value) const;
  void ResetRows();
  void RemoveRow(std::size_t row);

  template <class F>
  void Notify(F&& f) const;

  std::string_view name_;
  TableKind kind_ = tkNone;
  std::vector<FieldDef> fields_;
  std::deque<Row> rows_;  // ids strictly increasing from front to back
  Bookmark nextId_ = 1;
  TableState state_ = TableState::Inactive;
  std::size_t cur_ = npos;
  bool eof_ = true;
  bool bof_ = true;
  std::optional<RecordData> backup_;  // the current record before Edit
  std::vector<ITableObserver*> observers_;
  int suspended_ = 0;
  std::vector<CodePageLoss> losses_;
};

}  // namespace vestok
