#pragma once
// The values of TfMain::Tag, the kind of job started last. Stop reads it to
// pick the held job it stops; a run of the "&Casa" menu has its own value,
// which names no held job.
namespace vestok {

inline constexpr int kTagUpload = 10;
inline constexpr int kTagDownload = 20;
inline constexpr int kTagDelete = 30;
inline constexpr int kTagRegisterRun = 40;

}  // namespace vestok
