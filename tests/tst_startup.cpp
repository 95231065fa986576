// Start-up of the window: each situation is prepared as real store files in a
// fresh data root, then a real window is built on it.

#include "support/testsupport.h"

#include "store/records.h"
#include "ui/soundlevel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSlider>
#include <QSqlDatabase>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace testing;

namespace {

const QString DevId = QStringLiteral("QV8B2024001");

// The first captured line that starts with the label, or -1.
int indexOfLineStarting(const LogCapture &log, const QString &label)
{
    const QStringList lines = log.lines();
    for (int i = 0; i < lines.size(); ++i)
        if (lines.at(i).startsWith(label))
            return i;
    return -1;
}

// Writes a Main store whose device_info holds the given rows, each a list of
// SQL values for (id, dev_id, dev_name, dev_model, dev_lockers, dev_status).
bool writeMainStore(const TestHome &home, const QStringList &rows)
{
    if (!QDir().mkpath(home.root()))
        return false;
    if (!execSql(home.mainStore(), QString(store::deviceInfo::CreateSql)))
        return false;
    for (const QString &values : rows) {
        if (!execSql(home.mainStore(),
                     QStringLiteral("INSERT INTO device_info (id, dev_id, dev_name, dev_model, "
                                    "dev_lockers, dev_status, dev_location, dev_address, "
                                    "dev_description) VALUES (%1, 'Hall 3', 'Main street 12', "
                                    "'Near the gate')")
                         .arg(values)))
            return false;
    }
    return true;
}

bool writeActiveDevice(const TestHome &home)
{
    return writeMainStore(home, {QStringLiteral("1, 'QV8B2024001', 'Brisa', 'QV8', 8, 1")});
}

// values: (dev_id, path_public_enable, path_private_enable, path_local_enable,
// sound_enable_level) as SQL values.
bool writeMediaRow(const TestHome &home, const QString &values)
{
    return QDir().mkpath(home.root())
           && execSql(home.mediaStore(), QString(store::media::CreateSql))
           && execSql(home.mediaStore(),
                      QStringLiteral("INSERT INTO media (id, dev_id, path_public_enable, "
                                     "path_private_enable, path_local_enable, "
                                     "sound_enable_level) VALUES (1, %1)")
                          .arg(values));
}

QStringList tableNames(const QString &file)
{
    QStringList names;
    for (const QVariantList &row :
         queryRows(file, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND "
                                        "name <> 'sqlite_sequence' ORDER BY name")))
        names.append(row.value(0).toString());
    return names;
}

QStringList columnNames(const QString &file, const QString &table)
{
    QStringList names;
    for (const QVariantList &row :
         queryRows(file, QStringLiteral("PRAGMA table_info(%1)").arg(table)))
        names.append(row.value(1).toString());
    return names;
}

} // namespace

class tst_Startup : public QObject
{
    Q_OBJECT

private slots:
    void mainStoreCannotBeOpened();
    void firstRunCreatesTheStores();
    void deviceRowsWithoutIdOneCountAsFirstRun();
    void deviceInfoCannotBeCreated();
    void inactiveDevice_data();
    void inactiveDevice();
    void activeDeviceWithMedia_data();
    void activeDeviceWithMedia();
    void activeDeviceWithoutMedia();
    void mediaStoreCannotBeOpened();
    void restartFindsDataUnchanged();
};

void tst_Startup::mainStoreCannotBeOpened()
{
    TestHome home;
    const QString blocker = home.home() + QStringLiteral("/QUORVIN");
    {
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("a file where the data root should be");
    }
    const QByteArray before = fileBytes(blocker);

    LogCapture log;
    MainWindow w;

    QCOMPARE(toastLabels(&w), QStringList({u""_s, u""_s, u""_s, u"Main Database Open Error!"_s}));
    QCOMPARE(page(w), u"pageAddDevice"_s);
    QVERIFY(indexOfLineStarting(log, QStringLiteral("Main DB open error:")) >= 0);
    // Start-up stops at the Main store: no Media store, no read, no creation.
    QCOMPARE(indexOfLineStarting(log, QStringLiteral("Media DB open error:")), -1);
    QCOMPARE(indexOfLineStarting(log, QStringLiteral("DevID:")), -1);
    QCOMPARE(log.indexOf(QStringLiteral("read main table success!")), -1);
    QVERIFY(QFileInfo(blocker).isFile());
    QCOMPARE(fileBytes(blocker), before);
    QVERIFY(!QFileInfo::exists(home.mediaStore()));
    QVERIFY(widget<QPushButton>(w, "add_device_pushButton")->isEnabled());
    QVERIFY(widget<QLineEdit>(w, "add_device_edit")->text().isEmpty());
}

