#include "store/paths.h"

#include "platform/platform.h"

namespace store {

namespace {
QString &currentRoot()
{
    static QString root;
    return root;
}
} // namespace

QString dataRoot()
{
    if (currentRoot().isEmpty())
        currentRoot() = platform::defaultDataRoot();
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
