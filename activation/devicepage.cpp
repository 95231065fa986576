#include "activation/devicepage.h"

#include "app/mainwindow.h"
#include "store/connection.h"
#include "store/deviceinfo.h"
#include "ui_mainwindow.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QStyleHints>

namespace {
// When the deletion was last armed. "Delete?" appears where "Delete device
// data" was, so the second half of a double click, or a touch screen's
// bouncing tap, lands on it at once; only a press that comes later than the
// system's double-click interval is the operator's decision.
QElapsedTimer &deletionArmed()
{
    static QElapsedTimer armed;
    return armed;
}

bool isConfirmationTooSoon()
{
    const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    return deletionArmed().isValid() && !deletionArmed().hasExpired(interval);
}
} // namespace

namespace activation {

QString statusWord(int devStatus)
{
    switch (devStatus) {
    case 1:
        return QStringLiteral("Active");
    case 2:
        return QStringLiteral("Disable");
    default:
        return QStringLiteral("Deactive");
    }
}

QString deviceInformationText(const DeviceInfo &info)
{
    const QString templateText = QStringLiteral(
        "Device ID: %1\nName: %2\nModel: %3\nLockers: %4\nLocation: %5\nAddress: %6\n"
        "Description: %7\nStatus: %8");
    return templateText.arg(info.dev_id, info.dev_name, info.dev_model,
                            QString::number(info.dev_lockers), info.dev_location, info.dev_address,
                            info.dev_description, statusWord(info.dev_status));
}

} // namespace activation

void MainWindow::showDeviceInformation()
{
    ui->label_device_information->setText(activation::deviceInformationText(DeviceInfoRecord));
    ui->delete_device_pushButton->setVisible(true);
    ui->delete_device_pushButton_again->setVisible(false);
    SoundShow();
}

void MainWindow::on_delete_device_pushButton_clicked()
{
    ui->delete_device_pushButton->setVisible(false);
    ui->delete_device_pushButton_again->setVisible(true);
    deletionArmed().start();
}

void MainWindow::on_delete_device_pushButton_again_clicked()
{
    if (isConfirmationTooSoon())
        return;
    store::closeAndRemove(mainDb, mediaDb);
    if (store::deleteStoreFiles())
        showErrorDisplay(QStringLiteral("All data deleted! restart app"), 0);
    else
        showErrorDisplay(
            QStringLiteral("Data could not be deleted! Close other programs and try again"), 0);
    ui->stackedWidget->setCurrentWidget(ui->pageAny);
}
