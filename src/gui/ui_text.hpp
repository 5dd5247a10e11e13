// Texts between the window and the core. The core keeps 8-bit texts (inputs, reports and
// files are Latin-1 as the files are written); file names are the system's own bytes.
#pragma once

#include <QFile>
#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

namespace dodavev {

inline QString ToQt(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Characters beyond Latin-1 cannot stand in an 8-bit text; they become "?".
inline std::string FromQt(const QString& text) {
  const QByteArray bytes = text.toLatin1();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

inline std::filesystem::path PathFromQt(const QString& name) {
  const QByteArray bytes = QFile::encodeName(name);
  return std::filesystem::path(
      std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

inline QString PathToQt(const std::filesystem::path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

}  // namespace dodavev
