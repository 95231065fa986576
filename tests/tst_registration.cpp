// Registration end to end: the operator types a serial into the real window,
// the reference directory server answers over loopback, and the tests look at
// the toast, the page, the SQLite files and the data root on disk.

#include "support/testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace testing;

namespace {

constexpr int ReplyWaitMs = 10000;

const QString SavedToast = QStringLiteral("ID Save, Try connect server!");
const QString ResentToast = QStringLiteral("Try connect server!");
const QString NetworkToast = QStringLiteral("Network Error or Server Unreachable");
const QString FirstRunToast = QStringLiteral("Database Created! Insert printed serial number!");
const QStringList ActivatedToasts{SavedToast, QStringLiteral("Locker db create! OK"),
                                  QStringLiteral("Lockers insert! OK"),
                                  QStringLiteral("Everything is OK")};

// A catalogue entry with every key, its texts derived from the ID.
QJsonObject device(const QString &id, int lockers, int status)
{
    return QJsonObject{{u"dev_id"_s, id},
                       {u"dev_name"_s, u"Name "_s + id},
                       {u"dev_model"_s, u"Dorne"_s},
                       {u"dev_lockers"_s, lockers},
                       {u"dev_location"_s, u"Location "_s + id},
                       {u"dev_address"_s, u"Address "_s + id},
                       {u"dev_description"_s, u"Description "_s + id},
                       {u"dev_status"_s, status},
                       {u"dev_timer_system"_s, u"07:00-19:00"_s}};
}

QJsonObject with(QJsonObject entry, const QString &key, const QJsonValue &value)
{
    entry.insert(key, value);
    return entry;
}

// The device_info row the store should hold for such an entry.
QString deviceRow(const QString &id, int lockers, int status)
{
    return QStringLiteral("1|%1|Name %1|Dorne|%2|Location %1|Address %1|Description %1|%3")
        .arg(id, QString::number(lockers), QString::number(status));
}

QString serialOnlyRow(const QString &id)
{
    return QStringLiteral("1|%1|||0||||0").arg(id);
}

QStringList deviceRows(const TestHome &home)
{
    return rows(home.mainStore(),
                u"SELECT id, dev_id, dev_name, dev_model, dev_lockers, dev_location, dev_address, "
                "dev_description, dev_status FROM device_info ORDER BY row"_s);
}

QStringList settingRows(const TestHome &home)
{
    return rows(home.mainStore(),
                u"SELECT id, timer1On, timer2On, timer3On, timer4On, timer1Off, timer2Off, "
                "timer3Off, timer4Off, wifi_ssid, wifi_pass, cam1ip, cam2ip, cam1enable, "
                "cam2enable, dev_timer_system FROM device_setting ORDER BY row"_s);
}

QString defaultSettingRow(const QString &timerSystem)
{
    return u"1|08:30|16:00|24:60|24:60|13:00|21:30|24:60|24:60|Quorvin|47193025|||1|0|"_s
           + timerSystem;
}

QStringList lockerRows(const TestHome &home)
{
    return rows(home.mainStore(),
                u"SELECT locker_id, locker_mobile, locker_password, locker_icon, locker_nfc, "
                "locker_finger, locker_timestart, locker_timechange, locker_startmode, "
                "locker_endmode, locker_status FROM lockers ORDER BY locker_id, row"_s);
}

// Lockers 1..count, one blank row each.
QStringList blankLockers(int count)
{
    QStringList expected;
    for (int id = 1; id <= count; ++id)
        expected.append(QStringLiteral("%1|||0||0|||||0").arg(id));
    return expected;
}

// The folders under the home folder: the data root, its product folder and
// the device folders, and nothing that escaped the data root.
QStringList folderListing(const TestHome &home)
{
    QStringList folders;
    const auto flags = QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden;
    for (const QString &name : QDir(home.home()).entryList(flags))
        folders.append(name);
    for (const QString &name : QDir(home.root()).entryList(flags))
        folders.append(u"QUORVIN/"_s + name);
    folders.sort();
    return folders;
}

QStringList expectedFolders(const QStringList &deviceFolders)
{
    QStringList folders{u"QUORVIN"_s, u"QUORVIN/Zelvatto"_s};
    for (const QString &folder : deviceFolders)
        folders.append(u"QUORVIN/"_s + folder);
    folders.sort();
    return folders;
}

// An activation landed whole: the one device row, a blank row per locker,
// the device page and the device's folder.
void expectActivated(const TestHome &home, MainWindow &w, const QString &serial, int lockers)
{
    QCOMPARE(deviceRows(home), QStringList{deviceRow(serial, lockers, 1)});
    QCOMPARE(lockerRows(home), blankLockers(lockers));
    QCOMPARE(page(w), u"pageDevice"_s);
    QCOMPARE(folderListing(home), expectedFolders({serial}));
}

} // namespace

