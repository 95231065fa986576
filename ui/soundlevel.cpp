#include "ui/soundlevel.h"

#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <QPixmap>

namespace gui {

SoundPicture soundPictureFor(int level)
{
    if (level == 0)
        return SoundPicture::Muted;
    if (level >= 99)
        return SoundPicture::Loud;
    return SoundPicture::Normal;
}

QString soundPicturePath(SoundPicture picture)
{
    switch (picture) {
    case SoundPicture::Muted:
        return QStringLiteral(":new/images/asset/volum0.png");
    case SoundPicture::Loud:
        return QStringLiteral(":new/images/asset/volum2.png");
    case SoundPicture::Normal:
        break;
    }
    return QStringLiteral(":new/images/asset/volum1.png");
}

} // namespace gui

void MainWindow::SoundShow()
{
    // Each picture is decoded once per run.
    static const QPixmap muted(gui::soundPicturePath(gui::SoundPicture::Muted));
    static const QPixmap normal(gui::soundPicturePath(gui::SoundPicture::Normal));
    static const QPixmap loud(gui::soundPicturePath(gui::SoundPicture::Loud));

    switch (gui::soundPictureFor(ui->sound_level->value())) {
    case gui::SoundPicture::Muted:
        ui->labelsoundicon->setPixmap(muted);
        break;
    case gui::SoundPicture::Normal:
        ui->labelsoundicon->setPixmap(normal);
        break;
    case gui::SoundPicture::Loud:
        ui->labelsoundicon->setPixmap(loud);
        break;
    }
}

void MainWindow::on_sound_level_valueChanged(int)
{
    SoundShow();
}
