#include "app/mainwindow.h"

#include "store/log.h"
#include "store/paths.h"
#include "store/records.h"
#include "store/schema.h"
#include "ui_mainwindow.h"

#include <QDir>
#include <QNetworkAccessManager>
#include <QSqlError>

using store::logLine;

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), ui(new Ui_MainWindow), networkManager(nullptr)
{
    ui->setupUi(this);
    setWindowTitle(tr("کوروین - تنظیمات"));
    // Server replies and stored fields reach these labels; they are shown as
    // the text they are, never as markup.
    for (QLabel *label : {ui->labelToast1, ui->labelToast2, ui->labelToast3, ui->labelToast4,
                          ui->label_device_information})
        label->setTextFormat(Qt::PlainText);
    // The form compiler cannot express a medium weight.
    QFont informationFont = ui->label_device_information->font();
    informationFont.setWeight(QFont::Medium);
    ui->label_device_information->setFont(informationFont);

    networkManager = new QNetworkAccessManager(this);
    connect(networkManager, &QNetworkAccessManager::finished, this, &MainWindow::replyFinished);

    ui->add_device_pushButton->setStyleSheet(QStringLiteral(
        "QPushButton{border: 1px solid rgb(5, 178, 241);} "
        "QPushButton:pressed{border: 3px solid rgb(231, 207, 23);}"));
    ui->stackedWidget->setCurrentIndex(0);

    // The data root is fixed for the life of the window.
    store::setDataRoot(store::defaultDataRoot());
    const QString productFolder = store::productFolderPath();
    const QString root = store::dataRoot();
    QDir dir;
    if (!dir.exists(productFolder))
        dir.mkpath(productFolder);
    if (!dir.exists(root))
        dir.mkpath(root);

    mainDb = store::attachStore(QString::fromLatin1(store::MainConnectionName), store::mainStorePath());
    if (!mainDb.open()) {
        logLine() << "Main DB open error:" << mainDb.lastError().text();
        showErrorDisplay(QStringLiteral("Main Database Open Error!"), 0);
        return;
    }

    mediaDb = store::attachStore(QString::fromLatin1(store::MediaConnectionName), store::mediaStorePath());
    if (!mediaDb.open())
        logLine() << "Media DB open error:" << mediaDb.lastError().text();

    if (deviceInfoReadTable()) {
        logLine() << "read main table success!";
        if (DeviceInfoRecord.dev_status == store::ActiveStatus) {
            showErrorDisplay(QStringLiteral("Device is active!"), 0);
            ui->stackedWidget->setCurrentIndex(1);
            showDeviceInformation();
            if (mediaPathReadTable()) {
                logLine() << "read media success!";
                showErrorDisplay(QStringLiteral("Media data read ok"), 0);
                ui->labeldevpath->setText(MediaRecord.dev_id);
                ui->media1->setChecked(MediaRecord.path_public_enable == 1);
                ui->media2->setChecked(MediaRecord.path_private_enable == 1);
                ui->media3->setChecked(MediaRecord.path_local_enable == 1);
            } else {
                showErrorDisplay(QStringLiteral("Media data not set"), 0);
            }
        } else {
            showErrorDisplay(QStringLiteral("Device inactive!"), 0);
            ui->stackedWidget->setCurrentIndex(0);
            ui->add_device_edit->setText(DeviceInfoRecord.dev_id);
        }
    } else if (deviceInfoCreateTable()) {
        deviceSettingCreateTable();
        processCreateTable();
        lockersCreateTable();
        showErrorDisplay(QStringLiteral("Database Created! Insert printed serial number!"), 0);
        ui->stackedWidget->setCurrentIndex(0);
    } else {
        showErrorDisplay(QStringLiteral("Create deviceInfo error! Reinstall app!"), 0);
        ui->stackedWidget->setCurrentIndex(0);
        ui->add_device_pushButton->setDisabled(true);
    }
}

MainWindow::~MainWindow()
{
    if (mainDb.isOpen())
        mainDb.close();
    if (mediaDb.isOpen())
        mediaDb.close();
    delete ui;
}
