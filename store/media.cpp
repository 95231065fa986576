#include "app/mainwindow.h"
#include "store/log.h"
#include "store/records.h"
#include "ui_mainwindow.h"

#include <QFileInfo>
#include <QSqlQuery>
#include <QSqlRecord>

using store::logLine;

int MainWindow::mediaPathReadTable()
{
    if (!mediaDb.isOpen() && !mediaDb.open()) {
        logLine() << "Media DB is closed and cannot be opened!";
        return 0;
    }
    QSqlQuery query(mediaDb);
    query.exec(QStringLiteral(
        "SELECT id, dev_id, path_public_enable, path_private_enable, path_local_enable, "
        "sound_enable_level FROM media"));
    while (query.next()) {
        if (query.value(0).toInt() != 1)
            continue;
        MediaRecord = store::mediaSettingFromRow(query.record());

        // The level is set with the slider's signals blocked, so the change
        // handler does not run for it; the picture is updated here instead.
        const bool wasBlocked = ui->sound_level->blockSignals(true);
        ui->sound_level->setValue(MediaRecord.sound_enable_level);
        SoundShow();
        store::logMediaSetting(MediaRecord);
        ui->sound_level->blockSignals(wasBlocked);
        return 1;
    }
    return 0;
}

void MainWindow::on_media_device_pushButton_clicked()
{
    // A store file removed while the window runs would take this save into
    // the removed file, or refuse it; closing the connection makes the open
    // below create the store anew at its place, or report it unreachable.
    if (mediaDb.isOpen() && !QFileInfo::exists(mediaDb.databaseName()))
        mediaDb.close();
    if (!mediaDb.isOpen() && !mediaDb.open()) {
        showErrorDisplay(QStringLiteral("Media DB unreachable!"), 0);
        return;
    }
    const int publicPath = ui->media1->isChecked() ? 1 : 0;
    const int privatePath = ui->media2->isChecked() ? 1 : 0;
    const int localPath = ui->media3->isChecked() ? 1 : 0;
    const int level = ui->sound_level->value();

    const auto bindValues = [&](QSqlQuery &query) {
        query.addBindValue(store::sqlText(DeviceInfoRecord.dev_id));
        query.addBindValue(publicPath);
        query.addBindValue(privatePath);
        query.addBindValue(localPath);
        query.addBindValue(level);
    };

    bool rowExists = false;
    {
        QSqlQuery count(mediaDb);
        if (count.exec(QStringLiteral("SELECT COUNT(*) FROM media WHERE id=1")) && count.next())
            rowExists = count.value(0).toInt() > 0;
    }

    bool saved = false;
    if (rowExists) {
        QSqlQuery query(mediaDb);
        query.prepare(QStringLiteral(
            "UPDATE media SET dev_id=?, path_public_enable=?, path_private_enable=?, "
            "path_local_enable=?, sound_enable_level=? WHERE id=1"));
        bindValues(query);
        saved = query.exec();
        if (saved)
            showErrorDisplay(QStringLiteral("Update media data ok"), 0);
    } else if (mediaCreateTable()) {
        QSqlQuery query(mediaDb);
        query.prepare(QStringLiteral(
            "INSERT INTO media (id, dev_id, path_public_enable, path_private_enable, "
            "path_local_enable, sound_enable_level) VALUES (1, ?, ?, ?, ?, ?)"));
        bindValues(query);
        saved = query.exec();
        if (saved)
            showErrorDisplay(QStringLiteral("Insert media data ok"), 0);
    }
    // A save that did not reach the store must not pass for one that did.
    if (!saved)
        showErrorDisplay(QStringLiteral("Media data not saved!"), 0);

    mediaPathReadTable();
    ui->labeldevpath->setText(MediaRecord.dev_id);
    ui->media1->setChecked(MediaRecord.path_public_enable == 1);
    ui->media2->setChecked(MediaRecord.path_private_enable == 1);
    ui->media3->setChecked(MediaRecord.path_local_enable == 1);
    ui->sound_level->setValue(MediaRecord.sound_enable_level);
}
