#include "app/supportlog.h"

#include <QDateTime>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>

namespace supportlog {

namespace {
struct State
{
    QMutex mutex;
    QFile file;
    QString path;
    qint64 maxBytes = DefaultMaxBytes;
    QtMessageHandler previous = nullptr;
    bool installed = false;
    // Set when the file could be neither rotated nor emptied; it is then left
    // alone until the next install, so that it never grows past its cap.
    bool givenUp = false;
};

State &state()
{
    static State s;
    return s;
}

bool openForAppend(State &s)
{
    if (s.file.isOpen())
        return true;
    s.file.setFileName(s.path);
    return s.file.open(QIODevice::WriteOnly | QIODevice::Append);
}

// Makes room for the next line, or gives the file up. A file another program
// holds (on Windows an editor or a virus scanner) can be neither renamed nor
// removed; emptying it in place still keeps the cap.
bool rotate(State &s)
{
    s.file.close();
    const QString predecessor = s.path + QStringLiteral(".1");
    QFile::remove(predecessor);
    if (QFile::rename(s.path, predecessor))
        return true;
    QFile current(s.path);
    if (current.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return true;
    s.givenUp = true;
    return false;
}

void write(State &s, const QString &message)
{
    const QByteArray line = QDateTime::currentDateTime()
                                .toString(Qt::ISODateWithMs)
                                .append(QLatin1Char(' '))
                                .append(message)
                                .append(QLatin1Char('\n'))
                                .toUtf8();
    if (s.givenUp || !openForAppend(s))
        return;
    if (s.file.size() > 0 && s.file.size() + line.size() > s.maxBytes) {
        if (!rotate(s) || !openForAppend(s))
            return;
    }
    if (s.file.write(line) != line.size()) {
        // A full disk or a vanished folder: give up on this line and reopen
        // next time rather than keep a broken handle.
        s.file.close();
        return;
    }
    s.file.flush();
}

void handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    State &s = state();
    {
        QMutexLocker lock(&s.mutex);
        write(s, message);
    }
    if (s.previous)
        s.previous(type, context, message);
}
} // namespace

void install(const QString &filePath, qint64 maxBytes)
{
    State &s = state();
    QMutexLocker lock(&s.mutex);
    s.file.close();
    s.path = filePath;
    s.maxBytes = maxBytes;
    s.givenUp = false;
    if (!s.installed) {
        s.previous = qInstallMessageHandler(handler);
        s.installed = true;
    }
}

void uninstall()
{
    State &s = state();
    QMutexLocker lock(&s.mutex);
    if (s.installed) {
        qInstallMessageHandler(s.previous);
        s.installed = false;
    }
    s.file.close();
}

QString filePathUnder(const QString &dataRoot)
{
    return dataRoot + QStringLiteral("quorvin-settings.log");
}

} // namespace supportlog
