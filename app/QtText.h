#pragma once
// Conversions between the program's text forms and QString.
#include <QFile>
#include <QLocale>
#include <QString>
#include <string>
#include <string_view>

#include "project/Text.h"

namespace orv::ui {

inline QString FromCp1252(std::string_view bytes) { return QString::fromStdString(Cp1252ToUtf8(bytes)); }
inline std::string ToCp1252(const QString& s) { return Utf8ToCp1252(s.toStdString()); }
inline QString FromUtf8(const std::string& s) { return QString::fromStdString(s); }
inline std::string ToUtf8(const QString& s) { return s.toStdString(); }
// File paths in the form the operating system takes them.
inline std::string ToUtf8Path(const QString& p) { return QFile::encodeName(p).toStdString(); }
inline QString FromUtf8Path(const std::string& p) { return QFile::decodeName(QByteArray::fromStdString(p)); }

// The system's decimal separator, as the forms show numbers ("," or "."; "." where
// the system's is not a single ASCII character). Texts typed with either are read.
inline char DecimalSeparator() {
  const QString p = QLocale().decimalPoint();
  return p.size() == 1 && p.at(0).unicode() > 32 && p.at(0).unicode() < 127 ? static_cast<char>(p.at(0).unicode())
                                                                           : '.';
}

}  // namespace orv::ui
