#pragma once

#include <QDebug>
#include <QMessageLogger>

namespace store {

// Every log line goes to the debug output without file, line or function
// context; strings are quoted by the debug stream, integers written in decimal.
inline QDebug logLine()
{
    return QMessageLogger().debug();
}

} // namespace store
