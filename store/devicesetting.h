#pragma once

#include <QLatin1String>
#include <QSqlDatabase>
#include <QString>
#include <QtGlobal>

#include <optional>

#include "store/statement.h"

// The cabinet's operating settings: the row of device_setting whose id is 1.
struct DeviceSetting
{
    QString timer1On;
    QString timer2On;
    QString timer3On;
    QString timer4On;
    QString timer1Off;
    QString timer2Off;
    QString timer3Off;
    QString timer4Off;
    QString wifi_ssid;
    QString wifi_pass;
    QString cam1ip;
    QString cam2ip;
    QString dev_timer_system;
    qint32 cam1enable = 0;
    qint32 cam2enable = 0;
};

// The process-wide copy of the settings row, refreshed only by reading it.
extern DeviceSetting DeviceSettingRecord;

namespace store::deviceSetting {

inline constexpr QLatin1String CreateSql{
    "CREATE TABLE IF NOT EXISTS device_setting (row INTEGER PRIMARY KEY AUTOINCREMENT, id int, "
    "timer1On varchar(10), timer2On varchar(10), timer3On varchar(10), timer4On varchar(10), "
    "timer1Off varchar(10), timer2Off varchar(10), timer3Off varchar(10), timer4Off varchar(10), "
    "wifi_ssid varchar(32), wifi_pass varchar(32), cam1ip varchar(20), cam2ip varchar(20), "
    "cam1enable int, cam2enable int, dev_timer_system  varchar(50) )"};

inline constexpr QLatin1String SelectSql{
    "SELECT id, timer1On, timer2On, timer3On, timer4On, timer1Off, timer2Off, timer3Off, "
    "timer4Off, wifi_ssid, wifi_pass, cam1ip, cam2ip, cam1enable, cam2enable, "
    "dev_timer_system FROM device_setting"};

Result create(const QSqlDatabase &db);
std::optional<DeviceSetting> read(const QSqlDatabase &db);

// The settings row with its defaults.
Result insertDefaults(const QSqlDatabase &db);
// The timer-system text the directory server sends.
Result updateTimerSystem(const QSqlDatabase &db, const QString &timerSystem);

// The settings line of the log; the Wi-Fi password appears in it only masked.
void log(const DeviceSetting &setting);

} // namespace store::deviceSetting
