#include "app/mainwindow.h"
#include "store/log.h"
#include "store/records.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

using store::logLine;

bool MainWindow::deviceSettingAddTable()
{
    QSqlQuery query(mainDb);
    // Not executed when the store refuses to prepare it, so the error text
    // stays the store's own.
    const bool prepared = query.prepare(QStringLiteral(
        "INSERT INTO device_setting (id, timer1On, timer2On, timer3On, timer4On, timer1Off, "
        "timer2Off, timer3Off, timer4Off, wifi_ssid, wifi_pass, cam1ip, cam2ip, cam1enable, "
        "cam2enable, dev_timer_system) VALUES (1, '08:30', '16:00', '24:60', '24:60', '13:00', "
        "'21:30', '24:60', '24:60', 'Quorvin', '47193025', '', '', 1, 0, '' )"));
    if (prepared && query.exec())
        return true;
    logLine() << "Insert error:" << query.lastError().text();
    return false;
}

int MainWindow::deviceSettingReadTable()
{
    if (!mainDb.isOpen() && !mainDb.open())
        return 0;
    QSqlQuery query(mainDb);
    query.exec(QStringLiteral(
        "SELECT id, timer1On, timer2On, timer3On, timer4On, timer1Off, timer2Off, timer3Off, "
        "timer4Off, wifi_ssid, wifi_pass, cam1ip, cam2ip, cam1enable, cam2enable, "
        "dev_timer_system FROM device_setting"));
    while (query.next()) {
        if (query.value(0).toInt() != 1)
            continue;
        DeviceSettingRecord = store::deviceSettingFromRow(query.record());
        store::logDeviceSetting(DeviceSettingRecord);
        return 1;
    }
    return 0;
}
