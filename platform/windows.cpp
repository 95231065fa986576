#include "platform/platform.h"

#include <QSettings>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// After windows.h, whose definitions it needs.
#include <sddl.h>

namespace platform {

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
    CreateMutexExW(&attributes, reinterpret_cast<LPCWSTR>(name.utf16()), 0, SYNCHRONIZE);
    LocalFree(descriptor);
}

} // namespace platform
