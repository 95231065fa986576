#include "ui/toast.h"

#include "app/mainwindow.h"
#include "ui_mainwindow.h"

ToastLines Toast;

namespace gui {

ToastLines pushToastMessage(const ToastLines &lines, const QString &message, int clearErrors)
{
    const ToastLines before = clearErrors != 0 ? ToastLines() : lines;
    return ToastLines{before.toastLine2, before.toastLine3, before.toastLine4, message};
}

} // namespace gui

void MainWindow::showErrorDisplay(QString ErrorShowm, int clearErrors)
{
    Toast = gui::pushToastMessage(Toast, ErrorShowm, clearErrors);
    ui->labelToast1->setText(Toast.toastLine1);
    ui->labelToast2->setText(Toast.toastLine2);
    ui->labelToast3->setText(Toast.toastLine3);
    ui->labelToast4->setText(Toast.toastLine4);
}