void tst_Startup::firstRunCreatesTheStores()
{
    TestHome home;
    QVERIFY(!QFileInfo::exists(home.root()));

    LogCapture log;
    MainWindow w;

    QVERIFY(QFileInfo(home.root() + QStringLiteral("Zelvatto/")).isDir());
    QCOMPARE(toastLabels(&w), QStringList({u""_s, u""_s, u""_s,
                                           u"Database Created! Insert printed serial number!"_s}));
    QCOMPARE(page(w), u"pageAddDevice"_s);
    QVERIFY(widget<QPushButton>(w, "add_device_pushButton")->isEnabled());
    QCOMPARE(log.indexOf(QStringLiteral("read main table success!")), -1);
    QCOMPARE(indexOfLineStarting(log, QStringLiteral("Create ")), -1);

    QCOMPARE(tableNames(home.mainStore()),
             QStringList({u"device_info"_s, u"device_setting"_s, u"lockers"_s, u"process"_s}));
    for (const QString &table : tableNames(home.mainStore()))
        QVERIFY2(queryRows(home.mainStore(), u"SELECT COUNT(*) FROM "_s + table).value(0).value(0)
                     == 0,
                 qPrintable(table));
    QCOMPARE(columnNames(home.mainStore(), u"device_info"_s),
             QStringList({u"row"_s, u"id"_s, u"dev_id"_s, u"dev_name"_s, u"dev_model"_s,
                          u"dev_lockers"_s, u"dev_location"_s, u"dev_address"_s,
                          u"dev_description"_s, u"dev_status"_s}));
    QCOMPARE(columnNames(home.mainStore(), u"device_setting"_s),
             QStringList({u"row"_s, u"id"_s, u"timer1On"_s, u"timer2On"_s, u"timer3On"_s,
                          u"timer4On"_s, u"timer1Off"_s, u"timer2Off"_s, u"timer3Off"_s,
                          u"timer4Off"_s, u"wifi_ssid"_s, u"wifi_pass"_s, u"cam1ip"_s, u"cam2ip"_s,
                          u"cam1enable"_s, u"cam2enable"_s, u"dev_timer_system"_s}));
    QCOMPARE(columnNames(home.mainStore(), u"lockers"_s),
             QStringList({u"row"_s, u"locker_id"_s, u"locker_mobile"_s, u"locker_password"_s,
                          u"locker_icon"_s, u"locker_nfc"_s, u"locker_finger"_s,
                          u"locker_timestart"_s, u"locker_timechange"_s, u"locker_startmode"_s,
                          u"locker_endmode"_s, u"locker_status"_s}));
    QCOMPARE(columnNames(home.mainStore(), u"process"_s),
             QStringList({u"row"_s, u"operation"_s, u"description"_s, u"time"_s, u"sync"_s}));

    // The media table is made by the first media save, not at start-up.
    QVERIFY(QFileInfo(home.mediaStore()).isFile());
    QCOMPARE(tableNames(home.mediaStore()), QStringList());
}

void tst_Startup::deviceRowsWithoutIdOneCountAsFirstRun()
{
    TestHome home;
    QVERIFY(writeMainStore(home, {QStringLiteral("0, 'QV8B2024000', 'Old', 'QV8', 8, 1"),
                                  QStringLiteral("2, 'QV8B2024002', 'Other', 'QV8', 8, 1")}));

    LogCapture log;
    MainWindow w;

    QCOMPARE(toastLabels(&w), QStringList({u""_s, u""_s, u""_s,
                                           u"Database Created! Insert printed serial number!"_s}));
    QCOMPARE(page(w), u"pageAddDevice"_s);
    QVERIFY(widget<QLineEdit>(w, "add_device_edit")->text().isEmpty());
    QCOMPARE(log.indexOf(QStringLiteral("read main table success!")), -1);
    QCOMPARE(queryRows(home.mainStore(), u"SELECT id, dev_id FROM device_info ORDER BY row"_s),
             QList<QVariantList>({{0, u"QV8B2024000"_s}, {2, u"QV8B2024002"_s}}));
    QCOMPARE(tableNames(home.mainStore()),
             QStringList({u"device_info"_s, u"device_setting"_s, u"lockers"_s, u"process"_s}));
}

