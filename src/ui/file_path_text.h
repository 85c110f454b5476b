#pragma once
// File names are kept as the file system's bytes (CurrentFileName) and shown
// decoded in the window.
#include <QFile>
#include <QString>
#include <string>

namespace vestok {

inline std::string PathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }
inline QString PathText(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

}  // namespace vestok
