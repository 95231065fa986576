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

// Who runs the program, as the system names the account: the user's SID on
// Windows, the user ID elsewhere.
QString accountId();

// Lets the copy of the program that is asked next bring its window to the
// front, which Windows refuses a program in the background on its own.
void allowOtherCopyToComeForward();

// Makes the folder and every missing folder above it. Each one made here is
// the account's alone: on Windows a protected access list, full control for
// the account, SYSTEM and Administrators, inherited by what is made inside;
// elsewhere mode 0700. Folders that exist are left as they are. True when the
// folder exists afterwards.
bool makePrivateFolder(const QString &path);

// Creates an empty file that only the account may read and write (mode 0600),
// unless something is there already; on Windows the folder's inherited access
// list decides, and nothing is done. False when it could not be created.
bool makePrivateFile(const QString &path);

// Whether an account other than this one, SYSTEM and Administrators may use
// the folder, or what is made inside it.
bool isOpenToOtherAccounts(const QString &path);

} // namespace platform