void tst_Startup::deviceInfoCannotBeCreated()
{
    TestHome home;
    QVERIFY(QDir().mkpath(home.root()));
    QByteArray garbage(4096, '\0');
    QRandomGenerator generator(20240601);
    for (char &byte : garbage)
        byte = static_cast<char>(generator.bounded(256));
    garbage.replace(0, 6, "NOTSQL");
    {
        QFile file(home.mainStore());
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(garbage), garbage.size());
    }

    LogCapture log;
    MainWindow w;

    QCOMPARE(toastLabels(&w),
             QStringList({u""_s, u""_s, u""_s, u"Create deviceInfo error! Reinstall app!"_s}));
    QCOMPARE(page(w), u"pageAddDevice"_s);
    QVERIFY(!widget<QPushButton>(w, "add_device_pushButton")->isEnabled());
    QVERIFY(indexOfLineStarting(log, QStringLiteral("Create device_info table error:")) >= 0);
    // The other tables are not attempted once device_info failed.
    QCOMPARE(indexOfLineStarting(log, QStringLiteral("Create device_setting table error:")), -1);
    QCOMPARE(indexOfLineStarting(log, QStringLiteral("Create lockers table error:")), -1);
    QCOMPARE(fileBytes(home.mainStore()), garbage);
}

void tst_Startup::inactiveDevice_data()
{
    QTest::addColumn<QString>("row");

    QTest::newRow("new serial, status 0") << "1, 'QV8B2024001', '', '', 0, 0";
    QTest::newRow("disabled, status 2") << "1, 'QV8B2024001', 'Brisa', 'QV8', 8, 2";
    QTest::newRow("unknown status 7") << "1, 'QV8B2024001', 'Brisa', 'QV8', 8, 7";
    QTest::newRow("status not a number") << "1, 'QV8B2024001', 'Brisa', 'QV8', 8, 'on'";
    QTest::newRow("blanks around the ID") << "1, '  QV8B2024001 ', 'Brisa', 'QV8', 8, 0";
}

void tst_Startup::inactiveDevice()
{
    QFETCH(QString, row);
    TestHome home;
    QVERIFY(writeMainStore(home, {row}));
    // A saved media row is not looked at for an inactive device.
    QVERIFY(writeMediaRow(home, QStringLiteral("'QV8B2024001', 0, 0, 1, 10")));

    LogCapture log;
    MainWindow w;

    QCOMPARE(toastLabels(&w), QStringList({u""_s, u""_s, u""_s, u"Device inactive!"_s}));
    QCOMPARE(page(w), u"pageAddDevice"_s);
    QCOMPARE(widget<QLineEdit>(w, "add_device_edit")->text(), DevId);
    QVERIFY(widget<QPushButton>(w, "add_device_pushButton")->isEnabled());
    QVERIFY(log.indexOf(QStringLiteral("read main table success!")) >= 0);
    QCOMPARE(log.indexOf(QStringLiteral("read media success!")), -1);
    QVERIFY(widget<QLabel>(w, "labeldevpath")->text().isEmpty());
    QVERIFY(boxChecked(w, "media1"));
    QVERIFY(!boxChecked(w, "media3"));
}

void tst_Startup::activeDeviceWithMedia_data()
{
    QTest::addColumn<QString>("mediaRow");
    QTest::addColumn<bool>("media1");
    QTest::addColumn<bool>("media2");
    QTest::addColumn<bool>("media3");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("icon");

    const int muted = int(gui::SoundPicture::Muted);
    const int normal = int(gui::SoundPicture::Normal);
    const int loud = int(gui::SoundPicture::Loud);
    QTest::newRow("all off, muted")
        << "'QV8B2024001', 0, 0, 0, 0" << false << false << false << 0 << muted;
    QTest::newRow("local only, padded ID")
        << "'  QV8B2024001  ', 0, 0, 1, 30" << false << false << true << 30 << normal;
    QTest::newRow("2 is not on, level clamped")
        << "'QV8B2024001', 1, 2, 2, 150" << true << false << false << 99 << loud;
    QTest::newRow("texts are not on")
        << "'QV8B2024001', 'yes', 1, 'x', 99" << false << true << false << 99 << loud;
}

void tst_Startup::activeDeviceWithMedia()
{
    QFETCH(QString, mediaRow);
    QFETCH(bool, media1);
    QFETCH(bool, media2);
    QFETCH(bool, media3);
    QFETCH(int, level);
    QFETCH(int, icon);

    TestHome home;
    QVERIFY(writeActiveDevice(home));
    QVERIFY(writeMediaRow(home, mediaRow));

    LogCapture log;
    MainWindow w;

    QCOMPARE(toastLabels(&w),
             QStringList({u""_s, u""_s, u"Device is active!"_s, u"Media data read ok"_s}));
    QCOMPARE(page(w), u"pageDevice"_s);
    const int mainRead = log.indexOf(QStringLiteral("read main table success!"));
    QVERIFY(mainRead >= 0);
    QVERIFY(log.indexOf(QStringLiteral("read media success!")) > mainRead);

    QCOMPARE(widget<QLabel>(w, "labeldevpath")->text(), DevId);
    QCOMPARE(boxChecked(w, "media1"), media1);
    QCOMPARE(boxChecked(w, "media2"), media2);
    QCOMPARE(boxChecked(w, "media3"), media3);
    QCOMPARE(widget<QSlider>(w, "sound_level")->value(), level);
    QVERIFY(soundIconIs(w, gui::SoundPicture(icon)));

    const QString text = widget<QLabel>(w, "label_device_information")->text();
    QVERIFY2(text.contains(u"Device ID: QV8B2024001\nName: Brisa\nModel: QV8\nLockers: 8\n"_s),
             qPrintable(text));
    QVERIFY2(text.endsWith(u"Status: Active"_s), qPrintable(text));
}

