#pragma once

#include <QLatin1String>
#include <QSqlDatabase>
#include <QString>

namespace store {

inline constexpr QLatin1String MainConnectionName{"qt_sql_default_connection"};
inline constexpr QLatin1String MediaConnectionName{"media_db_conn"};

// Attaches a handle to the SQLite connection of that name, adding the
// connection on first use, and points it at the file. The handle is not
// opened here: an existing connection may still name the file of an earlier
// data root, which must not be touched.
QSqlDatabase attach(const QString &connectionName, const QString &filePath);

// Closes both stores and removes their connections; both handles are left
// invalid, since no handle may refer to a connection while it is removed.
void closeAndRemove(QSqlDatabase &mainDb, QSqlDatabase &mediaDb);

// Deletes both store files; true when neither is left (a file that was never
// there counts as deleted).
bool deleteStoreFiles();

} // namespace store
