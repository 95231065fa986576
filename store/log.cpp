#include "store/log.h"

#include <QtGlobal>

#include <charconv>
#include <cstring>

namespace store {

namespace {
// Whether the debug stream writes a character as it is between its quotes:
// printable ASCII but the quote and the backslash, which it escapes.
bool writtenAsIs(char16_t c)
{
    return c >= 0x20 && c <= 0x7e && c != u'"' && c != u'\\';
}

// The room for count more characters at the end of the text, inside the room
// reserved for it.
char16_t *extend(QString &text, qsizetype count)
{
    const qsizetype start = text.size();
    text.resize(start + count);
    return reinterpret_cast<char16_t *>(text.data()) + start;
}

// Appends an ASCII text, widened character by character; appends nothing and
// gives false for a text with any other byte.
bool appendAscii(QString &text, const char *ascii)
{
    const qsizetype length = qsizetype(std::strlen(ascii));
    char16_t *out = extend(text, length);
    for (qsizetype i = 0; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(ascii[i]);
        if (byte >= 0x80) {
            text.chop(length);
            return false;
        }
        out[i] = byte;
    }
    return true;
}

// Appends a string in quotes as the debug stream writes one that needs no
// escaping; appends nothing and gives false for any other.
bool appendQuotedAsIs(QString &text, const QString &value)
{
    const qsizetype length = value.size();
    const char16_t *in = QStringView(value).utf16();
    char16_t *out = extend(text, length + 2);
    out[0] = u'"';
    for (qsizetype i = 0; i < length; ++i) {
        if (!writtenAsIs(in[i])) {
            text.chop(length + 2);
            return false;
        }
        out[i + 1] = in[i];
    }
    out[length + 1] = u'"';
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
    QString &text = nextItem();
    if (label && !appendAscii(text, label))
        text.append(QString::fromUtf8(label));
    return *this;
}

LogLine &LogLine::operator<<(const QString &value)
{
    QString &text = nextItem();
    if (!appendQuotedAsIs(text, value))
        QDebug(&text).nospace() << value;
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
