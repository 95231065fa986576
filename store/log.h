#pragma once

#include <QDebug>
#include <QString>

namespace store {

// One line of the debug log, handed to the message logger (without file, line
// or function context) when it goes out of scope. Its text is the one the
// debug stream gives the same items: one space between items, labels as they
// stand, strings in double quotes with the stream's escaping, integers in
// decimal. Strings that need no escaping and integers are written directly;
// every other item goes through the debug stream itself, which costs several
// times as much, and a window that reads a locker set logs a line per locker.
class LogLine
{
public:
    LogLine();
    ~LogLine();
    LogLine(const LogLine &) = delete;
    LogLine &operator=(const LogLine &) = delete;

    LogLine &operator<<(const char *label);
    LogLine &operator<<(const QString &text);
    LogLine &operator<<(int number);

    template<typename Item>
    LogLine &operator<<(const Item &item)
    {
        QDebug(&nextItem()).nospace() << item;
        return *this;
    }

private:
    // The text with the space before a further item.
    QString &nextItem();
    // Room for a further item of count characters, after its space.
    char16_t *room(qsizetype count);

    QString m_text;
    bool m_hasItems = false;
};

inline LogLine logLine()
{
    return LogLine();
}

// A secret as the log shows it: a fixed mask, so that not even its length is
// given away; an empty one stays empty.
inline QString maskedSecret(const QString &secret)
{
    return secret.isEmpty() ? QString() : QStringLiteral("********");
}

// An identifier as the log shows it: all but its last two characters masked,
// enough for support to tell two rows apart and too little to call a
// customer's phone or open a locker with a tag.
inline QString maskedAllButLastTwo(const QString &identifier)
{
    const qsizetype shown = identifier.size() > 2 ? 2 : 0;
    return QString(identifier.size() - shown, QLatin1Char('*')) + identifier.right(shown);
}

} // namespace store
