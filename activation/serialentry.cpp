#include "activation/lookup.h"
#include "app/mainwindow.h"
#include "store/deviceinfo.h"
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
        sendLookup();
        return;
    }
    if (storeNewSerial(serial))
        sendLookup();
}

void MainWindow::logDirectoryServer()
{
    activation::logServerAddress();
}

void MainWindow::sendLookup()
{
    activation::sendLookupRequest(networkManager, DeviceInfoRecord.dev_id);
}

// Stores the serial as the device's ID and reads the device back. Whether the
// store already holds the device row decides between update and insert, so a
// new serial never adds a second row with id 1. A store that cannot be asked
// (locked by another program, unreadable) is not written either: taken for an
// empty one, it would get a second device row as soon as it answers again.
bool MainWindow::storeNewSerial(const QString &serial)
{
    const std::optional<bool> rowExists = store::deviceInfo::exists(mainDb);
    if (!rowExists)
        return reportMainStoreRefused();
    if (!*rowExists)
        return storeFirstSerial(serial);
    showErrorDisplay(QStringLiteral("ID Update, Try connect server!"), 0);
    if (!deviceInfoUpdateIDTable(serial, 0))
        return reportMainStoreRefused();
    return deviceInfoReadTable();
}

// The device row and the default settings row go in one unit, so that a
// device row the store refuses leaves nothing behind. A settings row the store
// refuses is only logged: the device row still lands without it and the lookup
// is still sent.
bool MainWindow::storeFirstSerial(const QString &serial)
{
    showErrorDisplay(QStringLiteral("ID Save, Try connect server!"), 0);
    store::Transaction firstSave(mainDb, "first_save", {"Insert error:", "Insert error:"});
    if (!firstSave.isActive() || !deviceInfoAddTable(serial))
        return reportMainStoreRefused();
    if (!deviceInfoReadTable())
        return false;
    deviceSettingAddTable();
    return firstSave.commit() || reportMainStoreRefused();
}

// The operator is told when the store refuses a write, rather than left
// waiting for a lookup that was never sent.
bool MainWindow::reportMainStoreRefused()
{
    showErrorDisplay(QStringLiteral("Main DB unreachable!"), 0);
    return false;
}
