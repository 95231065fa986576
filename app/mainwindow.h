#pragma once

#include <QMainWindow>
#include <QNetworkReply>
#include <QSqlDatabase>
#include <QString>

class QNetworkAccessManager;
class Ui_MainWindow;
struct MediaSetting;
namespace store {
class Transaction;
}

// The one window of the program. Every operation is a private slot. The
// skeleton and the store, toast and sound slots live in app/; the flows an
// operator starts (serial entry, reply, manual activation, device page and
// deletion, media save) live in activation/.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

private slots:
    void showDeviceInformation();
    void replyFinished(QNetworkReply *pReply);
    void showErrorDisplay(QString ErrorShowm, int clearErrors);
    bool deviceInfoCreateTable();
    bool deviceSettingCreateTable();
    bool lockersCreateTable();
    bool processCreateTable();
    bool mediaCreateTable();
    int deviceInfoReadTable();
    int mediaPathReadTable();
    int deviceSettingReadTable();
    bool deviceSettingAddTable();
    void on_add_device_pushButton_clicked();
    bool deviceInfoAddTable(const QString &dev_id);
    bool deviceInfoUpdateIDTable(const QString &dev_id, int dev_status);
    bool deviceInfoUpdateTable(const QString &dev_name, const QString &dev_model, int dev_lockers,
                               const QString &dev_location, const QString &dev_address,
                               const QString &dev_description, int dev_status);
    int createDatabase();
    int lockersReadTable();
    bool LockersDeleteTable();
    bool lockerInsertTable();
    void on_manual_pushButton_clicked();
    void on_active_device_pushButton_clicked();
    void on_delete_device_pushButton_clicked();
    void on_delete_device_pushButton_again_clicked();
    void on_media_device_pushButton_clicked();
    void SoundShow();
    void on_sound_level_valueChanged(int value);

private:
    // Start-up steps (app/mainwindow.cpp).
    void prepareForm();
    void makeDataFolders();
    bool openStores();
    void showStartPage();
    void showActiveDeviceAtStart();
    void showInactiveDevice();
    void createTablesOnFirstRun();
    void refuseRegistrationUntilRestart();
    void showMediaSetting();

    // Steps of the flows (activation/).
    void logDirectoryServer();
    void sendLookup();
    bool storeNewSerial(const QString &serial);
    bool storeFirstSerial(const QString &serial);
    bool reportMainStoreRefused();
    void handleReplyBody(const QByteArray &raw);
    void applyDeviceRecord(const QString &body);
    bool completeActivation(store::Transaction &unit);
    void keepInactiveRecord(store::Transaction &unit);
    void reportRecordNotStored(store::Transaction &unit);
    MediaSetting chosenMediaSetting() const;
    bool saveMediaSetting(const MediaSetting &setting, bool rowExists);

    Ui_MainWindow *ui;
    QNetworkAccessManager *networkManager;
    QSqlDatabase mainDb;
    QSqlDatabase mediaDb;
};
