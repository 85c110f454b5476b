#pragma once
// A small INI file of our own: section and key names match without regard to
// ASCII letter case, blanks around keys and values are ignored, and every line
// the program does not change is kept byte for byte.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vestok {

class IniFile {
 public:
  // Reads the file; a file that does not exist or cannot be read gives an
  // empty document (false), which is not an error for the callers.
  bool Load(const std::string& path);
  void LoadFromText(std::string_view text);

  std::optional<std::string> Value(std::string_view section, std::string_view key) const;

  // Overwrites the key's line in place, or adds the key at the end of its
  // section, or adds the section at the end of the document.
  void SetValue(std::string_view section, std::string_view key, std::string_view value);

  std::string Text() const;

  // Writes the document to a temporary file beside `path` and renames it over
  // `path`, so a failed write leaves the old file whole; in a folder that
  // takes no new file, an existing file is rewritten in place. A read-only
  // file or anything but a plain file is never replaced. False on failure.
  bool Save(const std::string& path) const;

 private:
  struct Line {
    std::string text;  // without the line end
    std::string end;   // "\r\n", "\n" or "" for a last line without one
  };
  // The index of the section header line, or -1.
  long FindSection(std::string_view section) const;
  // The end (exclusive) of the section that starts at header `at`.
  std::size_t SectionEnd(std::size_t at) const;
  std::string NewLineEnd() const;

  std::vector<Line> lines_;
};

}  // namespace vestok
