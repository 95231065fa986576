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

char16_t *LogLine::room(qsizetype count)
{
    const qsizetype space = m_hasItems ? 1 : 0;
    m_hasItems = true;
    const qsizetype start = m_text.size();
    m_text.resize(start + space + count);
    char16_t *at = reinterpret_cast<char16_t *>(m_text.data()) + start;
    if (space)
        *at++ = u' ';
    return at;
}

// Each item is copied into its room in one pass that also checks it; an item
// that turns out to need more is taken back and written the slower way.
LogLine &LogLine::operator<<(const char *label)
{
    // The stream reads a label as UTF-8, which for ASCII is Latin-1 as well.
    const qsizetype length = label ? qsizetype(std::strlen(label)) : 0;
    char16_t *out = room(length);
    unsigned char bytes = 0;
    for (qsizetype i = 0; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(label[i]);
        bytes |= byte;
        out[i] = byte;
    }
    if (bytes >= 0x80) {
        m_text.chop(length);
        m_text.append(QString::fromUtf8(label, length));
    }
    return *this;
}

LogLine &LogLine::operator<<(const QString &value)
{
    const qsizetype length = value.size();
    const char16_t *in = QStringView(value).utf16();
    char16_t *out = room(length + 2);
    bool asIs = true;
    out[0] = u'"';
    for (qsizetype i = 0; i < length; ++i) {
        asIs = asIs && writtenAsIs(in[i]);
        out[i + 1] = in[i];
    }
    out[length + 1] = u'"';
    if (!asIs) {
        m_text.chop(length + 2);
        QDebug(&m_text).nospace() << value;
    }
    return *this;
}

LogLine &LogLine::operator<<(int number)
{
    char digits[16];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, number);
    const qsizetype length = end.ptr - digits;
    char16_t *out = room(length);
    for (qsizetype i = 0; i < length; ++i)
        out[i] = static_cast<unsigned char>(digits[i]);
    return *this;
}

} // namespace store
