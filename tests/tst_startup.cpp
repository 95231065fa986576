// Start-up of the window: each situation is prepared as real store files in a
// fresh data root, then a real window is built on it.

#include "support/testsupport.h"

#include "app/singlecopy.h"

#include "platform/platform.h"
#include "store/connection.h"
#include "store/paths.h"
#include "store/records.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

#include <map>
#include <optional>
#include <utility>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

using namespace Qt::StringLiterals;
using namespace testing;

namespace {

// What stands where a store or the data root should be, or what holds it.
enum Obstacle {
    None,
    RootIsFile,
    MainIsGarbage,
    MediaIsFolder,
    MainHeld,        // by another program, past the busy wait
    MainReadOnly,    // an empty store that can be read and not written
    ForeignDeviceRow // a device_info table of other columns, holding row 1
};

const QString ActiveInformation =
    u"Device ID: QV8B2024001\nName: Brisa Hall\nModel: Brisa\nLockers: 8\nLocation: Hall 3\n"
    "Address: Main St 1\nDescription: Near the door\nStatus: Active"_s;
// The data root once both stores are open.
const QStringList Stores = {u"QUORVIN/"_s, u"QUORVIN/Media.sql"_s, u"QUORVIN/Zelvatto.sql"_s,
                            u"QUORVIN/Zelvatto/"_s};

// A device_info row with the sample texts, for StoreSeed::deviceRow.
QString deviceRow(const QString &status, const QString &devId = u"QV8B2024001"_s, int id = 1)
{
    return u"%1, '%2', 'Brisa Hall', 'Brisa', 8, 'Hall 3', 'Main St 1', 'Near the door', %3"_s.arg(
        QString::number(id), devId, status);
}

bool writeJunk(const QString &path)
{
    return writeFile(path, QByteArray("NOTSQL").repeated(700));
}

// Puts the obstacle where the stores are, after they are seeded.
bool place(const TestHome &home, Obstacle obstacle)
{
    switch (obstacle) {
    case None:
        return true;
    case RootIsFile:
        return writeJunk(home.home() + u"/QUORVIN"_s);
    case MainIsGarbage:
        return QDir().mkpath(home.root()) && writeJunk(home.mainStore());
    case MediaIsFolder:
        return QDir().mkpath(home.mediaStore());
    case MainHeld:
        return true;
    case MainReadOnly:
        return QDir().mkpath(home.root()) && writeFile(home.mainStore(), QByteArray());
    case ForeignDeviceRow:
        return QDir().mkpath(home.root())
               && execSql(home.mainStore(), u"CREATE TABLE device_info (id int, foo text)"_s)
               && execSql(home.mainStore(), u"INSERT INTO device_info VALUES (1, 'keep')"_s);
    }
    return false;
}

// The media panel in one line: path label, the three switches, level, picture.
QString mediaPanel(MainWindow &w)
{
    QString switches;
    for (const char *box : {"media1", "media2", "media3"})
        switches += boxChecked(w, box) ? u'1' : u'0';
    QString picture = u"none"_s;
    for (const auto &[shown, name] : {std::pair(gui::SoundPicture::Muted, "muted"),
                                      std::pair(gui::SoundPicture::Normal, "normal"),
                                      std::pair(gui::SoundPicture::Loud, "loud")})
        if (soundIconIs(w, shown))
            picture = QLatin1String(name);
    return u"%1|%2|%3|%4"_s.arg(widget<QLabel>(w, "labeldevpath")->text(), switches,
                                QString::number(widget<QSlider>(w, "sound_level")->value()),
                                picture);
}

// The serial entry: its text, and "off" when the add button is disabled, then
// "|manual off" when the manual activation is too.
QString entryState(MainWindow &w)
{
    return widget<QLineEdit>(w, "add_device_edit")->text() + u'|'
           + (widget<QPushButton>(w, "add_device_pushButton")->isEnabled() ? u"on"_s : u"off"_s)
           + (widget<QPushButton>(w, "manual_pushButton")->isEnabled() ? u""_s : u"|manual off"_s);
}

// Each entry is the start of a line that must come after the one before, or,
// after "!", the start of a line that must not be there. Empty when all hold.
QString logMismatch(const LogCapture &log, const QStringList &expected)
{
    const QStringList lines = log.lines();
    int next = 0;
    for (const QString &line : expected) {
        const bool absent = line.startsWith(u'!');
        const QString start = absent ? line.mid(1) : line;
        int at = absent ? 0 : next;
        while (at < lines.size() && !lines.at(at).startsWith(start))
            ++at;
        if (absent != (at == lines.size()))
            return line;
        next = at + 1;
    }
    return QString();
}

// "table rows" for every table of both stores.
QStringList tableRows(const TestHome &home)
{
    QStringList found;
    for (const QString &file : {home.mainStore(), home.mediaStore()})
        for (const QString &table :
             rows(file, u"SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE "
                        "'sqlite_%' ORDER BY name"_s))
            found += rows(file, u"SELECT '%1 ' || COUNT(*) FROM %1"_s.arg(table));
    return found;
}

std::map<QString, QByteArray> files(const TestHome &home)
{
    std::map<QString, QByteArray> contents;
    for (const QString &entry : treeListing(home.home()))
        if (!entry.endsWith(u'/'))
            contents[entry] = fileBytes(home.home() + u'/' + entry);
    return contents;
}

} // namespace

