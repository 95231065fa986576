#include "activation/lookup.h"
#include "app/mainwindow.h"
#include "store/deviceinfo.h"
#include "store/log.h"
#include "store/records.h"
#include "store/transaction.h"
#include "ui_mainwindow.h"

void MainWindow::on_add_device_pushButton_clicked()
{
    const QString serial = ui->add_device_edit->text();
    if (!activation::isAcceptedSerial(serial)) {
        showErrorDisplay(QStringLiteral("Id bad format inserted!"), 0);
        return;
    }

    if (serial == DeviceInfoRecord.dev_id) {
        showErrorDisplay(QStringLiteral("Try connect server!"), 0);
        activation::sendLookupRequest(networkManager, DeviceInfoRecord.dev_id);
        return;
    }

    // Whether the store already holds the device row decides between update
    // and insert, so a new serial never adds a second row with id 1. A store
    // that cannot be asked (locked by another program, unreadable) is not
    // written either: taken for an empty one, it would get a second device row
    // as soon as it answers again.
    bool asked = false;
    const bool rowExists = store::deviceRowExists(mainDb, &asked);
    if (!asked) {
        showErrorDisplay(QStringLiteral("Main DB unreachable!"), 0);
        return;
    }
    if (rowExists) {
        showErrorDisplay(QStringLiteral("ID Update, Try connect server!"), 0);
        if (!deviceInfoUpdateIDTable(serial, 0))
            return;
        if (!deviceInfoReadTable())
            return;
    } else {
        showErrorDisplay(QStringLiteral("ID Save, Try connect server!"), 0);
        // The device row and its settings row land together.
        store::Transaction firstSave(mainDb, "first_save");
        if (!firstSave.isActive()) {
            store::logLine() << "Insert error:" << firstSave.errorText();
            return;
        }
        if (!deviceInfoAddTable(serial))
            return;
        if (!deviceInfoReadTable())
            return;
        deviceSettingAddTable();
        if (!firstSave.commit()) {
            store::logLine() << "Insert error:" << firstSave.errorText();
            return;
        }
    }
    activation::sendLookupRequest(networkManager, DeviceInfoRecord.dev_id);
}
