// Wide text of the converter to and from the text of Qt's controls (both
// UTF-16).
#pragma once

#include <QString>
#include <string>

inline QString to_qstring(const std::u16string& text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::u16string to_u16(const QString& text) { return text.toStdU16String(); }
