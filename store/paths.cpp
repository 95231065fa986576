#include "store/paths.h"

#include <QDir>

namespace store {

namespace {
QString &currentRoot()
{
    static QString root;
    return root;
}
} // namespace

QString defaultDataRoot()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:/QUORVIN/");
#else
    return QDir::homePath() + QStringLiteral("/QUORVIN/");
#endif
}

QString dataRoot()
{
    if (currentRoot().isEmpty())
        currentRoot() = defaultDataRoot();
    return currentRoot();
}

void setDataRoot(const QString &root)
{
    currentRoot() =
        root.isEmpty() || root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
}

QString productFolderPath()
{
    return dataRoot() + QStringLiteral("Zelvatto/");
}

QString mainStorePath()
{
    return dataRoot() + QStringLiteral("Zelvatto.sql");
}

QString mediaStorePath()
{
    return dataRoot() + QStringLiteral("Media.sql");
}

QString deviceFolderPath(const QString &devId)
{
    return dataRoot() + devId;
}

} // namespace store
