#pragma once

#include <QSqlDatabase>
#include <QString>

namespace store {

inline constexpr char CreateDeviceInfoSql[] =
    "CREATE TABLE IF NOT EXISTS device_info (row INTEGER PRIMARY KEY AUTOINCREMENT, id int, "
    "dev_id varchar(32), dev_name varchar(32), dev_model varchar(32), dev_lockers int, "
    "dev_location varchar(32), dev_address TEXT, dev_description TEXT, dev_status int )";

inline constexpr char CreateDeviceSettingSql[] =
    "CREATE TABLE IF NOT EXISTS device_setting (row INTEGER PRIMARY KEY AUTOINCREMENT, id int, "
    "timer1On varchar(10), timer2On varchar(10), timer3On varchar(10), timer4On varchar(10), "
    "timer1Off varchar(10), timer2Off varchar(10), timer3Off varchar(10), timer4Off varchar(10), "
    "wifi_ssid varchar(32), wifi_pass varchar(32), cam1ip varchar(20), cam2ip varchar(20), "
    "cam1enable int, cam2enable int, dev_timer_system  varchar(50) )";

inline constexpr char CreateLockersSql[] =
    "CREATE TABLE IF NOT EXISTS lockers (row INTEGER PRIMARY KEY AUTOINCREMENT, locker_id int, "
    "locker_mobile varchar(32), locker_password varchar(32), locker_icon int, "
    "locker_nfc varchar(32), locker_finger int, locker_timestart varchar(32), "
    "locker_timechange varchar(32),locker_startmode varchar(10),locker_endmode "
    "varchar(10),locker_status int)";

inline constexpr char CreateProcessSql[] =
    "CREATE TABLE IF NOT EXISTS process (row INTEGER PRIMARY KEY AUTOINCREMENT, operation int, "
    "description varchar(100), time varchar(32), sync int)";

inline constexpr char CreateMediaSql[] =
    "CREATE TABLE IF NOT EXISTS media (row INTEGER PRIMARY KEY AUTOINCREMENT, id int, "
    "dev_id varchar(32), path_public_enable int, path_private_enable int, "
    "path_local_enable int, sound_enable_level int )";

// Attaches a handle to the SQLite connection of that name, adding the
// connection on first use, and points it at the file. The handle is not
// opened here: an existing connection may still name the file of an earlier
// data root, which must not be touched.
QSqlDatabase attachStore(const QString &connectionName, const QString &filePath);

} // namespace store
