#pragma once
// The pieces of a safe save that the table files and the configuration file
// share: the file a name stands for, a short temporary name beside it, and
// the removal of temporary files that an interrupted save of the same file
// left behind.
#include <string>

namespace vestok {

// Follows symbolic links to the file they name, also when that file does not
// exist yet (a dangling link is then written through, not replaced). A name
// that is no link comes back unchanged; a loop of links gives the name itself.
std::string ResolveSaveTarget(const std::string& path);

// The folder of a file name: "." for a bare name, "/" for one in the root.
std::string FolderOf(const std::string& path);

// True when a new file can be created in the folder of `target` and renamed
// over `target`.
bool FolderWritable(const std::string& target);

// Why the folder `dir` cannot take new files ("dosarul X nu exista", "X nu
// este un dosar", "in dosarul X nu se poate scrie"); empty when it can.
std::string FolderProblem(const std::string& dir);

// A temporary name beside `target`, short whatever the target's length
// (".vst" and a hash of the target's name, the process number, a counter),
// so that a name near the system's limit can still be saved.
std::string TempNameFor(const std::string& target);

// Removes temporary files of saves of `target` whose process has ended (a
// save killed part-way leaves its temporary file); best effort.
void RemoveStaleTemps(const std::string& target);

// Writes all bytes; false on a failure (EINTR is retried).
bool WriteAllTo(int fd, const char* data, std::size_t size);

// `text` into `target` (resolved already): through a temporary file renamed
// over it when the folder allows, else in place (truncate, write, fsync)
// when the file exists and may be written. False when neither is possible
// or a write fails. `mode` is used for a new file.
bool SafeWriteFile(const std::string& target, const std::string& text, unsigned mode);

}  // namespace vestok
