#pragma once
// Qt's text in test failures as text, not as a list of bytes.

#include <QString>
#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
