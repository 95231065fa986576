#include "platform/platform.h"

#include "platform/system.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace platform {

// The missing folders are made from the top down, so that each one is made
// with its rights rather than given them afterwards.
bool makePrivateFolder(const QString &path)
{
    QStringList missing;
    for (QString folder = QDir::cleanPath(QDir(path).absolutePath()); !QFileInfo::exists(folder);
         folder = QFileInfo(folder).path()) {
        missing.prepend(folder);
        if (QFileInfo(folder).path() == folder)
            break;
    }
    for (const QString &folder : missing) {
        if (!makeFolderOfAccountAlone(folder) && !QFileInfo(folder).isDir())
            return false;
    }
    return QFileInfo(path).isDir();
}

} // namespace platform
