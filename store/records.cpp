#include "store/records.h"

#include "store/log.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

DeviceInfo DeviceInfoRecord;
DeviceSetting DeviceSettingRecord;
Locker LockerRecord;
MediaSetting MediaRecord;

namespace store {

namespace {
template<typename Row>
QString text(const Row &row, int column)
{
    return row.value(column).toString();
}

// 0 when the stored value is not a number.
template<typename Row>
qint32 number(const Row &row, int column)
{
    return row.value(column).toInt();
}

template<typename Row>
Locker lockerFrom(const Row &row)
{
    Locker l;
    l.locker_id = number(row, 0);
    l.locker_mobile = text(row, 1);
    l.locker_password = text(row, 2);
    l.locker_icon = number(row, 3);
    l.locker_nfc = text(row, 4);
    l.locker_finger = number(row, 5);
    l.locker_timestart = text(row, 6);
    l.locker_timechange = text(row, 7);
    l.locker_startmode = text(row, 8);
    l.locker_endmode = text(row, 9);
    l.locker_status = number(row, 10);
    return l;
}
} // namespace

DeviceInfo deviceInfoFromRow(const QSqlRecord &row)
{
    DeviceInfo info;
    info.dev_id = text(row, 1).trimmed();
    if (info.dev_id.isEmpty())
        info.dev_id = QString::fromLatin1(UnknownDeviceId);
    info.dev_name = text(row, 2);
    info.dev_model = text(row, 3);
    info.dev_lockers = number(row, 4);
    info.dev_location = text(row, 5);
    info.dev_address = text(row, 6);
    info.dev_description = text(row, 7);
    info.dev_status = number(row, 8);
    return info;
}

DeviceSetting deviceSettingFromRow(const QSqlRecord &row)
{
    DeviceSetting s;
    s.timer1On = text(row, 1);
    s.timer2On = text(row, 2);
    s.timer3On = text(row, 3);
    s.timer4On = text(row, 4);
    s.timer1Off = text(row, 5);
    s.timer2Off = text(row, 6);
    s.timer3Off = text(row, 7);
    s.timer4Off = text(row, 8);
    s.wifi_ssid = text(row, 9);
    s.wifi_pass = text(row, 10);
    s.cam1ip = text(row, 11);
    s.cam2ip = text(row, 12);
    s.cam1enable = number(row, 13);
    s.cam2enable = number(row, 14);
    s.dev_timer_system = text(row, 15);
    return s;
}

Locker lockerFromRow(const QSqlRecord &row)
{
    return lockerFrom(row);
}

Locker lockerFromQuery(const QSqlQuery &query)
{
    return lockerFrom(query);
}

MediaSetting mediaSettingFromRow(const QSqlRecord &row)
{
    MediaSetting m;
    m.dev_id = text(row, 1).trimmed();
    m.path_public_enable = number(row, 2);
    m.path_private_enable = number(row, 3);
    m.path_local_enable = number(row, 4);
    m.sound_enable_level = number(row, 5);
    return m;
}

QString maskedSecret(const QString &secret)
{
    // A fixed mask, so that not even the length of the password is given away.
    return secret.isEmpty() ? QString() : QStringLiteral("********");
}

void logDeviceInfo(const DeviceInfo &i)
{
    logLine() << "DevID:" << i.dev_id << "| Name:" << i.dev_name << "| Model:" << i.dev_model
              << "| Lockers:" << i.dev_lockers << "| Location:" << i.dev_location
              << "| Address:" << i.dev_address << "| Description:" << i.dev_description
              << "| Status:" << i.dev_status;
}

void logDeviceSetting(const DeviceSetting &s)
{
    logLine() << "dev_timer1on:" << s.timer1On << "| dev_timer2on:" << s.timer2On
              << "| dev_timer3on:" << s.timer3On << "| dev_timer4on:" << s.timer4On
              << "| dev_timer1off:" << s.timer1Off << "| dev_timer2off:" << s.timer2Off
              << "| dev_timer3off:" << s.timer3Off << "| dev_timer4off:" << s.timer4Off
              << "| dev_wifi_ssid:" << s.wifi_ssid << "| dev_wifi_pass:" << maskedSecret(s.wifi_pass)
              << "| dev_cam1_ip:" << s.cam1ip << "| dev_cam2_ip:" << s.cam2ip
              << "| cam1_enabled:" << s.cam1enable << "| cam2_enabled:" << s.cam2enable
              << "| dev_timer_system:" << s.dev_timer_system;
}

void logLocker(const Locker &l)
{
    logLine() << "locker_id:" << l.locker_id << "| locker_mobile:" << l.locker_mobile
              << "| locker_password:" << l.locker_password << "| locker_icon:" << l.locker_icon
              << "| locker_nfc:" << l.locker_nfc << "| locker_finger:" << l.locker_finger
              << "| locker_timestart:" << l.locker_timestart
              << "| locker_timechange:" << l.locker_timechange
              << "| locker_startmode:" << l.locker_startmode
              << "| locker_endmode:" << l.locker_endmode << "| locker_status:" << l.locker_status;
}

void logMediaSetting(const MediaSetting &m)
{
    logLine() << "path_public_enable:" << m.path_public_enable
              << "| path_private_enable:" << m.path_private_enable
              << "| path_local_enable:" << m.path_local_enable
              << "| soundEnableLevel:" << m.sound_enable_level << "| dev_id:" << m.dev_id;
}

void resetRecords()
{
    DeviceInfoRecord = {};
    DeviceSettingRecord = {};
    LockerRecord = {};
    MediaRecord = {};
}

} // namespace store