class TstRegistration : public QObject
{
    Q_OBJECT

private slots:
    void fullRegistration();
    void disabledCabinetThenAnotherSerial();
    void failedLookupKeepsStore_data();
    void failedLookupKeepsStore();
    void lockerCountAboveLimit();
    void twoRequestsInFlight();
    void staleReplyIgnored();
    void serialWithReservedCharacters_data();
    void serialWithReservedCharacters();
    void manualActivation_data();
    void manualActivation();
    void replyForSerialTheUrlAlters();
};

void TstRegistration::fullRegistration()
{
    TestHome home;
    DirectoryServer server;
    QVERIFY(server.start());
    MainWindow w;
    w.show();
    QCOMPARE(page(w), u"pageAddDevice"_s);
    QSignalSpy replies(networkManagerOf(&w), &QNetworkAccessManager::finished);

    const QString serial = QStringLiteral("QV16F2024005");
    submitSerial(w, serial);
    // The serial and the default settings are stored before the answer comes.
    QCOMPARE(toastLabels(&w).last(), SavedToast);
    QCOMPARE(deviceRows(home), QStringList{serialOnlyRow(serial)});
    QCOMPARE(settingRows(home), QStringList{defaultSettingRow(QString())});

    QVERIFY(replies.wait(ReplyWaitMs));
    QCOMPARE(page(w), u"pageDevice"_s);
    QCOMPARE(toastLabels(&w), ActivatedToasts);
    QCOMPARE(deviceRows(home),
             QStringList{u"1|QV16F2024005|Riverside Galleria - North Entrance|Fjor|16|"
                         "Riverside Galleria, level 0, north entrance lobby|"
                         "300 Quayside Boulevard, Norhaven 6108|"
                         "Large cabinet with sixteen lockers; weekend peak use.|1"_s});
    QCOMPARE(settingRows(home), QStringList{defaultSettingRow(u"08:30-13:00,16:00-21:30"_s)});
    QCOMPARE(lockerRows(home), blankLockers(16));
    QCOMPARE(folderListing(home), expectedFolders({serial}));
    QCOMPARE(widget<QLabel>(w, "label_device_information")->text(),
             QStringLiteral("Device ID: QV16F2024005\n"
                            "Name: Riverside Galleria - North Entrance\n"
                            "Model: Fjor\n"
                            "Lockers: 16\n"
                            "Location: Riverside Galleria, level 0, north entrance lobby\n"
                            "Address: 300 Quayside Boulevard, Norhaven 6108\n"
                            "Description: Large cabinet with sixteen lockers; weekend peak use.\n"
                            "Status: Active"));
}

