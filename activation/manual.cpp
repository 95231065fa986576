#include "activation/lookup.h"
#include "app/mainwindow.h"
#include "store/deviceinfo.h"
#include "store/transaction.h"
#include "ui_mainwindow.h"

#include <QRadioButton>

#include <utility>

namespace {
struct Model
{
    QString name;
    int lockers = 0;
};

// The model of the first chosen radio button, in the order they are offered;
// none chosen gives no name and no lockers.
Model chosenModel(const Ui_MainWindow &form)
{
    const std::pair<const QRadioButton *, Model> models[] = {
        {form.R1K08, {QStringLiteral("Brisa"), 8}}, {form.R2K07, {QStringLiteral("Colm"), 7}},
        {form.R3K08, {QStringLiteral("Dorne"), 8}}, {form.S2K08, {QStringLiteral("Ember"), 8}},
        {form.S3K16, {QStringLiteral("Fjor"), 16}},
    };
    for (const auto &[button, model] : models) {
        if (button->isChecked())
            return model;
    }
    return Model();
}
} // namespace

void MainWindow::on_manual_pushButton_clicked()
{
    ui->stackedWidget->setCurrentWidget(ui->pageManual);
}

void MainWindow::on_active_device_pushButton_clicked()
{
    const Model model = chosenModel(*ui);
    // The record and the locker set are written as one unit: the store never
    // holds an active device without its lockers.
    store::Transaction unit(mainDb, "activation", {"Update error:", "Commit activation error:"});
    if (!unit.isActive()
        || !deviceInfoUpdateTable(ui->deviceName->text(), model.name, model.lockers, QString(),
                                  QString(), QString(), store::deviceInfo::ActiveStatus)) {
        reportMainStoreRefused();
        return;
    }
    // Without a device row the update changes nothing and the read finds no
    // active device: nothing is shown then.
    deviceInfoReadTable();
    if (DeviceInfoRecord.dev_status != store::deviceInfo::ActiveStatus)
        return;
    if (completeActivation(unit))
        activation::makeDeviceFolder(DeviceInfoRecord.dev_id);
}

// Shows the activated device and builds its locker set: the activation lands
// only with its lockers. When it cannot, the store is taken back to what it
// held, the page shown before comes back and the operator is told.
bool MainWindow::completeActivation(store::Transaction &unit)
{
    QWidget *const previousPage = ui->stackedWidget->currentWidget();
    ui->stackedWidget->setCurrentWidget(ui->pageDevice);
    showDeviceInformation();
    if (createDatabase() && unit.commit())
        return true;
    unit.rollback();
    deviceInfoReadTable();
    showDeviceInformation();
    ui->stackedWidget->setCurrentWidget(previousPage);
    showErrorDisplay(QStringLiteral("Lockers db Error!"), 0);
    return false;
}
