// The toast and the sound picture.

#include "app/mainwindow.h"

#include "ui/soundlevel.h"
#include "ui/toast.h"
#include "ui_mainwindow.h"

void MainWindow::showErrorDisplay(QString ErrorShowm, int clearErrors)
{
    Toast = gui::pushToastMessage(Toast, ErrorShowm, clearErrors);
    ui->labelToast1->setText(Toast.toastLine1);
    ui->labelToast2->setText(Toast.toastLine2);
    ui->labelToast3->setText(Toast.toastLine3);
    ui->labelToast4->setText(Toast.toastLine4);
}

void MainWindow::SoundShow()
{
    const gui::SoundPicture picture = gui::soundPictureFor(ui->sound_level->value());
    ui->labelsoundicon->setPixmap(gui::soundPixmap(picture));
}

void MainWindow::on_sound_level_valueChanged(int)
{
    SoundShow();
}
