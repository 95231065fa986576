#pragma once

#include <QString>

namespace store {

// "C:/QUORVIN/" on Windows; elsewhere the folder QUORVIN in the user's home.
// Always ends in a slash.
QString defaultDataRoot();

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

// What differs between Windows and other systems besides the data root lives
// here too.

// A setting made for every user of the machine when the program was installed:
// on Windows a value under HKEY_LOCAL_MACHINE\Software\<vendor>\<product>.
// Empty when it is not set, and on other systems.
QString machineSetting(const QString &name);

// Marks this process as a running copy of the program until it ends, so that
// an installer run by any user of the machine can refuse to replace it: on
// Windows a named mutex in the global namespace that every user may see.
// Nothing on other systems.
void markProgramRunning();

} // namespace store
