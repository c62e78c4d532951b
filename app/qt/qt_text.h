// Texts at the window's edge: the core speaks Windows-1252 ("ANSI"), Qt
// speaks Unicode.
#pragma once

#include <QString>
#include <string>

#include "base/utf8.h"

namespace tarvo {

inline QString FromAnsi(const std::string& ansi) { return QString::fromStdString(AnsiToUtf8(ansi)); }
inline std::string ToAnsi(const QString& text) { return Utf8ToAnsi(text.toStdString()); }

}  // namespace tarvo