class tst_Startup : public WindowTest
{
    Q_OBJECT

private slots:
    void startUp_data();
    void startUp();
    void firstRunMakesTheTables();
    void restartFindsDataUnchanged();
    void madeForTheAccountAlone_data();
    void madeForTheAccountAlone();
    void runningCopyIsMarked();
    void secondCopyBringsTheFirstForward();
    void secondStartEndsAtOnce();
};

void tst_Startup::startUp_data()
{
    QTest::addColumn<QStringList>("devices"); // device_info rows on a store of that table alone
    QTest::addColumn<QString>("media");       // the media row, if any
    QTest::addColumn<int>("obstacle");
    QTest::addColumn<QStringList>("toast"); // the lines shown, newest last
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("mediaView");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<QStringList>("tables");
    QTest::addColumn<QStringList>("tree");
    QTest::addColumn<bool>("seedKept"); // every file there before keeps its bytes

    const QString add = u"pageAddDevice"_s;
    const QString device = u"pageDevice"_s;
    const QString form = u"|110|50|normal"_s; // the media panel as the form leaves it
    const QStringList notRead = {u"!read main table success!"_s};
    const QStringList created = {u"device_info 0"_s, u"device_setting 0"_s, u"lockers 0"_s,
                                 u"process 0"_s};

    QTest::newRow("no data root: first run")
        << QStringList() << QString() << int(None) << QStringList{FirstRunToast} << add << u"|on"_s
        << form << (QStringList{u"Directory server: \""_s} + notRead + QStringList{u"!Create "_s})
        << created << Stores << true;
    QTest::newRow("data root is a file: Main store cannot be opened")
        << QStringList() << QString() << int(RootIsFile)
        << QStringList{u"Main Database Open Error!"_s} << add << u"|on"_s << form
        << QStringList{u"Main DB open error:"_s, u"!Media DB open error:"_s, u"!DevID:"_s,
                       notRead[0]}
        << QStringList() << QStringList{u"QUORVIN"_s} << true;
    QTest::newRow("rows without id 1 count as a first run")
        << QStringList{deviceRow(u"1"_s, u"QV8B2024000"_s, 0),
                       deviceRow(u"1"_s, u"QV8B2024002"_s, 2)}
        << QString() << int(None) << QStringList{FirstRunToast} << add << u"|on"_s << form
        << notRead << (QStringList{u"device_info 2"_s} + created.mid(1)) << Stores << false;
    QTest::newRow("device_info cannot be created")
        << QStringList() << QString() << int(MainReadOnly)
        << QStringList{u"Create deviceInfo error! Reinstall app!"_s} << add << u"|off"_s << form
        << QStringList{u"Create device_info table error:"_s,
                       u"!Create device_setting table error:"_s, u"!Create lockers table error:"_s}
        << QStringList() << Stores << true;

    // A store that cannot be asked is no first run: nothing is made, and
    // neither a serial nor a manual activation can overwrite what it holds.
    const QString unreachable = u"Main DB unreachable!"_s;
    const QString refused = u"|off|manual off"_s;
    QTest::newRow("Main store is no database")
        << QStringList() << QString() << int(MainIsGarbage) << QStringList{unreachable} << add
        << refused << form
        << QStringList{u"Select error: \"file is not a database"_s, u"!Create "_s, notRead[0]}
        << QStringList() << Stores << true;
    QTest::newRow("device_info of other columns holding row 1")
        << QStringList() << QString() << int(ForeignDeviceRow) << QStringList{unreachable} << add
        << refused << form
        << QStringList{u"Select error: \"no such column: dev_id"_s, u"!Create "_s, notRead[0]}
        << QStringList{u"device_info 1"_s} << Stores << true;
    QTest::newRow("active device, Main store held past the busy wait")
        << QStringList{deviceRow(u"1"_s)} << u"'QV8B2024001', 0, 0, 1, 30"_s << int(MainHeld)
        << QStringList{unreachable} << add << refused << form
        << QStringList{u"Select error: \"database is locked"_s, u"!Create "_s, notRead[0]}
        << QStringList{u"device_info 1"_s, u"media 1"_s} << Stores << true;

    // An inactive device: its saved media row is not looked at.
    const auto inactive = [&](const char *name, const QString &row) {
        QTest::newRow(name) << QStringList{row} << u"'QV8B2024001', 0, 0, 1, 10"_s << int(None)
                            << QStringList{u"Device inactive!"_s} << add << u"QV8B2024001|on"_s
                            << form
                            << QStringList{u"read main table success!"_s, u"!read media success!"_s}
                            << QStringList{u"device_info 1"_s, u"media 1"_s} << Stores << true;
    };
    inactive("new serial, status 0", u"1, 'QV8B2024001', '', '', 0, '', '', '', 0"_s);
    inactive("disabled, status 2", deviceRow(u"2"_s));
    inactive("unknown status 7", deviceRow(u"7"_s));
    inactive("status not a number", deviceRow(u"'on'"_s));
    inactive("blanks around the ID", deviceRow(u"0"_s, u"  QV8B2024001 "_s));

    const QStringList read = {u"read main table success!"_s, u"read media success!"_s};
    const QStringList activeToast = {u"Device is active!"_s, u"Media data read ok"_s};
    const QStringList withMedia = {u"device_info 1"_s, u"media 1"_s};
    const auto active = [&](const char *name, const QString &media, const QString &view) {
        QTest::newRow(name) << QStringList{deviceRow(u"1"_s)} << media << int(None) << activeToast
                            << device << u"|on"_s << view << read << withMedia << Stores << true;
    };
    active("active, media all off and muted", u"'QV8B2024001', 0, 0, 0, 0"_s,
           u"QV8B2024001|000|0|muted"_s);
    active("active, local media only, padded ID", u"'  QV8B2024001  ', 0, 0, 1, 30"_s,
           u"QV8B2024001|001|30|normal"_s);
    active("active, 2 is not on, level clamped", u"'QV8B2024001', 1, 2, 2, 150"_s,
           u"QV8B2024001|100|99|loud"_s);
    active("active, texts are not on", u"'QV8B2024001', 'yes', 1, 'x', 99"_s,
           u"QV8B2024001|010|99|loud"_s);

    const QStringList notSet = {activeToast[0], u"Media data not set"_s};
    QTest::newRow("active without media: start-up makes no media table")
        << QStringList{deviceRow(u"1"_s)} << QString() << int(None) << notSet << device << u"|on"_s
        << form << QStringList{read[0], u"!read media success!"_s}
        << QStringList{u"device_info 1"_s} << Stores << true;
    QTest::newRow("active, Media store cannot be opened")
        << QStringList{deviceRow(u"1"_s)} << QString() << int(MediaIsFolder) << notSet << device
        << u"|on"_s << form
        << QStringList{u"Media DB open error:"_s, read[0],
                       u"Media DB is closed and cannot be opened!"_s}
        << QStringList{u"device_info 1"_s}
        << QStringList{Stores[0], u"QUORVIN/Media.sql/"_s, Stores[2], Stores[3]} << true;
}

