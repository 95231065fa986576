#include "activation/lookup.h"
#include "app/mainwindow.h"
#include "store/log.h"
#include "store/records.h"
#include "store/transaction.h"
#include "ui_mainwindow.h"

#include <QRadioButton>

void MainWindow::on_manual_pushButton_clicked()
{
    ui->stackedWidget->setCurrentIndex(3);
}

void MainWindow::on_active_device_pushButton_clicked()
{
    struct Model
    {
        QRadioButton *button;
        const char *name;
        int lockers;
    };
    const Model models[] = {
        {ui->R1K08, "Brisa", 8}, {ui->R2K07, "Colm", 7},  {ui->R3K08, "Dorne", 8},
        {ui->S2K08, "Ember", 8}, {ui->S3K16, "Fjor", 16},
    };
    QString modelName;
    int lockers = 0;
    for (const Model &model : models) {
        if (model.button->isChecked()) {
            modelName = QString::fromLatin1(model.name);
            lockers = model.lockers;
            break;
        }
    }

    // The record and the locker set are written as one unit: the store never
    // holds an active device without its lockers.
    store::Transaction unit(mainDb, "activation");
    if (!unit.isActive()) {
        store::logLine() << "Update error:" << unit.errorText();
        return;
    }
    if (!deviceInfoUpdateTable(ui->deviceName->text(), modelName, lockers, QString(), QString(),
                               QString(), store::ActiveStatus))
        return;
    deviceInfoReadTable();
    if (DeviceInfoRecord.dev_status != store::ActiveStatus)
        return;
    ui->stackedWidget->setCurrentIndex(1);
    showDeviceInformation();
    const bool lockersBuilt = createDatabase() != 0;
    if (lockersBuilt && unit.commit()) {
        activation::makeDeviceFolder(DeviceInfoRecord.dev_id);
        return;
    }
    if (lockersBuilt)
        store::logLine() << "Commit activation error:" << unit.errorText();
    unit.rollback();
    deviceInfoReadTable();
    showDeviceInformation();
    ui->stackedWidget->setCurrentIndex(3);
    // The activation did not land: the store holds the device as it was.
    showErrorDisplay(QStringLiteral("Lockers db Error!"), 0);
}