// A disabled cabinet is stored but not activated; a new serial then replaces
// it in the same row.
void TstRegistration::disabledCabinetThenAnotherSerial()
{
    TestHome home;
    DirectoryServer server;
    QVERIFY(server.start());
    MainWindow w;
    w.show();
    QSignalSpy replies(networkManagerOf(&w), &QNetworkAccessManager::finished);

    submitSerial(w, QStringLiteral("QV8D2023017"));
    QVERIFY(replies.wait(ReplyWaitMs));
    QCOMPARE(page(w), u"pageAddDevice"_s);
    QCOMPARE(toastLabels(&w), (QStringList{QString(), QString(), FirstRunToast, SavedToast}));
    QCOMPARE(deviceRows(home),
             QStringList{u"1|QV8D2023017|Harlow Fields Sports Centre|Dorne|8|"
                         "Reception hall, by the changing rooms|9 Meadow Lane, Harlow Fields 4410|"
                         "Disabled for maintenance: lock of locker 5 replaced.|2"_s});
    QCOMPARE(settingRows(home), QStringList{defaultSettingRow(u"06:00-22:00"_s)});
    QVERIFY(lockerRows(home).isEmpty());
    QCOMPARE(folderListing(home), expectedFolders({}));

    const QString serial = QStringLiteral("QV16F2024005");
    submitSerial(w, serial);
    QCOMPARE(toastLabels(&w).last(), QStringLiteral("ID Update, Try connect server!"));
    QCOMPARE(rows(home.mainStore(), u"SELECT id, dev_id, dev_status FROM device_info"_s),
             QStringList{u"1|QV16F2024005|0"_s});

    QVERIFY(replies.wait(ReplyWaitMs));
    QCOMPARE(page(w), u"pageDevice"_s);
    QCOMPARE(toastLabels(&w).last(), QStringLiteral("Everything is OK"));
    QCOMPARE(rows(home.mainStore(), u"SELECT id, dev_id, dev_model, dev_lockers, dev_status "
                                    "FROM device_info"_s),
             QStringList{u"1|QV16F2024005|Fjor|16|1"_s});
    QCOMPARE(settingRows(home), QStringList{defaultSettingRow(u"08:30-13:00,16:00-21:30"_s)});
    QCOMPARE(lockerRows(home), blankLockers(16));
    QCOMPARE(folderListing(home), expectedFolders({serial}));
}

// Answers that carry no usable record. First on a fresh store (only the
// serial is kept), then, pressed again, on a store holding a full record,
// which must come through unchanged.
void TstRegistration::failedLookupKeepsStore_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QJsonArray>("devices");
    QTest::addColumn<QStringList>("serverArguments");
    QTest::addColumn<bool>("serverListens");
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<QString>("toast");

    const QString id = QStringLiteral("QVFAIL000001");
    const QJsonObject active = device(id, 8, 1);
    const QString inDescription = uR"({"dev_id":"QVFAIL000001","dev_status":1,"dev_lockers":8,)"
                                  R"("dev_description":"ServerError fixed"})"_s;
    const QString inName =
        uR"({"dev_id":"QVFAIL000001","dev_status":1,"dev_name":"GetInfo desk"})"_s;

    QTest::newRow("unknown serial")
        << id << QJsonArray{device(u"QVOTHER00001"_s, 8, 1)} << QStringList() << true << 0
        << R"(Error: GetInfo: no device with ID "QVFAIL000001")";
    QTest::newRow("wrong access value")
        << id << QJsonArray{active} << QStringList{u"--access"_s, u"Other"_s} << true << 0
        << "Server error or bad connection!";
    QTest::newRow("ServerError inside a record")
        << id << QJsonArray{with(active, u"raw_body"_s, inDescription)} << QStringList() << true
        << 0 << "Server error or bad connection!";
    QTest::newRow("GetInfo inside a record")
        << id << QJsonArray{with(active, u"raw_body"_s, inName)} << QStringList() << true << 0
        << u"Error: "_s + inName;
    QTest::newRow("HTTP 500 with a record") << id << QJsonArray{with(active, u"http_status"_s, 500)}
                                            << QStringList() << true << 0 << NetworkToast;
    QTest::newRow("HTTP 404 with a record") << id << QJsonArray{with(active, u"http_status"_s, 404)}
                                            << QStringList() << true << 0 << NetworkToast;
    QTest::newRow("nothing listening")
        << id << QJsonArray() << QStringList() << false << 0 << NetworkToast;
    QTest::newRow("time-out") << id << QJsonArray{with(active, u"delay_ms"_s, 5000)}
                              << QStringList() << true << 500 << NetworkToast;
    QTest::newRow("unreadable record")
        << id
        << QJsonArray{with(active, u"raw_body"_s,
                           uR"({"dev_id": "QVFAIL000001", "dev_status": 1, )"_s)}
        << QStringList() << true << 0 << "Server reply could not be read!";
    QTest::newRow("no marker") << id << QJsonArray{with(active, u"raw_body"_s, u"OK"_s)}
                               << QStringList() << true << 0 << u"Server reply could not be read!"_s;
}

