#pragma once

#include <QString>

// What differs between Windows and other systems, each in one place: the
// Windows side is platform/windows.cpp, the other platform/posix.cpp.
namespace platform {

// "C:/QUORVIN/" on Windows; elsewhere the folder QUORVIN in the user's home.
// Always ends in a slash.
QString defaultDataRoot();

// A setting made for every user of the machine when the program was installed:
// on Windows a value under HKEY_LOCAL_MACHINE\Software\<vendor>\<product>.
// Empty when it is not set, and on other systems.
QString machineSetting(const QString &name);

// Marks this process as a running copy of the program until it ends, so that
// an installer run by any user of the machine can refuse to replace it: on
// Windows a named mutex in the global namespace that every user may see.
// Nothing on other systems.
void markProgramRunning();

} // namespace platform
