#pragma once
// The toolbar's pictures: a small set of our own, painted at run time, for the
// actions the desktop's standard icons have no picture for.
#include <QIcon>

namespace vestok {

enum class TActionPicture {
  DownloadAll,
  DownloadSelection,
  UploadAll,
  UploadSelection,
  DeleteAll,
  DeleteSelection,
  Log,
  Print,
};

QIcon ActionIcon(TActionPicture picture);

}  // namespace vestok
