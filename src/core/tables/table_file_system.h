#pragma once
// The file calls of SaveTableFile, behind a small interface so a test can make
// a write fail after N bytes and check that the previous file stays whole.
#include <cstddef>
#include <string>

namespace vestok {

class TableFileSystem {
 public:
  virtual ~TableFileSystem() = default;
  // Creates a new file that did not exist (O_CREAT | O_EXCL); fd or -1.
  virtual int CreateNew(const std::string& path, unsigned mode);
  // Writes all `size` bytes; false on any failure.
  // Opens an existing file for writing and empties it; fd or -1.
  virtual int OpenTruncated(const std::string& path);
  virtual bool WriteAll(int fd, const char* data, std::size_t size);
  virtual bool Sync(int fd);
  virtual bool Close(int fd);
  virtual bool Rename(const std::string& from, const std::string& to);
  virtual void Remove(const std::string& path);
};

// The POSIX calls themselves.
TableFileSystem& DefaultTableFileSystem();

}  // namespace vestok