void tst_Startup::startUp()
{
    QFETCH(QStringList, devices);
    QFETCH(QString, media);
    QFETCH(int, obstacle);
    QFETCH(QStringList, toast);
    QFETCH(QString, page);
    QFETCH(QString, entry);
    QFETCH(QString, mediaView);
    QFETCH(QStringList, log);
    QFETCH(QStringList, tables);
    QFETCH(QStringList, tree);
    QFETCH(bool, seedKept);

    StoreSeed stores = seed();
    if (!devices.isEmpty())
        stores.mainSql(store::deviceInfo::CreateSql);
    for (const QString &row : devices)
        stores.deviceRow(row);
    if (!media.isEmpty())
        stores.media(media);
    QVERIFY(stores.ok() && place(home(), Obstacle(obstacle)));
    const auto before = files(home());
    // Set on the window's connection before it opens it.
    std::optional<ConnectOptions> options;
    std::optional<StoreLock> held;
    if (obstacle == MainReadOnly)
        options.emplace(store::MainConnectionName, u"QSQLITE_OPEN_READONLY"_s);
    if (obstacle == MainHeld) {
        options.emplace(store::MainConnectionName, u"QSQLITE_BUSY_TIMEOUT=%1"_s.arg(ShortBusyMs));
        QVERIFY(held.emplace(home().mainStore()).isLocked());
    }

    LogCapture captured;
    MainWindow &w = window();
    held.reset();

    while (toast.size() < 4)
        toast.prepend(QString());
    QCOMPARE(toastLabels(&w), toast);
    QCOMPARE(testing::page(w), page);
    QCOMPARE(entryState(w), entry);
    QCOMPARE(mediaPanel(w), mediaView);
    QCOMPARE(widget<QLabel>(w, "label_device_information")->text(),
             page == u"pageDevice"_s ? ActiveInformation : u"Device information"_s);
    QCOMPARE(logMismatch(captured, log), QString());
    QCOMPARE(tableRows(home()), tables);
    QCOMPARE(treeListing(home().home()), tree);
    const auto after = files(home());
    for (const auto &[file, bytes] : before)
        QVERIFY2((after.count(file) && after.at(file) == bytes) == seedKept, qPrintable(file));
    // Once the store is free again, the next start shows the cabinet as it was.
    if (obstacle == MainHeld) {
        options.reset();
        closeWindow();
        QCOMPARE(testing::page(window()), u"pageDevice"_s);
        QCOMPARE(mediaPanel(window()), u"QV8B2024001|001|30|normal"_s);
    }
}

