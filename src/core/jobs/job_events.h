#pragma once
// What a job tells whoever runs it, as it happens: each record worked on, each
// record that failed, a stop, the verdict. The window reads the same facts from
// its status panels; the engine turns them into the events of a run. Called on
// the thread that carries out the job's steps (the user-interface thread in
// the window), one call at a time.
#include <cstdint>
#include <string>

namespace vestok {

class IJobEvents {
 public:
  virtual ~IJobEvents() = default;
  virtual void JobBegun(const std::string& firstLine) = 0;
  // Record `no` went through: acknowledged (upload, delete) or received whole
  // (download). `done` counts the records that went through so far.
  virtual void RecordDone(std::int32_t no, std::int32_t done) = 0;
  // Record `no` failed; `line` is its error line.
  virtual void RecordFailed(std::int32_t no, const std::string& line) = 0;
  // Stop ended the job after `records` records; `line` says so.
  virtual void JobStopped(std::int32_t records, const std::string& line) = 0;
  virtual void JobVerdict(const std::string& line, std::int32_t errors) = 0;
};

}  // namespace vestok
