#include "platform/platform.h"

#include "platform/system.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

QString accountId()
{
    return QString::number(::getuid());
}

void allowOtherCopyToComeForward() { }

bool makeFolderOfAccountAlone(const QString &path)
{
    return ::mkdir(QFile::encodeName(path).constData(), 0700) == 0;
}

bool makePrivateFile(const QString &path)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
        return ::close(fd) == 0;
    return errno == EEXIST;
}

bool isOpenToOtherAccounts(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return (info.st_mode & (S_IRWXG | S_IRWXO)) != 0;
}

} // namespace platform
