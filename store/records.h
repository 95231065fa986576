#pragma once

#include <QString>
#include <QtGlobal>

class QSqlQuery;
class QSqlRecord;

// Process-wide copies of the stored records. Each is written only by its read
// operation and is never cleared: a read that finds no row keeps the old copy.

struct DeviceInfo
{
    QString dev_id;
    QString dev_name;
    QString dev_model;
    QString dev_location;
    QString dev_address;
    QString dev_description;
    qint32 dev_lockers = 0;
    qint32 dev_status = 0;
};

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

struct Locker
{
    QString locker_mobile;
    QString locker_password;
    QString locker_nfc;
    QString locker_timestart;
    QString locker_timechange;
    QString locker_startmode;
    QString locker_endmode;
    qint32 locker_id = 0;
    qint32 locker_icon = 0;
    qint32 locker_finger = 0;
    qint32 locker_status = 0;
};

struct MediaSetting
{
    QString dev_id;
    qint32 path_public_enable = 0;
    qint32 path_private_enable = 0;
    qint32 path_local_enable = 0;
    qint32 sound_enable_level = 0;
};

extern DeviceInfo DeviceInfoRecord;
extern DeviceSetting DeviceSettingRecord;
extern Locker LockerRecord;
extern MediaSetting MediaRecord;

namespace store {

inline constexpr int ActiveStatus = 1;
inline constexpr char UnknownDeviceId[] = "UNKNOWNID";

// Row to record: the rows are those of the select statements of each table,
// column 0 being the record key (`id`, or `locker_id` for lockers).
DeviceInfo deviceInfoFromRow(const QSqlRecord &row);
DeviceSetting deviceSettingFromRow(const QSqlRecord &row);
Locker lockerFromRow(const QSqlRecord &row);
// The same, read from the query's current row without building a record:
// a rebuild reads every locker row twice.
Locker lockerFromQuery(const QSqlQuery &query);
MediaSetting mediaSettingFromRow(const QSqlRecord &row);

// A text as it is bound to a statement: never SQL NULL, an absent text is
// stored as the empty text.
inline QString sqlText(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

// The Wi-Fi password as it may appear in the log.
QString maskedSecret(const QString &secret);

void logDeviceInfo(const DeviceInfo &info);
void logDeviceSetting(const DeviceSetting &setting);
void logLocker(const Locker &locker);
void logMediaSetting(const MediaSetting &media);

// Empties the four records, as at program start. The program never calls it;
// a harness that builds several windows in one process does.
void resetRecords();

} // namespace store
