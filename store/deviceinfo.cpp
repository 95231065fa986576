#include "store/deviceinfo.h"

#include "store/log.h"

DeviceInfo DeviceInfoRecord;

namespace store::deviceInfo {

Result create(const QSqlDatabase &db)
{
    return runDirect(db, CreateSql, "Create device_info table error:");
}

std::optional<DeviceInfo> read(const QSqlDatabase &db)
{
    QSqlQuery row(db);
    if (!seekRecordOne(row, SelectSql, "Select error:"))
        return std::nullopt;
    DeviceInfo info;
    info.dev_id = row.value(1).toString().trimmed();
    if (info.dev_id.isEmpty())
        info.dev_id = QLatin1String(UnknownId);
    info.dev_name = row.value(2).toString();
    info.dev_model = row.value(3).toString();
    info.dev_lockers = row.value(4).toInt();
    info.dev_location = row.value(5).toString();
    info.dev_address = row.value(6).toString();
    info.dev_description = row.value(7).toString();
    info.dev_status = row.value(8).toInt();
    return info;
}

std::optional<bool> exists(const QSqlDatabase &db)
{
    return hasRecordOne(db, QStringLiteral("device_info"), "Select error:");
}

Result insert(const QSqlDatabase &db, const QString &devId)
{
    return run(db,
               QStringLiteral("INSERT INTO device_info (id, dev_id, dev_name, dev_model, "
                              "dev_lockers, dev_location, dev_address, dev_description, "
                              "dev_status) VALUES (1, ?, '', '', 0, '', '', '', 0 )"),
               {devId}, "Insert error:");
}

Result updateId(const QSqlDatabase &db, const QString &devId, int devStatus)
{
    return run(db, QStringLiteral("UPDATE device_info SET dev_id=?, dev_status=? WHERE id=1"),
               {devId, devStatus}, "Update error:");
}

Result update(const QSqlDatabase &db, const Update &fields)
{
    return run(db,
               QStringLiteral("UPDATE device_info SET dev_name=?, dev_model=?, dev_lockers=?, "
                              "dev_location=?, dev_address=?, dev_description=?, dev_status=? "
                              "WHERE id=1"),
               {fields.dev_name, fields.dev_model, fields.dev_lockers, fields.dev_location,
                fields.dev_address, fields.dev_description, fields.dev_status},
               "Update error:");
}

void log(const DeviceInfo &i)
{
    logLine() << "DevID:" << i.dev_id << "| Name:" << i.dev_name << "| Model:" << i.dev_model
              << "| Lockers:" << i.dev_lockers << "| Location:" << i.dev_location
              << "| Address:" << i.dev_address << "| Description:" << i.dev_description
              << "| Status:" << i.dev_status;
}

} // namespace store::deviceInfo
