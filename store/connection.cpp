#include "store/connection.h"

#include "store/paths.h"

#include <QFile>

namespace store {

QSqlDatabase attach(const QString &connectionName, const QString &filePath)
{
    QSqlDatabase db = QSqlDatabase::contains(connectionName)
                          ? QSqlDatabase::database(connectionName, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    if (db.isOpen())
        db.close();
    db.setDatabaseName(filePath);
    return db;
}

void closeAndRemove(QSqlDatabase &mainDb, QSqlDatabase &mediaDb)
{
    if (mainDb.isOpen())
        mainDb.close();
    if (mediaDb.isOpen())
        mediaDb.close();
    mainDb = QSqlDatabase();
    mediaDb = QSqlDatabase();
    QSqlDatabase::removeDatabase(MainConnectionName);
    QSqlDatabase::removeDatabase(MediaConnectionName);
}

bool deleteStoreFiles()
{
    QFile::remove(mainStorePath());
    QFile::remove(mediaStorePath());
    return !QFile::exists(mainStorePath()) && !QFile::exists(mediaStorePath());
}

} // namespace store
