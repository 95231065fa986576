#pragma once

#include <QLatin1String>
#include <QSqlDatabase>
#include <QString>
#include <QtGlobal>

#include <optional>

#include "store/statement.h"

// Which media paths the cabinet plays and its sound level: the row of media
// (Media store) whose id is 1.
struct MediaSetting
{
    QString dev_id;
    qint32 path_public_enable = 0;
    qint32 path_private_enable = 0;
    qint32 path_local_enable = 0;
    qint32 sound_enable_level = 0;
};

// The process-wide copy of the media row, refreshed only by reading it.
extern MediaSetting MediaRecord;

namespace store::media {

inline constexpr QLatin1String CreateSql{
    "CREATE TABLE IF NOT EXISTS media (row INTEGER PRIMARY KEY AUTOINCREMENT, id int, "
    "dev_id varchar(32), path_public_enable int, path_private_enable int, "
    "path_local_enable int, sound_enable_level int )"};

inline constexpr QLatin1String SelectSql{
    "SELECT id, dev_id, path_public_enable, path_private_enable, path_local_enable, "
    "sound_enable_level FROM media"};

Result create(const QSqlDatabase &db);

// The media row, its device ID trimmed; nothing when there is none.
std::optional<MediaSetting> read(const QSqlDatabase &db);

// Whether the row exists; nothing when the store cannot be asked (locked by
// another program, unreadable). A store without the table holds no row.
std::optional<bool> exists(const QSqlDatabase &db);

Result insert(const QSqlDatabase &db, const MediaSetting &setting);
Result update(const QSqlDatabase &db, const MediaSetting &setting);

void log(const MediaSetting &setting);

} // namespace store::media