void TstRegistration::failedLookupKeepsStore()
{
    QFETCH(QString, serial);
    QFETCH(QJsonArray, devices);
    QFETCH(QStringList, serverArguments);
    QFETCH(bool, serverListens);
    QFETCH(int, timeoutMs);
    QFETCH(QString, toast);

    TestHome home;
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(u"catalogue.json"_s);
    QVERIFY(writeCatalogue(catalogue, devices));
    DirectoryServer server;
    if (serverListens)
        QVERIFY(server.start(catalogue, serverArguments));
    ServerUrlOverride url(serverListens ? server.baseUrl() : closedServerUrl());
    LookupTimeoutOverride timeout(timeoutMs);

    MainWindow w;
    w.show();
    QSignalSpy replies(networkManagerOf(&w), &QNetworkAccessManager::finished);

    submitSerial(w, serial);
    QVERIFY(replies.wait(ReplyWaitMs));
    QCOMPARE(toastLabels(&w).last(), toast);
    QCOMPARE(deviceRows(home), QStringList{serialOnlyRow(serial)});
    QCOMPARE(settingRows(home), QStringList{defaultSettingRow(QString())});
    QVERIFY(lockerRows(home).isEmpty());
    QCOMPARE(page(w), u"pageAddDevice"_s);

    QVERIFY(
        execSql(home.mainStore(),
                u"UPDATE device_info SET dev_name='Kept name', dev_model='Colm', dev_lockers=7, "
                "dev_location='Kept location', dev_address='Kept address', "
                "dev_description='Kept description', dev_status=2 WHERE id=1"_s));
    QVERIFY(execSql(home.mainStore(),
                    u"UPDATE device_setting SET dev_timer_system='06:00-22:00' WHERE id=1"_s));
    const QStringList devicesBefore = deviceRows(home);
    const QStringList settingsBefore = settingRows(home);

    submitSerial(w, serial);
    QCOMPARE(toastLabels(&w).last(), ResentToast);
    QVERIFY(replies.wait(ReplyWaitMs));
    QCOMPARE(toastLabels(&w).last(), toast);
    QCOMPARE(deviceRows(home), devicesBefore);
    QCOMPARE(settingRows(home), settingsBefore);
    QVERIFY(lockerRows(home).isEmpty());
    QCOMPARE(page(w), u"pageAddDevice"_s);
    QCOMPARE(folderListing(home), expectedFolders({}));
}

// A locker count no cabinet has: the activation is rolled back whole, and the
// store is left fit for the next registration.
void TstRegistration::lockerCountAboveLimit()
{
    TestHome home;
    QTemporaryDir dir;
    DirectoryServer server;
    const QString serial = QStringLiteral("QVMANY000001");
    const QString next = QStringLiteral("QVNEXT000002");
    QVERIFY(startServer(server, dir, {device(serial, 5000, 1), device(next, 8, 1)}));
    LogCapture log;
    MainWindow w;
    w.show();
    QSignalSpy replies(networkManagerOf(&w), &QNetworkAccessManager::finished);

    submitSerial(w, serial);
    QVERIFY(replies.wait(ReplyWaitMs));
    QCOMPARE(toastLabels(&w), (QStringList{QString(), FirstRunToast, SavedToast,
                                           QStringLiteral("Lockers db Error!")}));
    QVERIFY(log.indexOf(u"Locker count out of range: 5000"_s) >= 0);
    QCOMPARE(deviceRows(home), QStringList{serialOnlyRow(serial)});
    QCOMPARE(settingRows(home), QStringList{defaultSettingRow(QString())});
    QVERIFY(lockerRows(home).isEmpty());
    QCOMPARE(page(w), u"pageAddDevice"_s);
    QCOMPARE(folderListing(home), expectedFolders({}));

    submitSerial(w, next);
    QCOMPARE(toastLabels(&w).last(), QStringLiteral("ID Update, Try connect server!"));
    QVERIFY(replies.wait(ReplyWaitMs));
    QCOMPARE(toastLabels(&w).last(), QStringLiteral("Everything is OK"));
    expectActivated(home, w, next, 8);
}

