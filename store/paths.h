#pragma once

#include <QString>

namespace store {

// The data root in use: the default, fixed at its first use, so that a
// process that changes its home folder later keeps writing where it started;
// or the one set before, which tests use to keep every file in a folder of
// their own on every system. An empty root goes back to the default.
QString dataRoot();
void setDataRoot(const QString &root);

QString productFolderPath();                    // <root>Zelvatto/
QString mainStorePath();                        // <root>Zelvatto.sql
QString mediaStorePath();                       // <root>Media.sql
QString deviceFolderPath(const QString &devId); // <root><devId>

} // namespace store
