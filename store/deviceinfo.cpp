#include "store/deviceinfo.h"

#include "app/mainwindow.h"
#include "store/log.h"
#include "store/records.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

using store::logLine;

bool store::deviceRowExists(const QSqlDatabase &db, bool *asked)
{
    if (asked)
        *asked = false;
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM device_info WHERE id=1"))) {
        logLine() << "Select error:" << query.lastError().text();
        return false;
    }
    if (asked)
        *asked = true;
    return query.next() && query.value(0).toInt() > 0;
}

bool MainWindow::deviceInfoAddTable(const QString &dev_id)
{
    QSqlQuery query(mainDb);
    // A statement the store refuses to prepare (a missing column, a locked
    // store) is not executed: its error text is the store's own, which
    // executing it anyway would replace with a parameter count mismatch.
    const bool prepared = query.prepare(QStringLiteral(
        "INSERT INTO device_info (id, dev_id, dev_name, dev_model, dev_lockers, dev_location, "
        "dev_address, dev_description, dev_status) VALUES (1, ?, '', '', 0, '', '', '', 0 )"));
    query.addBindValue(store::sqlText(dev_id));
    if (prepared && query.exec())
        return true;
    logLine() << "Insert error:" << query.lastError().text();
    return false;
}

int MainWindow::deviceInfoReadTable()
{
    if (!mainDb.isOpen() && !mainDb.open())
        return 0;
    QSqlQuery query(mainDb);
    query.exec(QStringLiteral(
        "SELECT id, dev_id, dev_name, dev_model, dev_lockers, dev_location, dev_address, "
        "dev_description, dev_status FROM device_info"));
    while (query.next()) {
        if (query.value(0).toInt() != 1)
            continue;
        DeviceInfoRecord = store::deviceInfoFromRow(query.record());
        store::logDeviceInfo(DeviceInfoRecord);
        return 1;
    }
    return 0;
}

bool MainWindow::deviceInfoUpdateIDTable(const QString &dev_id, int dev_status)
{
    QSqlQuery query(mainDb);
    const bool prepared =
        query.prepare(QStringLiteral("UPDATE device_info SET dev_id=?, dev_status=? WHERE id=1"));
    query.addBindValue(store::sqlText(dev_id));
    query.addBindValue(dev_status);
    if (prepared && query.exec())
        return true;
    logLine() << "Update error:" << query.lastError().text();
    return false;
}

bool MainWindow::deviceInfoUpdateTable(const QString &dev_name, const QString &dev_model,
                                       int dev_lockers, const QString &dev_location,
                                       const QString &dev_address, const QString &dev_description,
                                       int dev_status)
{
    QSqlQuery query(mainDb);
    const bool prepared = query.prepare(QStringLiteral(
        "UPDATE device_info SET dev_name=?, dev_model=?, dev_lockers=?, dev_location=?, "
        "dev_address=?, dev_description=?, dev_status=? WHERE id=1"));
    query.addBindValue(store::sqlText(dev_name));
    query.addBindValue(store::sqlText(dev_model));
    query.addBindValue(dev_lockers);
    query.addBindValue(store::sqlText(dev_location));
    query.addBindValue(store::sqlText(dev_address));
    query.addBindValue(store::sqlText(dev_description));
    query.addBindValue(dev_status);
    if (prepared && query.exec())
        return true;
    logLine() << "Update error:" << query.lastError().text();
    return false;
}
