#pragma once

#include <QLatin1String>
#include <QSqlDatabase>
#include <QString>
#include <QtGlobal>

#include <optional>

#include "store/statement.h"

// The cabinet's identity: the row of device_info whose id is 1.
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

// The process-wide copy of the device row, refreshed only by reading it. A
// read that finds no row keeps the old copy.
extern DeviceInfo DeviceInfoRecord;

namespace store::deviceInfo {

inline constexpr int ActiveStatus = 1;
inline constexpr char UnknownId[] = "UNKNOWNID";

inline constexpr QLatin1String CreateSql{
    "CREATE TABLE IF NOT EXISTS device_info (row INTEGER PRIMARY KEY AUTOINCREMENT, id int, "
    "dev_id varchar(32), dev_name varchar(32), dev_model varchar(32), dev_lockers int, "
    "dev_location varchar(32), dev_address TEXT, dev_description TEXT, dev_status int )"};

inline constexpr QLatin1String SelectSql{
    "SELECT id, dev_id, dev_name, dev_model, dev_lockers, dev_location, dev_address, "
    "dev_description, dev_status FROM device_info"};

// The fields the directory server or a manual activation write.
struct Update
{
    QString dev_name;
    QString dev_model;
    int dev_lockers = 0;
    QString dev_location;
    QString dev_address;
    QString dev_description;
    int dev_status = 0;
};

Result create(const QSqlDatabase &db);

// The device row; the ID trimmed, "UNKNOWNID" when it is blank. Nothing when
// no row has id 1 or the store cannot be read (logged).
std::optional<DeviceInfo> read(const QSqlDatabase &db);

// Whether a device row exists, false also without a device_info table;
// nothing when the store cannot be asked (logged).
std::optional<bool> exists(const QSqlDatabase &db);

// A new device row with the serial, empty texts, no lockers and status 0.
Result insert(const QSqlDatabase &db, const QString &devId);
// A new serial for the device row, with the status it starts from.
Result updateId(const QSqlDatabase &db, const QString &devId, int devStatus);
// Everything but the serial.
Result update(const QSqlDatabase &db, const Update &fields);

void log(const DeviceInfo &info);

} // namespace store::deviceInfo