void TstRegistration::twoRequestsInFlight()
{
    TestHome home;
    QTemporaryDir dir;
    DirectoryServer server;
    const QString serial = QStringLiteral("QVTWICE00001");
    QVERIFY(startServer(server, dir, {with(device(serial, 16, 1), u"delay_ms"_s, 500)}));
    LogCapture log;
    MainWindow w;
    w.show();
    QSignalSpy replies(networkManagerOf(&w), &QNetworkAccessManager::finished);

    submitSerial(w, serial);
    submitSerial(w, serial);
    QCOMPARE(toastLabels(&w).last(), ResentToast);
    QCOMPARE(replies.count(), 0);

    QTRY_COMPARE_WITH_TIMEOUT(replies.count(), 2, ReplyWaitMs);
    // The second answer found the complete set of the first and replaced it.
    QCOMPARE(toastLabels(&w), (QStringList{u"All Locker cleared!"_s, u"Locker db create! OK"_s,
                                           u"Lockers insert! OK"_s, u"Everything is OK"_s}));
    QCOMPARE(log.lines().count(u"Update device_setting OK!"_s), 2);
    expectActivated(home, w, serial, 16);
}

void TstRegistration::staleReplyIgnored()
{
    TestHome home;
    QTemporaryDir dir;
    DirectoryServer server;
    const QString slow = QStringLiteral("QVSLOWA00001");
    const QString fast = QStringLiteral("QVFASTB00002");
    QVERIFY(startServer(server, dir,
                        {with(device(slow, 16, 1), u"delay_ms"_s, 1500), device(fast, 7, 1)}));
    LogCapture log;
    MainWindow w;
    w.show();
    QSignalSpy replies(networkManagerOf(&w), &QNetworkAccessManager::finished);

    submitSerial(w, slow);
    submitSerial(w, fast);
    QCOMPARE(toastLabels(&w).last(), QStringLiteral("ID Update, Try connect server!"));

    QVERIFY(replies.wait(ReplyWaitMs));
    QCOMPARE(replies.count(), 1);
    QCOMPARE(deviceRows(home), QStringList{deviceRow(fast, 7, 1)});

    QTRY_COMPARE_WITH_TIMEOUT(replies.count(), 2, ReplyWaitMs);
    QVERIFY(log.indexOf(uR"(Reply ignored, it was sent for another device ID: "QVSLOWA00001")"_s)
            >= 0);
    QCOMPARE(rows(home.mainStore(), u"SELECT dev_timer_system FROM device_setting"_s),
             QStringList{u"07:00-19:00"_s});
    QCOMPARE(toastLabels(&w).last(), QStringLiteral("Everything is OK"));
    expectActivated(home, w, fast, 7);
}

// The server finding these serials proves that the ID reached it intact;
// a device folder is made only for a serial that is one plain folder name.
void TstRegistration::serialWithReservedCharacters_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<bool>("folderMade");

    QTest::newRow("URL delimiters") << "AB&Id=X#1+%2" << true;
    QTest::newRow("percent escapes stay literal") << "QV%41%2F0001" << true;
    QTest::newRow("inner spaces") << "QV 16 F 2024" << true;
    QTest::newRow("climbing out of the data root") << "QV/../../evil01" << false;
    QTest::newRow("backslashes") << R"(QV\..\..\evil02)" << false;
    QTest::newRow("drive colon") << "C:QVEVIL0003" << false;
}

void TstRegistration::serialWithReservedCharacters()
{
    QFETCH(QString, serial);
    QFETCH(bool, folderMade);

    TestHome home;
    QTemporaryDir dir;
    DirectoryServer server;
    QVERIFY(startServer(server, dir, {device(serial, 8, 1)}));
    LogCapture log;
    MainWindow w;
    w.show();
    QSignalSpy replies(networkManagerOf(&w), &QNetworkAccessManager::finished);

    submitSerial(w, serial);
    QVERIFY(replies.wait(ReplyWaitMs));
    QCOMPARE(toastLabels(&w), ActivatedToasts);
    QCOMPARE(deviceRows(home), QStringList{deviceRow(serial, 8, 1)});
    QCOMPARE(lockerRows(home), blankLockers(8));
    QCOMPARE(folderListing(home),
             expectedFolders(folderMade ? QStringList{serial} : QStringList()));
    const QString notMade = QStringLiteral("Device folder not made: \"%1\"")
                                .arg(QString(serial).replace(u"\\"_s, u"\\\\"_s));
    QCOMPARE(log.contains(notMade), !folderMade);
}

void TstRegistration::manualActivation_data()
{
    QTest::addColumn<bool>("serialStored");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("lockers");

    const auto row = [](const char *name, bool stored, const char *button, const char *model,
                        int lockers) {
        QTest::newRow(name) << stored << QString::fromLatin1(button) << QString::fromLatin1(model)
                            << lockers;
    };
    row("Colm", true, "R2K07", "Colm", 7);
    row("Fjor", true, "S3K16", "Fjor", 16);
    row("no device row", false, "R2K07", "Colm", 7);
}

