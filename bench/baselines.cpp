#include "baselines.h"

#include "storecount.h"
#include "support.h"
#include "ui_mainwindow.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMainWindow>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QSqlQuery>

#include <array>

namespace bench {

namespace {
constexpr int WaitMs = 10000;

// The rows a new serial leaves: the device row and the default settings row.
bool insertDeviceRows(QSqlDatabase db, const QString &serial)
{
    QSqlQuery device(db);
    device.prepare(QStringLiteral(
        "INSERT INTO device_info (id, dev_id, dev_name, dev_model, dev_lockers, dev_location, "
        "dev_address, dev_description, dev_status) VALUES (1, ?, '', '', 0, '', '', '', 0 )"));
    device.addBindValue(serial);
    QSqlQuery setting(db);
    return db.transaction() && device.exec()
           && setting.exec(QStringLiteral(
               "INSERT INTO device_setting (id, timer1On, timer2On, timer3On, timer4On, "
               "timer1Off, timer2Off, timer3Off, timer4Off, wifi_ssid, wifi_pass, cam1ip, cam2ip, "
               "cam1enable, cam2enable, dev_timer_system) VALUES (1, '08:30', '16:00', '24:60', "
               "'24:60', '13:00', '21:30', '24:60', '24:60', 'Quorvin', '47193025', '', '', 1, 0, "
               "'' )"))
           && db.commit();
}

// Replaces the locker set with count blank rows, inside the caller's transaction.
bool replaceLockers(QSqlDatabase db, int count)
{
    QSqlQuery query(db);
    bool ok = query.exec(QStringLiteral("DELETE FROM lockers WHERE row>=1"))
              && query.prepare(QStringLiteral("INSERT INTO lockers (%1) VALUES (?, '', '', 0, "
                                              "'', 0, '', '', '', '', 0)")
                                   .arg(LockerColumns));
    for (int id = 1; ok && id <= count; ++id) {
        query.bindValue(0, id);
        ok = query.exec();
    }
    return ok;
}

// The reply's record and timer setting, and its locker set, in one transaction.
bool storeReply(QSqlDatabase db, const QJsonObject &reply)
{
    QSqlQuery device(db);
    device.prepare(QStringLiteral(
        "UPDATE device_info SET dev_name=?, dev_model=?, dev_lockers=?, dev_location=?, "
        "dev_address=?, dev_description=?, dev_status=? WHERE id=1"));
    const auto text = [&](const char *key) { return reply.value(QLatin1String(key)).toString(); };
    const int lockers = reply.value(QLatin1String("dev_lockers")).toInt();
    for (const QVariant &value : {QVariant(text("dev_name")), QVariant(text("dev_model")),
                                  QVariant(lockers), QVariant(text("dev_location")),
                                  QVariant(text("dev_address")), QVariant(text("dev_description")),
                                  QVariant(reply.value(QLatin1String("dev_status")).toInt())})
        device.addBindValue(value);
    QSqlQuery setting(db);
    setting.prepare(QStringLiteral("UPDATE device_setting SET dev_timer_system=? WHERE id=1"));
    setting.addBindValue(text("dev_timer_system"));
    return db.transaction() && device.exec() && setting.exec() && replaceLockers(db, lockers)
           && db.commit();
}

void showToast(Ui_MainWindow &form, const std::array<QString, 4> &lines)
{
    form.labelToast1->setText(lines[0]);
    form.labelToast2->setText(lines[1]);
    form.labelToast3->setText(lines[2]);
    form.labelToast4->setText(lines[3]);
}

// The device page with the record as the window shows it, and the toast the
// window ends a registration with.
void showDevice(Ui_MainWindow &form, const QString &serial, const QJsonObject &record)
{
    const auto text = [&](const char *key) { return record.value(QLatin1String(key)).toString(); };
    form.stackedWidget->setCurrentWidget(form.pageDevice);
    showToast(form, {QStringLiteral("ID Save, Try connect server!"),
                     QStringLiteral("Locker db create! OK"), QStringLiteral("Lockers insert! OK"),
                     QStringLiteral("Everything is OK")});
    form.label_device_information->setText(
        QStringLiteral("Device ID: %1\nName: %2\nModel: %3\nLockers: %4\nLocation: %5\n"
                       "Address: %6\nDescription: %7\nStatus: Active")
            .arg(serial, text("dev_name"), text("dev_model"),
                 QString::number(record.value(QLatin1String("dev_lockers")).toInt()),
                 text("dev_location"), text("dev_address"), text("dev_description")));
}
} // namespace

const QString LockerColumns = QStringLiteral(
    "locker_id, locker_mobile, locker_password, locker_icon, locker_nfc, locker_finger, "
    "locker_timestart, locker_timechange, locker_startmode, locker_endmode, locker_status");

double bareStartUp()
{
    QElapsedTimer timer;
    timer.start();
    QMainWindow window;
    Ui_MainWindow form;
    form.setupUi(&window);
    showPainted(window);
    return msSince(timer);
}

double plainGet(QNetworkAccessManager &manager, const QUrl &url)
{
    QSignalSpy finished(&manager, &QNetworkAccessManager::finished);
    QElapsedTimer timer;
    timer.start();
    QNetworkReply *reply = manager.get(QNetworkRequest(url));
    check(finished.wait(WaitMs), QStringLiteral("no reply to the plain GET"));
    const double ms = msSince(timer);
    check(reply->error() == QNetworkReply::NoError && reply->readAll().contains("dev_id"),
          QStringLiteral("the plain GET failed"));
    reply->deleteLater();
    return ms;
}

double plainRebuild(QSqlDatabase db, int count)
{
    Stopwatch stopwatch;
    const bool committed = db.transaction() && replaceLockers(db, count) && db.commit();
    const double ms = stopwatch.stopMs();
    check(committed, QStringLiteral("the plain inserts were not committed"));
    return ms;
}

BareForm::BareForm()
{
    form.setupUi(&window);
    showPainted(window);
}

void PlainRegistration::reset()
{
    bare.form.stackedWidget->setCurrentWidget(bare.form.pageAddDevice);
    settle();
}

double PlainRegistration::run()
{
    const PaintWatch frame(*bare.form.label_device_information);
    Stopwatch stopwatch;
    showToast(bare.form,
              {QString(), QString(), QString(), QStringLiteral("ID Save, Try connect server!")});
    check(insertDeviceRows(db, serial), QStringLiteral("the plain device rows were not stored"));
    QSignalSpy finished(&manager, &QNetworkAccessManager::finished);
    QNetworkReply *reply = manager.get(QNetworkRequest(url));
    check(finished.wait(WaitMs), QStringLiteral("no reply to the plain registration"));
    const QJsonObject record = QJsonDocument::fromJson(reply->readAll()).object();
    reply->deleteLater();
    check(record.value(QLatin1String("dev_status")).toInt() == 1 && storeReply(db, record),
          QStringLiteral("the plain reply was not stored"));
    showDevice(bare.form, serial, record);
    QDir().mkpath(deviceFolder);
    paintPending(bare.window, frame);
    const double ms = stopwatch.stopMs();
    check(QDir(deviceFolder).exists(), QStringLiteral("no plain device folder"));
    return ms;
}

} // namespace bench