// The tables a first run makes and their columns; the media table is made by
// the first media save, not at start-up.
void tst_Startup::firstRunMakesTheTables()
{
    window();
    const auto columns = [](const QString &file) {
        return rows(file, u"SELECT m.name || ':' || group_concat(c.name, ' ') FROM sqlite_master "
                          "m, pragma_table_info(m.name) c WHERE m.type = 'table' AND m.name NOT "
                          "LIKE 'sqlite_%' GROUP BY m.name ORDER BY m.name"_s);
    };
    QCOMPARE(columns(home().mainStore()),
             QStringList({u"device_info:row id dev_id dev_name dev_model dev_lockers dev_location "
                          "dev_address dev_description dev_status"_s,
                          u"device_setting:row id timer1On timer2On timer3On timer4On timer1Off "
                          "timer2Off timer3Off timer4Off wifi_ssid wifi_pass cam1ip cam2ip "
                          "cam1enable cam2enable dev_timer_system"_s,
                          u"lockers:row locker_id locker_mobile locker_password locker_icon "
                          "locker_nfc locker_finger locker_timestart locker_timechange "
                          "locker_startmode locker_endmode locker_status"_s,
                          u"process:row operation description time sync"_s}));
    QCOMPARE(columns(home().mediaStore()), QStringList());
}

