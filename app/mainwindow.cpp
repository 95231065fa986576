#include "app/mainwindow.h"

#include "platform/platform.h"
#include "store/connection.h"
#include "store/deviceinfo.h"
#include "store/log.h"
#include "store/media.h"
#include "store/paths.h"
#include "ui/scaling.h"
#include "ui/soundlevel.h"
#include "ui_mainwindow.h"

#include <QNetworkAccessManager>
#include <QSqlError>

using store::logLine;

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), ui(new Ui_MainWindow), networkManager(nullptr)
{
    ui->setupUi(this);
    setWindowTitle(tr("کوروین - تنظیمات"));
    prepareForm();
    networkManager = new QNetworkAccessManager(this);
    connect(networkManager, &QNetworkAccessManager::finished, this, &MainWindow::replyFinished);
    // Once per start, so that support can tell which server a lookup asked.
    logDirectoryServer();
    ui->add_device_pushButton->setStyleSheet(
        QStringLiteral("QPushButton{border: 1px solid rgb(5, 178, 241);} "
                       "QPushButton:pressed{border: 3px solid rgb(231, 207, 23);}"));
    ui->stackedWidget->setCurrentWidget(ui->pageAddDevice);
    makeDataFolders();
    if (openStores())
        showStartPage();
}

MainWindow::~MainWindow()
{
    if (mainDb.isOpen())
        mainDb.close();
    if (mediaDb.isOpen())
        mediaDb.close();
    delete ui;
}

void MainWindow::prepareForm()
{
    // Server replies and stored fields reach these labels; they are shown as
    // the text they are, never as markup.
    for (QLabel *label : {ui->labelToast1, ui->labelToast2, ui->labelToast3, ui->labelToast4,
                          ui->label_device_information})
        label->setTextFormat(Qt::PlainText);
    // The form compiler cannot express a medium weight.
    QFont informationFont = ui->label_device_information->font();
    informationFont.setWeight(QFont::Medium);
    ui->label_device_information->setFont(informationFont);
    gui::sizeTextForFixedForm(this);
    // The form loads its pictures as they are; on a screen scaled by 2 or
    // more they are taken again from their 2× renders.
    ui->labelbot->setPixmap(gui::loadPicture(QStringLiteral(":/new/images/asset/bot.png")));
    ui->labelsoundicon->setPixmap(gui::soundPixmap(gui::SoundPicture::Normal));
}

// The stores hold the Wi-Fi password, the locker codes and the customers'
// phone numbers: the folders made here are the operator's account's alone. A
// data root that was there before is left as it is, since another account may
// rely on it; support is told when others can reach it.
void MainWindow::makeDataFolders()
{
    // The data root, when missing, is made with the product folder inside it.
    platform::makePrivateFolder(store::productFolderPath());
    if (platform::isOpenToOtherAccounts(store::dataRoot()))
        logLine() << "Data root open to other accounts:" << store::dataRoot();
}

// The Main store must open for anything to be read; a Media store that does
// not is only logged.
bool MainWindow::openStores()
{
    mainDb = store::attach(store::MainConnectionName, store::mainStorePath());
    if (!store::open(mainDb)) {
        logLine() << "Main DB open error:" << mainDb.lastError().text();
        showErrorDisplay(QStringLiteral("Main Database Open Error!"), 0);
        return false;
    }
    mediaDb = store::attach(store::MediaConnectionName, store::mediaStorePath());
    if (!store::open(mediaDb))
        logLine() << "Media DB open error:" << mediaDb.lastError().text();
    return true;
}

// Only a store that answers "no device" is a first run. One that cannot be
// asked (held by the cabinet's own software past the busy wait, unreadable)
// may hold an active cabinet and its customers' locker codes.
void MainWindow::showStartPage()
{
    const std::optional<bool> stored = store::deviceInfo::exists(mainDb);
    if (stored && !*stored) {
        createTablesOnFirstRun();
        return;
    }
    if (!stored || !deviceInfoReadTable()) {
        refuseRegistrationUntilRestart();
        return;
    }
    logLine() << "read main table success!";
    if (DeviceInfoRecord.dev_status == store::deviceInfo::ActiveStatus) {
        showActiveDeviceAtStart();
        return;
    }
    showInactiveDevice();
}

// A stored device that is not active waits on the add-device page, its serial
// ready to be sent again.
void MainWindow::showInactiveDevice()
{
    showErrorDisplay(QStringLiteral("Device inactive!"), 0);
    ui->stackedWidget->setCurrentWidget(ui->pageAddDevice);
    ui->add_device_edit->setText(DeviceInfoRecord.dev_id);
}

void MainWindow::showActiveDeviceAtStart()
{
    showErrorDisplay(QStringLiteral("Device is active!"), 0);
    ui->stackedWidget->setCurrentWidget(ui->pageDevice);
    showDeviceInformation();
    if (!mediaPathReadTable()) {
        showErrorDisplay(QStringLiteral("Media data not set"), 0);
        return;
    }
    logLine() << "read media success!";
    showErrorDisplay(QStringLiteral("Media data read ok"), 0);
    showMediaSetting();
}

// Nothing is created, and neither a serial nor a manual activation can be
// started in this run: both write the device record and rebuild the lockers,
// from a record that was never read.
void MainWindow::refuseRegistrationUntilRestart()
{
    showErrorDisplay(QStringLiteral("Main DB unreachable!"), 0);
    ui->stackedWidget->setCurrentWidget(ui->pageAddDevice);
    ui->add_device_pushButton->setDisabled(true);
    ui->manual_pushButton->setDisabled(true);
}

void MainWindow::createTablesOnFirstRun()
{
    if (!deviceInfoCreateTable()) {
        showErrorDisplay(QStringLiteral("Create deviceInfo error! Reinstall app!"), 0);
        ui->stackedWidget->setCurrentWidget(ui->pageAddDevice);
        ui->add_device_pushButton->setDisabled(true);
        return;
    }
    deviceSettingCreateTable();
    processCreateTable();
    lockersCreateTable();
    showErrorDisplay(QStringLiteral("Database Created! Insert printed serial number!"), 0);
    ui->stackedWidget->setCurrentWidget(ui->pageAddDevice);
}

// The device ID and the three switches of the media row, as stored.
void MainWindow::showMediaSetting()
{
    ui->labeldevpath->setText(MediaRecord.dev_id);
    ui->media1->setChecked(MediaRecord.path_public_enable == 1);
    ui->media2->setChecked(MediaRecord.path_private_enable == 1);
    ui->media3->setChecked(MediaRecord.path_local_enable == 1);
}
