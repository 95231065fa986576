#include "app/supportlog.h"

#include "platform/platform.h"

#include <QDateTime>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>

#include <limits>

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
    // Set when the file could be neither rotated nor copied and emptied; it is
    // then left alone until the next install, so that it never grows past its
    // cap.
    bool givenUp = false;
    // The file's size when it was opened plus the lines written since.
    qint64 size = 0;
    // The local time's offset from UTC, in milliseconds, as of the minute
    // (since the epoch) when it was last asked for.
    qint64 offsetMs = 0;
    qint64 offsetMinute = NotAsked;
    static constexpr qint64 NotAsked = std::numeric_limits<qint64>::min();
};

State &state()
{
    static State s;
    return s;
}

void putDigits(char *at, int value, int count)
{
    for (int i = count - 1; i >= 0; --i, value /= 10)
        at[i] = char('0' + value % 10);
}

// The local time now, as a time in UTC whose fields read as the local ones,
// so that taking it apart consults no time zone. Asking for the local time
// reads the system's time zone file each time; offsets change only on the
// minute, so the offset is asked for once a minute.
QDateTime localNow(State &s)
{
    const qint64 utc = QDateTime::currentMSecsSinceEpoch();
    const qint64 minute = utc / 60000;
    if (minute != s.offsetMinute) {
        s.offsetMs = qint64(QDateTime::fromMSecsSinceEpoch(utc).offsetFromUtc()) * 1000;
        s.offsetMinute = minute;
    }
    return QDateTime::fromMSecsSinceEpoch(utc + s.offsetMs, Qt::UTC);
}

// The message as the file holds it: cut at MaxLineBytes, on a character's
// boundary, and marked, since one whole reply body would otherwise pass the
// file's cap at once.
QByteArray boundedText(const QString &message)
{
    QByteArray text = message.toUtf8();
    if (text.size() <= MaxLineBytes)
        return text;
    const qsizetype whole = text.size();
    qsizetype end = MaxLineBytes;
    while (end > 0 && (static_cast<unsigned char>(text.at(end)) & 0xC0) == 0x80)
        --end;
    text.truncate(end);
    return text.append(" [cut, ").append(QByteArray::number(whole)).append(" bytes in all]");
}

// One line of the file: the local time as Qt::ISODateWithMs writes it
// (yyyy-MM-ddTHH:mm:ss.zzz), a space, the message and a line end. The time is
// formatted here; the toolkit's own formatting costs more than all else a
// line needs.
QByteArray lineOf(const QDateTime &time, const QString &message)
{
    int year = 0;
    int month = 0;
    int day = 0;
    time.date().getDate(&year, &month, &day);
    if (year < 1 || year > 9999)
        return (time.date().toString(Qt::ISODate) + u'T' + time.time().toString(Qt::ISODateWithMs)
                + u' ')
                   .toUtf8()
               + boundedText(message) + '\n';
    const QTime clock = time.time();
    const char stamp[] = "0000-00-00T00:00:00.000 ";
    const QByteArray text = boundedText(message);
    QByteArray line;
    line.reserve(qsizetype(sizeof stamp) + text.size() + 1);
    line.append(stamp, qsizetype(sizeof stamp) - 1).append(text).append('\n');
    char *at = line.data();
    putDigits(at, year, 4);
    putDigits(at + 5, month, 2);
    putDigits(at + 8, day, 2);
    putDigits(at + 11, clock.hour(), 2);
    putDigits(at + 14, clock.minute(), 2);
    putDigits(at + 17, clock.second(), 2);
    putDigits(at + 20, clock.msec(), 3);
    return line;
}

bool openForAppend(State &s)
{
    if (s.file.isOpen())
        return true;
    // Lines hold what support needs and no one else: the file is the
    // account's alone.
    platform::makePrivateFile(s.path);
    s.file.setFileName(s.path);
    // Unbuffered: each line goes to the file in one write as it is logged.
    if (!s.file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    // Asked once here rather than for every line: asking flushes and asks
    // the file system each time.
    s.size = s.file.size();
    return true;
}

// Renames from to to, which may exist already: to is moved aside first and
// goes only once from has taken its place, or comes back.
bool renameOver(const QString &from, const QString &to)
{
    const QString aside = to + QStringLiteral(".old");
    QFile::remove(aside);
    const bool replacing = QFile::exists(to);
    if (replacing && !QFile::rename(to, aside))
        return false;
    if (QFile::rename(from, to)) {
        QFile::remove(aside);
        return true;
    }
    if (replacing)
        QFile::rename(aside, to);
    return false;
}

// Copies from over to, to's old bytes kept until the copy is whole.
bool copyOver(const QString &from, const QString &to)
{
    const QString copy = to + QStringLiteral(".new");
    QFile::remove(copy);
    if (QFile::copy(from, copy) && renameOver(copy, to))
        return true;
    QFile::remove(copy);
    return false;
}

// Makes room for the next line: the file becomes the one kept predecessor.
// A file another program holds (on Windows an editor or a virus scanner)
// cannot be renamed; it is copied to the predecessor and then emptied in
// place. When that fails too, both files stay as they are and the file is
// given up until the next start, so that it never grows past its cap.
bool rotate(State &s)
{
    s.file.close();
    const QString predecessor = s.path + QStringLiteral(".1");
    if (renameOver(s.path, predecessor))
        return true;
    QFile current(s.path);
    if (copyOver(s.path, predecessor) && current.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return true;
    s.givenUp = true;
    return false;
}

void write(State &s, const QString &message)
{
    const QByteArray line = lineOf(localNow(s), message);
    if (s.givenUp || !openForAppend(s))
        return;
    if (s.size > 0 && s.size + line.size() > s.maxBytes) {
        if (!rotate(s) || !openForAppend(s))
            return;
    }
    if (s.file.write(line) != line.size()) {
        // A full disk or a vanished folder: give up on this line and reopen
        // next time rather than keep a broken handle.
        s.file.close();
        return;
    }
    s.size += line.size();
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
    s.offsetMinute = State::NotAsked;
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
