#include "app/mainwindow.h"
#include "store/deviceinfo.h"
#include "store/media.h"
#include "ui_mainwindow.h"

#include <QFileInfo>

void MainWindow::on_media_device_pushButton_clicked()
{
    // A store file removed while the window runs would take this save into
    // the removed file, or refuse it; closing the connection makes the open
    // below create the store anew at its place, or report it unreachable.
    if (mediaDb.isOpen() && !QFileInfo::exists(mediaDb.databaseName()))
        mediaDb.close();
    if (!store::ensureOpen(mediaDb)) {
        showErrorDisplay(QStringLiteral("Media DB unreachable!"), 0);
        return;
    }
    // A store that cannot say whether it holds the row is not written either:
    // taken for one without, it would get a second row once it answers again.
    // A save that did not reach the store must not pass for one that did.
    const std::optional<bool> rowExists = store::media::exists(mediaDb);
    if (!rowExists)
        showErrorDisplay(QStringLiteral("Media DB unreachable!"), 0);
    else if (!saveMediaSetting(chosenMediaSetting(), *rowExists))
        showErrorDisplay(QStringLiteral("Media data not saved!"), 0);
    mediaPathReadTable();
    showMediaSetting();
    ui->sound_level->setValue(MediaRecord.sound_enable_level);
}

// What the widgets show, for the device whose record is loaded.
MediaSetting MainWindow::chosenMediaSetting() const
{
    MediaSetting setting;
    setting.dev_id = DeviceInfoRecord.dev_id;
    setting.path_public_enable = ui->media1->isChecked() ? 1 : 0;
    setting.path_private_enable = ui->media2->isChecked() ? 1 : 0;
    setting.path_local_enable = ui->media3->isChecked() ? 1 : 0;
    setting.sound_enable_level = ui->sound_level->value();
    return setting;
}

// Updates the media row when it exists; otherwise creates the table, when it
// is missing, and inserts the row.
bool MainWindow::saveMediaSetting(const MediaSetting &setting, bool rowExists)
{
    if (rowExists) {
        if (!store::media::update(mediaDb, setting))
            return false;
        showErrorDisplay(QStringLiteral("Update media data ok"), 0);
        return true;
    }
    if (!mediaCreateTable() || !store::media::insert(mediaDb, setting))
        return false;
    showErrorDisplay(QStringLiteral("Insert media data ok"), 0);
    return true;
}
