#pragma once

#include <QString>

namespace store {

// "C:/QUORVIN/" on Windows; elsewhere the folder QUORVIN in the user's home.
// Always ends in a slash.
QString defaultDataRoot();

// The data root in use. The window fixes it when it is built, so that a
// process that changes its home folder later keeps writing where it started.
QString dataRoot();
void setDataRoot(const QString &root);

QString productFolderPath();                    // <root>Zelvatto/
QString mainStorePath();                        // <root>Zelvatto.sql
QString mediaStorePath();                       // <root>Media.sql
QString deviceFolderPath(const QString &devId); // <root><devId>

} // namespace store
