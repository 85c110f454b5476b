#pragma once
// Errors of the tables and the table files. They carry a detail for the
// developer (what()); the callers show only their own fixed texts.
#include <cstddef>
#include <stdexcept>
#include <string>

namespace vestok {

class TableError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An operation on a table that is not open, a row or field that does not
// exist, or an unknown field name.
class TableUsageError : public TableError {
 public:
  using TableError::TableError;
};

// A value that does not convert to its field's type (a text that is no
// number written into an integer field, a float that is not finite, ...).
class FieldConversionError : public TableError {
 public:
  using TableError::TableError;
};

// Base of the errors of SaveTableFile and LoadTableFile.
class TableFileError : public TableError {
 public:
  using TableError::TableError;
};

// Load: the file cannot be opened for reading. Nothing was read.
class TableFileOpenError : public TableFileError {
 public:
  using TableFileError::TableFileError;
};

// Load: reading failed part-way (an I/O error). The records read so far stay.
class TableFileReadError : public TableFileError {
 public:
  using TableFileError::TableFileError;
};

// Save: the file cannot be created (no such directory, no permission, the
// target is read-only). Nothing was written; an existing file is untouched.
class TableFileCreateError : public TableFileError {
 public:
  using TableFileError::TableFileError;
};

// Save: a write, the flush or the final rename failed. The previous file, if
// any, is whole and unchanged; the temporary file is removed.
class TableFileWriteError : public TableFileError {
 public:
  using TableFileError::TableFileError;
};

// Load: a value is not a valid integer or number for its field. The load
// stopped there; `line` is the 1-based line of the file, `column` the
// 0-based value position on it.
class TableFileValueError : public TableFileError {
 public:
  TableFileValueError(const std::string& what, std::size_t line, std::size_t column)
      : TableFileError(what), line_(line), column_(column) {}
  std::size_t line() const { return line_; }
  std::size_t column() const { return column_; }

 private:
  std::size_t line_;
  std::size_t column_;
};

}  // namespace vestok
