#include "baselines.h"

#include "support.h"
#include "ui_mainwindow.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QSqlQuery>

namespace bench {

namespace {
constexpr int WaitMs = 10000;
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
    QElapsedTimer timer;
    timer.start();
    db.transaction();
    QSqlQuery query(db);
    query.exec(QStringLiteral("DELETE FROM lockers WHERE row>=1"));
    query.prepare(QStringLiteral("INSERT INTO lockers (%1) VALUES (?, '', '', 0, '', 0, '', '', "
                                 "'', '', 0)")
                      .arg(LockerColumns));
    for (int id = 1; id <= count; ++id) {
        query.bindValue(0, id);
        query.exec();
    }
    const bool committed = db.commit();
    const double ms = msSince(timer);
    check(committed, QStringLiteral("the plain inserts were not committed"));
    return ms;
}

} // namespace bench
