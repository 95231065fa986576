#include "store/media.h"

#include "store/log.h"

MediaSetting MediaRecord;

namespace store::media {

namespace {
QVariantList boundValues(const MediaSetting &m)
{
    return {m.dev_id, m.path_public_enable, m.path_private_enable, m.path_local_enable,
            m.sound_enable_level};
}
} // namespace

Result create(const QSqlDatabase &db)
{
    return runDirect(db, CreateSql);
}

std::optional<MediaSetting> read(const QSqlDatabase &db)
{
    QSqlQuery row(db);
    if (!seekRecordOne(row, SelectSql))
        return std::nullopt;
    MediaSetting m;
    m.dev_id = row.value(1).toString().trimmed();
    m.path_public_enable = row.value(2).toInt();
    m.path_private_enable = row.value(3).toInt();
    m.path_local_enable = row.value(4).toInt();
    m.sound_enable_level = row.value(5).toInt();
    return m;
}

std::optional<bool> exists(const QSqlDatabase &db)
{
    // The table is made by the first save, so its absence is an answer too.
    return hasRecordOne(db, QStringLiteral("media"));
}

Result insert(const QSqlDatabase &db, const MediaSetting &setting)
{
    return run(db,
               QStringLiteral("INSERT INTO media (id, dev_id, path_public_enable, "
                              "path_private_enable, path_local_enable, sound_enable_level) "
                              "VALUES (1, ?, ?, ?, ?, ?)"),
               boundValues(setting));
}

Result update(const QSqlDatabase &db, const MediaSetting &setting)
{
    return run(db,
               QStringLiteral("UPDATE media SET dev_id=?, path_public_enable=?, "
                              "path_private_enable=?, path_local_enable=?, sound_enable_level=? "
                              "WHERE id=1"),
               boundValues(setting));
}

void log(const MediaSetting &m)
{
    logLine() << "path_public_enable:" << m.path_public_enable
              << "| path_private_enable:" << m.path_private_enable
              << "| path_local_enable:" << m.path_local_enable
              << "| soundEnableLevel:" << m.sound_enable_level << "| dev_id:" << m.dev_id;
}

} // namespace store::media
