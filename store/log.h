#pragma once

#include <QDebug>
#include <QMessageLogger>
#include <QString>

namespace store {

// Every log line goes to the debug output without file, line or function
// context; strings are quoted by the debug stream, integers written in decimal.
inline QDebug logLine()
{
    return QMessageLogger().debug();
}

// A secret as the log shows it: a fixed mask, so that not even its length is
// given away; an empty one stays empty.
inline QString maskedSecret(const QString &secret)
{
    return secret.isEmpty() ? QString() : QStringLiteral("********");
}

// A phone number as the log shows it: all but its last two characters masked,
// enough for support to tell two rows apart and too little to call anyone.
inline QString maskedPhoneNumber(const QString &number)
{
    const qsizetype shown = number.size() > 2 ? 2 : 0;
    return QString(number.size() - shown, QLatin1Char('*')) + number.right(shown);
}

} // namespace store
