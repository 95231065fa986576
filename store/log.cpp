#include "store/log.h"

#include <QtGlobal>

#include <charconv>
#include <cstring>

namespace store {

namespace {
// Whether the debug stream writes the text as it is between its quotes:
// printable ASCII without the quote and the backslash, which it escapes.
bool writtenAsIs(const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u > 0x7e || u == u'"' || u == u'\\')
            return false;
    }
    return true;
}
bool isAscii(const char *text, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return false;
    return true;
}
} // namespace

LogLine::LogLine()
{
    // Room for a locker's line, so that it is not reallocated item by item.
    m_text.reserve(256);
}

// What the message logger's debug stream hands on when it is done: the same
// type, an empty context and the text, without the stream around it.
LogLine::~LogLine()
{
    qt_message_output(QtDebugMsg, QMessageLogContext(), m_text);
}

QString &LogLine::nextItem()
{
    if (m_hasItems)
        m_text.append(QLatin1Char(' '));
    m_hasItems = true;
    return m_text;
}

LogLine &LogLine::operator<<(const char *label)
{
    // The stream reads a label as UTF-8, which for ASCII is Latin-1 as well.
    const size_t length = label ? std::strlen(label) : 0;
    if (isAscii(label, length))
        nextItem().append(QLatin1StringView(label, qsizetype(length)));
    else
        nextItem().append(QString::fromUtf8(label, qsizetype(length)));
    return *this;
}

LogLine &LogLine::operator<<(const QString &text)
{
    if (writtenAsIs(text))
        nextItem().append(QLatin1Char('"')).append(text).append(QLatin1Char('"'));
    else
        QDebug(&nextItem()).nospace() << text;
    return *this;
}

LogLine &LogLine::operator<<(int number)
{
    char digits[16];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, number);
    nextItem().append(QLatin1StringView(digits, end.ptr - digits));
    return *this;
}

} // namespace store
