// Renders each page of the settings window, as the operator sees it after the
// set-up, to PNG files: screenshots OUTPUT_FOLDER
// Runs on the offscreen platform with a scratch home folder.
#include "app/mainwindow.h"
#include "resources/resources.h"
#include "store/paths.h"
#include "store/records.h"
#include "ui/fonts.h"
#include "ui/toast.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

namespace {
[[maybe_unused]] const bool resourcesRegistered = (registerResources(), true);

bool prepareActiveDevice(const QString &root)
{
    QDir().mkpath(root);
    bool ok = true;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("prepare"));
        db.setDatabaseName(root + QStringLiteral("Zelvatto.sql"));
        ok = db.open();
        QSqlQuery q(db);
        for (QLatin1String statement :
             {store::deviceInfo::CreateSql, store::deviceSetting::CreateSql,
              store::lockers::CreateSql, store::process::CreateSql})
            ok = ok && q.exec(QString(statement));
        ok = ok
             && q.exec(QStringLiteral(
                 "INSERT INTO device_info (id, dev_id, dev_name, dev_model, dev_lockers, "
                 "dev_location, dev_address, dev_description, dev_status) VALUES (1, "
                 "'QV16F2024005', 'Harbour Mall West', 'Fjor', 16, 'Level 1, east entrance', "
                 "'88 Quay Road, Port Ellis', 'Beside the pharmacy', 1)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("prepare"));
    return ok;
}

bool save(MainWindow &w, const QString &file)
{
    QApplication::processEvents();
    return w.grab().save(file);
}

QPushButton *button(MainWindow &w, const char *name)
{
    return w.findChild<QPushButton *>(QLatin1String(name));
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: screenshots OUTPUT_FOLDER\n";
        return 2;
    }
    const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + QLatin1Char('/');
    QDir().mkpath(out);
    gui::substituteMissingFonts();
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});

    QTemporaryDir firstHome;
    store::setDataRoot(firstHome.path() + QStringLiteral("/QUORVIN/"));
    bool ok = true;
    {
        MainWindow w;
        w.show();
        ok = save(w, out + QStringLiteral("page-add-device.png")) && ok;
        button(w, "manual_pushButton")->click();
        ok = save(w, out + QStringLiteral("page-manual.png")) && ok;
    }

    QTemporaryDir activeHome;
    store::setDataRoot(activeHome.path() + QStringLiteral("/QUORVIN/"));
    store::resetRecords();
    Toast = ToastLines();
    ok = prepareActiveDevice(activeHome.path() + QStringLiteral("/QUORVIN/")) && ok;
    {
        MainWindow w;
        w.show();
        ok = save(w, out + QStringLiteral("page-device.png")) && ok;
        button(w, "delete_device_pushButton")->click();
        // A confirmation within the double-click interval is not taken as one.
        QThread::msleep(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
        button(w, "delete_device_pushButton_again")->click();
        ok = save(w, out + QStringLiteral("page-deleted.png")) && ok;
    }
    if (!ok)
        err << "some pages could not be rendered\n";
    return ok ? 0 : 1;
}
