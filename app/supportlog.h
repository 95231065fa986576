#pragma once

#include <QString>
#include <QtGlobal>

namespace supportlog {

inline constexpr qint64 DefaultMaxBytes = 1024 * 1024;
// Longer messages are cut in the file (the usual output keeps them whole).
inline constexpr qsizetype MaxLineBytes = 4096;

// Copies every log line, with its time, into a file an operator can send to
// support. When the file would grow past maxBytes it becomes <file>.1 (the one
// kept predecessor) and a new file is begun. A file that cannot be written is
// skipped without disturbing the program; lines still reach the usual output.
void install(const QString &filePath, qint64 maxBytes = DefaultMaxBytes);
void uninstall();

// The log file's place under a data root.
QString filePathUnder(const QString &dataRoot);

} // namespace supportlog
