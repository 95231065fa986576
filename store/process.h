#pragma once

#include <QLatin1String>
#include <QSqlDatabase>

#include "store/statement.h"

// The operation log of the cabinet. This program makes the table and leaves
// its rows to others.
namespace store::process {

inline constexpr QLatin1String CreateSql{
    "CREATE TABLE IF NOT EXISTS process (row INTEGER PRIMARY KEY AUTOINCREMENT, operation int, "
    "description varchar(100), time varchar(32), sync int)"};

Result create(const QSqlDatabase &db);

} // namespace store::process
