#include "store/devicesetting.h"

#include "store/log.h"

DeviceSetting DeviceSettingRecord;

namespace store::deviceSetting {

Result create(const QSqlDatabase &db)
{
    return runDirect(db, CreateSql, "Create device_setting table error:");
}

std::optional<DeviceSetting> read(const QSqlDatabase &db)
{
    QSqlQuery row(db);
    if (!seekRecordOne(row, SelectSql))
        return std::nullopt;
    DeviceSetting s;
    QString *texts[] = {&s.timer1On,  &s.timer2On,  &s.timer3On,  &s.timer4On,
                        &s.timer1Off, &s.timer2Off, &s.timer3Off, &s.timer4Off,
                        &s.wifi_ssid, &s.wifi_pass, &s.cam1ip,    &s.cam2ip};
    int column = 1;
    for (QString *text : texts)
        *text = row.value(column++).toString();
    s.cam1enable = row.value(13).toInt();
    s.cam2enable = row.value(14).toInt();
    s.dev_timer_system = row.value(15).toString();
    return s;
}

Result insertDefaults(const QSqlDatabase &db)
{
    return run(
        db,
        QStringLiteral("INSERT INTO device_setting (id, timer1On, timer2On, timer3On, timer4On, "
                       "timer1Off, timer2Off, timer3Off, timer4Off, wifi_ssid, wifi_pass, cam1ip, "
                       "cam2ip, cam1enable, cam2enable, dev_timer_system) VALUES (1, '08:30', "
                       "'16:00', '24:60', '24:60', '13:00', '21:30', '24:60', '24:60', 'Quorvin', "
                       "'47193025', '', '', 1, 0, '' )"),
        {}, "Insert error:");
}

Result updateTimerSystem(const QSqlDatabase &db, const QString &timerSystem)
{
    return run(db, QStringLiteral("UPDATE device_setting SET dev_timer_system=? WHERE id=1"),
               {timerSystem}, "Update device_setting error:");
}

void log(const DeviceSetting &s)
{
    logLine() << "dev_timer1on:" << s.timer1On << "| dev_timer2on:" << s.timer2On
              << "| dev_timer3on:" << s.timer3On << "| dev_timer4on:" << s.timer4On
              << "| dev_timer1off:" << s.timer1Off << "| dev_timer2off:" << s.timer2Off
              << "| dev_timer3off:" << s.timer3Off << "| dev_timer4off:" << s.timer4Off
              << "| dev_wifi_ssid:" << s.wifi_ssid
              << "| dev_wifi_pass:" << maskedSecret(s.wifi_pass) << "| dev_cam1_ip:" << s.cam1ip
              << "| dev_cam2_ip:" << s.cam2ip << "| cam1_enabled:" << s.cam1enable
              << "| cam2_enabled:" << s.cam2enable << "| dev_timer_system:" << s.dev_timer_system;
}

} // namespace store::deviceSetting