void tst_Startup::restartFindsDataUnchanged()
{
    QVERIFY(seed()
                .mainSql(store::deviceInfo::CreateSql)
                .deviceRow(deviceRow(u"1"_s))
                .media(u"'QV8B2024001', 0, 1, 1, 20"_s)
                .ok());
    const auto stored = [this] {
        return rows(home().mainStore(), u"SELECT * FROM device_info"_s)
               + rows(home().mediaStore(), u"SELECT * FROM media"_s);
    };
    const QStringList before = stored();
    QCOMPARE(before.size(), 2);

    QCOMPARE(page(window()), u"pageDevice"_s);
    closeWindow();
    // The destructor closes both stores.
    QVERIFY(!QSqlDatabase::database(store::MainConnectionName, false).isOpen());
    QVERIFY(!QSqlDatabase::database(store::MediaConnectionName, false).isOpen());
    QCOMPARE(stored(), before);

    QCOMPARE(toastLabels(&window()).mid(2),
             QStringList({u"Device is active!"_s, u"Media data read ok"_s}));
    QCOMPARE(page(window()), u"pageDevice"_s);
    QCOMPARE(mediaPanel(window()), u"QV8B2024001|011|20|normal"_s);
    QCOMPARE(stored(), before);
}

void tst_Startup::madeForTheAccountAlone_data()
{
    QTest::addColumn<bool>("rootBefore"); // the data root was there, open to others
    QTest::newRow("data root made by the program") << false;
    QTest::newRow("data root there before, open to others") << true;
}

// The folders the program makes, and on other systems than Windows its store
// files, are the operator's account's alone. A data root that was there
// before is left as it is, and the log says it is open.
void tst_Startup::madeForTheAccountAlone()
{
    QFETCH(bool, rootBefore);
    if (rootBefore && !(QDir().mkpath(home().root()) && othersMayUse(home().root())))
        QSKIP("A new folder here is its owner's alone: there is no open data root to try");
    LogCapture log;
    MainWindow &w = window();
    QVERIFY(execSql(home().mainStore(), u"INSERT INTO device_info (id, dev_id, dev_status) "
                                        "VALUES (1, 'QV8B2024001', 0)"_s));
    click(w, "manual_pushButton");
    click(w, "active_device_pushButton");
    QCOMPARE(page(w), u"pageDevice"_s);

    QCOMPARE(log.contains(u"Data root open to other accounts:"_s), rootBefore);
    QCOMPARE(othersMayUse(home().root()), rootBefore);
    QStringList made{home().root() + u"Zelvatto"_s, home().root() + SampleSerial};
#ifndef Q_OS_WIN
    made += QStringList{home().mainStore(), home().mediaStore()};
#endif
    for (const QString &path : made)
        QVERIFY2(!othersMayUse(path), qPrintable(path));
}

// An installer, run by any user of the machine, can tell that the program runs.
void tst_Startup::runningCopyIsMarked()
{
#ifdef Q_OS_WIN
    platform::markProgramRunning();
    const HANDLE marker = OpenMutexW(SYNCHRONIZE, FALSE, L"Global\\" QUORVIN_RUNNING_MARKER);
    QVERIFY(marker);
    CloseHandle(marker);
#else
    QSKIP("Only on Windows does a running copy leave a marker");
#endif
}

// A second copy by the same account on the same data root finds the first,
// brings its window to the front and ends; one on another data root runs.
void tst_Startup::secondCopyBringsTheFirstForward()
{
    MainWindow &w = window();
    SingleCopy first(singleCopyName(home().root()));
    QVERIFY(first.claim());
    connect(&first, &SingleCopy::anotherCopyStarted, &w, [&w] { bringToFront(w); });
    w.showMinimized();
    QTRY_VERIFY(w.isMinimized());
    QVERIFY(!SingleCopy(singleCopyName(home().root())).claim());
    QTRY_VERIFY(!w.isMinimized());
    QVERIFY(SingleCopy(singleCopyName(home().root() + u"other/"_s)).claim());
}

// The program itself: started again while it runs, the second start ends at
// once with exit code 0 and the first goes on.
void tst_Startup::secondStartEndsAtOnce()
{
#ifdef Q_OS_WIN
    QSKIP("On Windows the program's data root is the machine's own");
#else
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"HOME"_s, home().home());
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    QProcess first;
    QProcess second;
    for (QProcess *copy : {&first, &second})
        copy->setProcessEnvironment(environment);
    first.start(QStringLiteral(QUORVIN_PROGRAM_PATH), {});
    // It listens before it builds its window, which makes the stores.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(home().mainStore()), 10000);
    second.start(QStringLiteral(QUORVIN_PROGRAM_PATH), {});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished();
#endif
}

QTEST_MAIN(tst_Startup)
#include "tst_startup.moc"
