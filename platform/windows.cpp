#include "platform/platform.h"

#include "platform/system.h"

#include <QDir>
#include <QSettings>
#include <QStringList>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// After windows.h, whose definitions they need.
#include <aclapi.h>
#include <sddl.h>

namespace platform {

namespace {
LPCWSTR wide(const QString &text)
{
    return reinterpret_cast<LPCWSTR>(text.utf16());
}

QString sidText(PSID sid)
{
    LPWSTR text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text))
        return {};
    const QString result = QString::fromWCharArray(text);
    LocalFree(text);
    return result;
}

// The accounts a folder of the program's may admit: the one running it,
// SYSTEM, Administrators, and CREATOR OWNER, which stands for whoever makes a
// file inside.
QStringList ownAccounts()
{
    return {accountId(), QStringLiteral("S-1-5-18"), QStringLiteral("S-1-5-32-544"),
            QStringLiteral("S-1-3-0")};
}
} // namespace

QString defaultDataRoot()
{
    return QStringLiteral("C:/QUORVIN/");
}

QString machineSetting(const QString &name)
{
    const QSettings machine(
        QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\" QUORVIN_VENDOR "\\" QUORVIN_PRODUCT_NAME),
        QSettings::Registry64Format);
    return machine.value(name).toString();
}

void markProgramRunning()
{
    // Everyone may wait on the mutex, so that an installer run by another user
    // can open it, and a copy started by another user holds it too.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"D:(A;;0x00100000;;;WD)", SDDL_REVISION_1, &descriptor, nullptr))
        return;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    const QString name = QStringLiteral("Global\\" QUORVIN_RUNNING_MARKER);
    // Never closed: Windows releases it when the process ends, however it ends.
    CreateMutexExW(&attributes, wide(name), 0, SYNCHRONIZE);
    LocalFree(descriptor);
}

QString accountId()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    QByteArray user(qsizetype(size), '\0');
    QString sid;
    if (size > 0 && GetTokenInformation(token, TokenUser, user.data(), size, &size))
        sid = sidText(reinterpret_cast<TOKEN_USER *>(user.data())->User.Sid);
    CloseHandle(token);
    return sid;
}

void allowOtherCopyToComeForward()
{
    AllowSetForegroundWindow(ASFW_ANY);
}

// The drive's root lets every signed-in account change what is made below it
// (an inherited Modify entry for Authenticated Users), so the folder gets a
// protected list of its own. Without the account's SID it is made as any
// folder is, and start-up's check reports it as open.
bool makeFolderOfAccountAlone(const QString &path)
{
    const QString account = accountId();
    const QString sddl =
        QStringLiteral("D:P(A;OICI;FA;;;%1)(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)").arg(account);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (account.isEmpty()
        || !ConvertStringSecurityDescriptorToSecurityDescriptorW(wide(sddl), SDDL_REVISION_1,
                                                                 &descriptor, nullptr))
        return CreateDirectoryW(wide(QDir::toNativeSeparators(path)), nullptr);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    const bool made = CreateDirectoryW(wide(QDir::toNativeSeparators(path)), &attributes);
    LocalFree(descriptor);
    return made;
}

bool makePrivateFile(const QString &)
{
    return true;
}

bool isOpenToOtherAccounts(const QString &path)
{
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(wide(QDir::toNativeSeparators(path)), SE_FILE_OBJECT,
                              DACL_SECURITY_INFORMATION, nullptr, nullptr, &list, nullptr,
                              &descriptor)
        != ERROR_SUCCESS)
        return false;
    // No list at all admits everyone.
    bool open = list == nullptr;
    const QStringList own = ownAccounts();
    for (DWORD i = 0; !open && i < list->AceCount; ++i) {
        void *entry = nullptr;
        if (!GetAce(list, i, &entry)
            || static_cast<ACE_HEADER *>(entry)->AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        open = !own.contains(sidText(&static_cast<ACCESS_ALLOWED_ACE *>(entry)->SidStart));
    }
    LocalFree(descriptor);
    return open;
}

} // namespace platform