void tst_Startup::activeDeviceWithoutMedia()
{
    TestHome home;
    QVERIFY(writeActiveDevice(home));

    LogCapture log;
    MainWindow w;

    QCOMPARE(toastLabels(&w),
             QStringList({u""_s, u""_s, u"Device is active!"_s, u"Media data not set"_s}));
    QCOMPARE(page(w), u"pageDevice"_s);
    QVERIFY(log.indexOf(QStringLiteral("read main table success!")) >= 0);
    QCOMPARE(log.indexOf(QStringLiteral("read media success!")), -1);
    QVERIFY(boxChecked(w, "media1"));
    QVERIFY(boxChecked(w, "media2"));
    QVERIFY(!boxChecked(w, "media3"));
    QVERIFY(widget<QLabel>(w, "labeldevpath")->text().isEmpty());
    QVERIFY(widget<QLabel>(w, "label_device_information")->text().contains(u"Name: Brisa"_s));
    // Start-up does not create the media table.
    QCOMPARE(tableNames(home.mediaStore()), QStringList());
}

void tst_Startup::mediaStoreCannotBeOpened()
{
    TestHome home;
    QVERIFY(writeActiveDevice(home));
    QVERIFY(QDir().mkpath(home.mediaStore()));

    LogCapture log;
    MainWindow w;

    QCOMPARE(toastLabels(&w),
             QStringList({u""_s, u""_s, u"Device is active!"_s, u"Media data not set"_s}));
    QCOMPARE(page(w), u"pageDevice"_s);
    const int mediaError = indexOfLineStarting(log, QStringLiteral("Media DB open error:"));
    QVERIFY(mediaError >= 0);
    QVERIFY(mediaError < log.indexOf(QStringLiteral("read main table success!")));
    QVERIFY(log.indexOf(QStringLiteral("Media DB is closed and cannot be opened!")) > mediaError);
    QVERIFY(QFileInfo(home.mediaStore()).isDir());
}

void tst_Startup::restartFindsDataUnchanged()
{
    TestHome home;
    QVERIFY(writeActiveDevice(home));
    QVERIFY(writeMediaRow(home, QStringLiteral("'QV8B2024001', 0, 1, 1, 20")));
    const QString deviceSql = QStringLiteral("SELECT * FROM device_info ORDER BY row");
    const QString mediaSql = QStringLiteral("SELECT * FROM media ORDER BY row");
    const QList<QVariantList> deviceRows = queryRows(home.mainStore(), deviceSql);
    const QList<QVariantList> mediaRows = queryRows(home.mediaStore(), mediaSql);
    QCOMPARE(deviceRows.size(), 1);
    QCOMPARE(mediaRows.size(), 1);

    auto first = std::make_unique<MainWindow>();
    QCOMPARE(page(*first), u"pageDevice"_s);
    first.reset();
    // The destructor closes both stores.
    QVERIFY(!QSqlDatabase::database(QStringLiteral("qt_sql_default_connection"), false).isOpen());
    QVERIFY(!QSqlDatabase::database(QStringLiteral("media_db_conn"), false).isOpen());
    QCOMPARE(queryRows(home.mainStore(), deviceSql), deviceRows);
    QCOMPARE(queryRows(home.mediaStore(), mediaSql), mediaRows);

    MainWindow second;
    QCOMPARE(toastLabels(&second).mid(2),
             QStringList({u"Device is active!"_s, u"Media data read ok"_s}));
    QCOMPARE(page(second), u"pageDevice"_s);
    QCOMPARE(widget<QLabel>(second, "labeldevpath")->text(), DevId);
    QVERIFY(!boxChecked(second, "media1"));
    QVERIFY(boxChecked(second, "media2"));
    QVERIFY(boxChecked(second, "media3"));
    QCOMPARE(widget<QSlider>(second, "sound_level")->value(), 20);
    QCOMPARE(queryRows(home.mainStore(), deviceSql), deviceRows);
    QCOMPARE(queryRows(home.mediaStore(), mediaSql), mediaRows);
}

QTEST_MAIN(tst_Startup)
#include "tst_startup.moc"
