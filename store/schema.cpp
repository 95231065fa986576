#include "store/schema.h"

#include "app/mainwindow.h"
#include "store/log.h"

#include <QSqlError>
#include <QSqlQuery>

using store::logLine;

namespace store {

QSqlDatabase attachStore(const QString &connectionName, const QString &filePath)
{
    QSqlDatabase db = QSqlDatabase::contains(connectionName)
                          ? QSqlDatabase::database(connectionName, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    if (db.isOpen())
        db.close();
    db.setDatabaseName(filePath);
    return db;
}

} // namespace store

namespace {
bool createTable(QSqlDatabase &db, const char *statement, const char *errorLabel)
{
    QSqlQuery query(db);
    if (query.exec(QString::fromLatin1(statement)))
        return true;
    if (errorLabel)
        logLine() << errorLabel << query.lastError().text();
    return false;
}
} // namespace

bool MainWindow::deviceInfoCreateTable()
{
    return createTable(mainDb, store::CreateDeviceInfoSql, "Create device_info table error:");
}

bool MainWindow::deviceSettingCreateTable()
{
    return createTable(mainDb, store::CreateDeviceSettingSql, "Create device_setting table error:");
}

bool MainWindow::lockersCreateTable()
{
    return createTable(mainDb, store::CreateLockersSql, "Create lockers table error:");
}

bool MainWindow::processCreateTable()
{
    return createTable(mainDb, store::CreateProcessSql, nullptr);
}

bool MainWindow::mediaCreateTable()
{
    if (!mediaDb.isOpen() && !mediaDb.open())
        return false;
    return createTable(mediaDb, store::CreateMediaSql, nullptr);
}