void TstRegistration::manualActivation()
{
    QFETCH(bool, serialStored);
    QFETCH(QString, button);
    QFETCH(QString, model);
    QFETCH(int, lockers);

    TestHome home;
    ServerUrlOverride url(closedServerUrl());
    MainWindow w;
    w.show();
    const QString serial = QStringLiteral("QVMANUAL0001");
    if (serialStored) {
        QSignalSpy replies(networkManagerOf(&w), &QNetworkAccessManager::finished);
        submitSerial(w, serial);
        QVERIFY(replies.wait(ReplyWaitMs));
        QCOMPARE(toastLabels(&w).last(), NetworkToast);
    }
    const QStringList toastsBefore = toastLabels(&w);

    click(w, "manual_pushButton");
    QCOMPARE(page(w), u"pageManual"_s);
    auto *radio = widget<QRadioButton>(w, button.toLatin1().constData());
    QTest::mouseClick(radio, Qt::LeftButton);
    QVERIFY(radio->isChecked());
    QTest::keyClicks(widget<QLineEdit>(w, "deviceName"), u" Hall B "_s);
    click(w, "active_device_pushButton");

    if (!serialStored) {
        QCOMPARE(page(w), u"pageManual"_s);
        QCOMPARE(toastLabels(&w), toastsBefore);
        QVERIFY(deviceRows(home).isEmpty());
        QVERIFY(lockerRows(home).isEmpty());
        QCOMPARE(folderListing(home), expectedFolders({}));
        return;
    }
    QCOMPARE(page(w), u"pageDevice"_s);
    QCOMPARE(deviceRows(home), QStringList{u"1|QVMANUAL0001| Hall B |"_s + model + u"|"_s
                                           + QString::number(lockers) + u"||||1"_s});
    QCOMPARE(lockerRows(home), blankLockers(lockers));
    // Location, address and description are stored as empty texts, not NULL.
    QCOMPARE(
        queryRows(home.mainStore(),
                  u"SELECT dev_location IS NULL OR dev_address IS NULL OR dev_description IS NULL,"
                  " typeof(dev_location) FROM device_info"_s),
        (QList<QVariantList>{{0, QStringLiteral("text")}}));
    QCOMPARE(folderListing(home), expectedFolders({serial}));
    // Only the locker rebuild reports; the manual path has no toast of its own.
    QCOMPARE(toastLabels(&w), (QStringList{toastsBefore.at(2), toastsBefore.at(3),
                                           u"Locker db create! OK"_s, u"Lockers insert! OK"_s}));
    QCOMPARE(widget<QLabel>(w, "label_device_information")->text(),
             QStringLiteral("Device ID: QVMANUAL0001\nName:  Hall B \nModel: %1\nLockers: %2\n"
                            "Location: \nAddress: \nDescription: \nStatus: Active")
                 .arg(model, QString::number(lockers)));
}

// A noncharacter cannot cross a URL unchanged: the server sees U+FFFD in its
// place. The answer is still the answer to this serial and must be shown.
void TstRegistration::replyForSerialTheUrlAlters()
{
    TestHome home;
    QTemporaryDir dir;
    DirectoryServer server;
    const QString serial = QStringLiteral("QV") + QString::fromUcs4(U"\U000FFFFF") + u"000001"_s;
    QVERIFY(startServer(server, dir, {device(serial, 8, 1)}));
    LogCapture log;
    MainWindow w;
    w.show();
    QSignalSpy replies(networkManagerOf(&w), &QNetworkAccessManager::finished);

    widget<QLineEdit>(w, "add_device_edit")->setText(serial);
    click(w, "add_device_pushButton");
    QVERIFY(replies.wait(ReplyWaitMs));
    QVERIFY(!log.contains(u"Reply ignored"_s));
    QVERIFY2(toastLabels(&w).constLast().startsWith(u"Error: GetInfo"_s),
             qPrintable(toastLabels(&w).constLast()));
    QCOMPARE(deviceRows(home), QStringList{serialOnlyRow(serial)});
}

QTEST_MAIN(TstRegistration)
#include "tst_registration.moc"
