#include "platform/platform.h"

#include <QDir>

namespace platform {

QString defaultDataRoot()
{
    return QDir::homePath() + QStringLiteral("/QUORVIN/");
}

QString machineSetting(const QString &)
{
    return {};
}

void markProgramRunning() { }

} // namespace platform
