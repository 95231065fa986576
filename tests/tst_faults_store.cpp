// Faults in the stores and the data root: a data root that cannot be made,
// store files that are no database or are cut short, tables with other
// columns, a Media store that vanishes or is locked, a Main store locked by
// another program while the window writes, and store files that cannot be
// deleted. Every case runs the real window and checks the toast, that the
// stored data is what it was wherever an operation failed, that the window
// still answers, and that nothing appears outside the data root.

#include "store/connection.h"
#include "store/paths.h"
#include "support/testsupport.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSemaphore>
#include <QSignalSpy>
#include <QSlider>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace testing;

namespace {

constexpr int ReplyWaitMs = 10000;
// Busy time-out given to the window's connections in the lock cases, so a
// locked store fails in a fraction of a second instead of five.
constexpr int ShortBusyMs = 300;

const QString Serial = QStringLiteral("QV8B2024001");
const QString OpenErrorToast = QStringLiteral("Main Database Open Error!");
const QString CreateErrorToast = QStringLiteral("Create deviceInfo error! Reinstall app!");

QStringList table(const QString &file, const char *name)
{
    return rows(file, QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(QLatin1String(name)));
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
           && file.write(bytes) == bytes.size();
}

QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, '\0');
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

// Lookup requests the window has sent and not yet seen finish.
int requestsInFlight(MainWindow &w)
{
    return networkManagerOf(&w)->findChildren<QNetworkReply *>().size();
}

// The window still paints and shows a new toast.
void expectResponsive(MainWindow &w)
{
    QVERIFY(!w.grab().toImage().isNull());
    callToast(&w, QStringLiteral("still answering"), 0);
    QCOMPARE(lastToast(w), QStringLiteral("still answering"));
}

// Every table the Main and Media stores hold, row by row, and the files' bytes.
struct Stored
{
    QByteArray mainBytes;
    QByteArray mediaBytes;
    QStringList main;
    QStringList media;
};

QStringList dump(const QString &file)
{
    QStringList lines;
    for (const QString &name :
         rows(file, u"SELECT name FROM sqlite_master WHERE type='table' ORDER BY name"_s)) {
        lines.append(u"table "_s + name);
        lines += rows(file, u"SELECT * FROM \""_s + name + u"\" ORDER BY rowid"_s);
    }
    return lines;
}

Stored stored(const TestHome &home)
{
    return Stored{fileBytes(home.mainStore()), fileBytes(home.mediaStore()), dump(home.mainStore()),
                  dump(home.mediaStore())};
}

void expectUnchanged(const Stored &before, const Stored &after)
{
    QCOMPARE(after.main, before.main);
    QCOMPARE(after.media, before.media);
    QVERIFY2(after.mainBytes == before.mainBytes, "Main store bytes changed");
    QVERIFY2(after.mediaBytes == before.mediaBytes, "Media store bytes changed");
}

// Whatever was written lies under the data root.
void expectNothingOutsideRoot(const QStringList &before, const TestHome &home)
{
    QCOMPARE(entriesOutside(treeListing(home.home()), u"QUORVIN/"_s),
             entriesOutside(before, u"QUORVIN/"_s));
}

QByteArray activeRecord(int lockers)
{
    return QJsonDocument(QJsonObject{{u"dev_id"_s, Serial},
                                     {u"dev_name"_s, u"From Server"_s},
                                     {u"dev_model"_s, u"Fjor"_s},
                                     {u"dev_lockers"_s, lockers},
                                     {u"dev_location"_s, u"Hall 9"_s},
                                     {u"dev_address"_s, u"Side St 2"_s},
                                     {u"dev_description"_s, u"Back room"_s},
                                     {u"dev_status"_s, 1},
                                     {u"dev_timer_system"_s, u"07:00-19:00"_s}})
        .toJson(QJsonDocument::Compact);
}

// Gives one of the window's connections a short busy time-out. The handle
// shares the window's connection, so reopening it here changes the window's.
bool shortenBusyTimeout(QLatin1String connection)
{
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    db.close();
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(ShortBusyMs));
    return db.open();
}

// Another program holding an exclusive lock on a store file.
class StoreLock
{
public:
    explicit StoreLock(const QString &file)
        : m_name(QStringLiteral("lock_%1").arg(QRandomGenerator::global()->generate()))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(file);
        m_locked = db.open() && QSqlQuery(db).exec(QStringLiteral("BEGIN EXCLUSIVE"));
    }
    ~StoreLock()
    {
        release();
        QSqlDatabase::removeDatabase(m_name);
    }
    bool isLocked() const { return m_locked; }
    void release()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            if (m_locked)
                QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            db.close();
        }
        m_locked = false;
    }

private:
    QString m_name;
    bool m_locked = false;
};

// The same, held from another thread for a while and then given up, as a
// program that writes briefly would.
class BriefStoreLock : public QThread
{
public:
    BriefStoreLock(const QString &file, int holdMs) : m_file(file), m_holdMs(holdMs) { }
    QSemaphore locked;
    bool wasLocked = false;

protected:
    void run() override
    {
        const QString name = QStringLiteral("brief_lock");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(m_file);
            wasLocked = db.open() && QSqlQuery(db).exec(QStringLiteral("BEGIN EXCLUSIVE"));
            locked.release();
            QThread::msleep(m_holdMs);
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }

private:
    QString m_file;
    int m_holdMs;
};

} // namespace

class TstFaultsStore : public QObject
{
    Q_OBJECT

private slots:
    void dataRootUnusable_data();
    void dataRootUnusable();
    void unreadableMainStore_data();
    void unreadableMainStore();
    void unreadableMediaStore();
    void foreignTables_data();
    void foreignTables();
    void mediaStoreGone_data();
    void mediaStoreGone();
    void mediaStoreLocked();
    void mainStoreLocked_data();
    void mainStoreLocked();
    void mainStoreLockedBriefly();
    void deleteBlocked();
    void mainStoreGone();
    void cleanupTestCase();
};

void TstFaultsStore::dataRootUnusable_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("root is a file") << "data root is a regular file";
    QTest::newRow("home below a file") << "home folder lies below a regular file";
}

// A data root that cannot be made: the operator is told, the window keeps
// answering, and no button writes anything anywhere.
void TstFaultsStore::dataRootUnusable()
{
    QFETCH(QString, fault);
    tried(fault);

    ScriptedHttpServer server;
    QVERIFY(server.start());
    TestHome home;
    const QString blocker =
        home.home() + (fault.startsWith(u"data root"_s) ? u"/QUORVIN"_s : u"/blocker"_s);
    QVERIFY(writeFile(blocker, "not a folder\n"));
    if (!fault.startsWith(u"data root"_s))
        qputenv("HOME", (blocker + u"/inner"_s).toLocal8Bit()); // TestHome puts HOME back
    const QStringList before = treeListing(home.home());

    LogCapture log;
    MainWindow w;
    w.show();
    QCOMPARE(toastLabels(&w), (QStringList{u""_s, u""_s, u""_s, OpenErrorToast}));
    QVERIFY(log.contains(u"Main DB open error:"_s));
    QCOMPARE(page(w), u"pageAddDevice"_s);

    // Every control the operator can reach, and the hidden media button. A
    // store that cannot be asked whether it holds the device is not written.
    submitSerial(w, Serial);
    QCOMPARE(lastToast(w), QStringLiteral("Main DB unreachable!"));
    QVERIFY(log.contains(u"Select error:"_s));
    QCOMPARE(requestsInFlight(w), 0);
    click(w, "manual_pushButton");
    QCOMPARE(page(w), u"pageManual"_s);
    click(w, "active_device_pushButton");
    QCOMPARE(page(w), u"pageManual"_s);
    QVERIFY(log.contains(u"Update error:"_s));
    widget<QPushButton>(w, "media_device_pushButton")->click();
    QCOMPARE(lastToast(w), QStringLiteral("Media DB unreachable!"));
    QCoreApplication::processEvents();
    QCOMPARE(server.requestCount(), 0);

    QCOMPARE(treeListing(home.home()), before);
    QCOMPARE(fileBytes(blocker), QByteArray("not a folder\n"));
    expectResponsive(w);
}

void TstFaultsStore::unreadableMainStore_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("logged"); // the store's error text
    QTest::newRow("random bytes") << "Main store of random bytes"
                                  << "file is not a database";
    QTest::newRow("zeros") << "Main store of zero bytes"
                           << "file is not a database";
    QTest::newRow("truncated") << "Main store cut to half its size"
                               << "database disk image is malformed";
    QTest::newRow("header kept") << "Main store with its header kept and its pages overwritten"
                                 << "database disk image is malformed";
}

// A Main store that is no readable database: start-up takes the first-run
// path, cannot create the device table and says so; the add button stays
// disabled, no press writes to the file, and a restart finds it as it was.
void TstFaultsStore::unreadableMainStore()
{
    QFETCH(QString, fault);
    QFETCH(QString, logged);
    tried(fault);

    TestHome home;
    QByteArray broken;
    if (fault.contains(u"random"_s) || fault.contains(u"zero"_s)) {
        QVERIFY(QDir().mkpath(home.root()));
        broken = fault.contains(u"random"_s) ? randomBytes(48 * 1024, 7) : QByteArray(32768, '\0');
    } else {
        QVERIFY(seedDevice(home, Serial, 1));
        const QByteArray real = fileBytes(home.mainStore());
        QVERIFY(real.size() >= 4 * 4096);
        broken = fault.contains(u"half"_s) ? real.left(real.size() / 2)
                                           : real.left(100) + randomBytes(real.size() - 100, 11);
    }
    QVERIFY(writeFile(home.mainStore(), broken));
    const bool hadMedia = QFile::exists(home.mediaStore());
    const QStringList listing = treeListing(home.home());

    for (int run = 1; run <= 2; ++run) {
        LogCapture log;
        MainWindow w;
        w.show();
        QCOMPARE(lastToast(w), CreateErrorToast);
        QVERIFY(log.contains(u"Create device_info table error:"_s));
        QVERIFY2(log.contains(logged), qPrintable(log.lines().join(u'\n')));
        QCOMPARE(page(w), u"pageAddDevice"_s);
        QPushButton *add = widget<QPushButton>(w, "add_device_pushButton");
        QVERIFY(!add->isEnabled());

        submitSerial(w, Serial);
        QCOMPARE(lastToast(w), CreateErrorToast);
        QCOMPARE(requestsInFlight(w), 0);
        click(w, "manual_pushButton");
        click(w, "active_device_pushButton");
        QCOMPARE(page(w), u"pageManual"_s);
        QVERIFY(log.contains(u"Update error:"_s));
        // The media settings live in the other store, which is sound.
        widget<QPushButton>(w, "media_device_pushButton")->click();
        QCOMPARE(lastToast(w), run == 1 && !hadMedia ? QStringLiteral("Insert media data ok")
                                                     : QStringLiteral("Update media data ok"));

        QVERIFY2(fileBytes(home.mainStore()) == broken, "the broken Main store was written");
        expectNothingOutsideRoot(listing, home);
        expectResponsive(w);
    }
}

// A Media store that is no database: the device page still comes up, saving
// the media settings fails with a clear toast, and the file is left alone.
void TstFaultsStore::unreadableMediaStore()
{
    tried(u"Media store of random bytes"_s);
    TestHome home;
    QVERIFY(seedDevice(home, Serial, 1));
    const QByteArray broken = randomBytes(20000, 3);
    QVERIFY(writeFile(home.mediaStore(), broken));
    const Stored before = stored(home);
    const QStringList listing = treeListing(home.home());

    LogCapture log;
    MainWindow w;
    w.show();
    QCOMPARE(toastLabels(&w).mid(2),
             (QStringList{u"Device is active!"_s, u"Media data not set"_s}));
    QCOMPARE(page(w), u"pageDevice"_s);
    widget<QCheckBox>(w, "media3")->setChecked(true);
    widget<QPushButton>(w, "media_device_pushButton")->click();
    QCOMPARE(lastToast(w), QStringLiteral("Media data not saved!"));

    expectUnchanged(before, stored(home));
    expectNothingOutsideRoot(listing, home);
    expectResponsive(w);
}

void TstFaultsStore::foreignTables_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("device_info, row 1") << "device_info with other columns, holding row 1";
    QTest::newRow("device_info, empty") << "device_info with other columns, empty";
    QTest::newRow("lockers") << "lockers with other columns";
    QTest::newRow("lockers with row") << "lockers with a row column and no locker columns";
    QTest::newRow("device_setting") << "device_setting with other columns";
    QTest::newRow("media") << "media with other columns";
}

// Tables that exist with columns of their own are used as they are: each
// statement that needs the missing columns fails through its failure path,
// and the rows in them stay as they were.
void TstFaultsStore::foreignTables()
{
    QFETCH(QString, fault);
    tried(fault);

    TestHome home;
    const QString mainFile = home.mainStore();
    QVERIFY(QDir().mkpath(home.root()));
    if (fault.startsWith(u"device_info"_s)) {
        QVERIFY(execSql(mainFile, u"CREATE TABLE device_info (id int, foo text)"_s));
        if (fault.contains(u"row 1"_s))
            QVERIFY(execSql(mainFile, u"INSERT INTO device_info VALUES (1, 'keep')"_s));
    } else if (fault.startsWith(u"lockers with other"_s)) {
        QVERIFY(execSql(mainFile, u"CREATE TABLE lockers (x int)"_s));
        QVERIFY(execSql(mainFile, u"INSERT INTO lockers VALUES (5), (6)"_s));
    } else if (fault.startsWith(u"lockers with a row"_s)) {
        QVERIFY(execSql(mainFile, u"CREATE TABLE lockers (row INTEGER PRIMARY KEY, x int)"_s));
        QVERIFY(execSql(mainFile, u"INSERT INTO lockers (x) VALUES (5), (6)"_s));
    } else if (fault.startsWith(u"device_setting"_s)) {
        QVERIFY(execSql(mainFile, u"CREATE TABLE device_setting (y int)"_s));
        QVERIFY(execSql(mainFile, u"INSERT INTO device_setting VALUES (7)"_s));
    }
    const bool registered = fault.startsWith(u"lockers"_s) || fault.startsWith(u"media"_s);
    if (registered) {
        QVERIFY(seedDevice(home, Serial, fault.startsWith(u"media"_s) ? 1 : 0,
                           !fault.startsWith(u"lockers"_s)));
        if (fault.startsWith(u"media"_s)) {
            QVERIFY(QFile::remove(home.mediaStore()));
            QVERIFY(execSql(home.mediaStore(), u"CREATE TABLE media (z int)"_s));
            QVERIFY(execSql(home.mediaStore(), u"INSERT INTO media VALUES (9)"_s));
        }
    }

    ScriptedHttpServer server;
    server.addAnswer(answer(ScriptedHttpServer::response(200, activeRecord(8))));
    QVERIFY(server.start());
    const QStringList listing = treeListing(home.home());
    LogCapture log;
    MainWindow w;
    w.show();
    QSignalSpy spy(networkManagerOf(&w), &QNetworkAccessManager::finished);

    if (fault.startsWith(u"device_info"_s)) {
        QCOMPARE(lastToast(w), QStringLiteral("Database Created! Insert printed serial number!"));
        const Stored before = stored(home);
        submitSerial(w, Serial);
        const bool hasRow = fault.contains(u"row 1"_s);
        QCOMPARE(lastToast(w), hasRow ? QStringLiteral("ID Update, Try connect server!")
                                      : QStringLiteral("ID Save, Try connect server!"));
        QVERIFY(log.contains(
            hasRow ? u"Update error: \"no such column: dev_id"_s
                   : u"Insert error: \"table device_info has no column named dev_id"_s));
        QCOMPARE(requestsInFlight(w), 0);
        click(w, "manual_pushButton");
        click(w, "active_device_pushButton");
        QCOMPARE(page(w), u"pageManual"_s);
        expectUnchanged(before, stored(home));
        QCOMPARE(table(mainFile, "device_info"), hasRow ? QStringList{u"1|keep"_s} : QStringList());
    } else if (fault.startsWith(u"lockers"_s)) {
        QCOMPARE(lastToast(w), QStringLiteral("Device inactive!"));
        const Stored before = stored(home);
        submitSerial(w, Serial);
        QVERIFY(spy.wait(ReplyWaitMs));
        QCOMPARE(toastLabels(&w).mid(1),
                 (QStringList{u"Try connect server!"_s, u"Locker db create! OK"_s,
                              u"Lockers db Error!"_s}));
        // The log carries the store's own reason.
        if (fault.contains(u"row column"_s))
            QVERIFY(log.contains(
                u"Insert locker error: \"table lockers has no column named locker_id"_s));
        else
            QVERIFY(log.contains(u"Delete lockers error: \"no such column: row"_s));
        QCOMPARE(page(w), u"pageAddDevice"_s);
        // The whole activation was taken back: record, settings and lockers.
        expectUnchanged(before, stored(home));
        QVERIFY(!QDir(home.root()).exists(Serial));
        // Activating by hand is taken back the same way, and says so.
        click(w, "manual_pushButton");
        click(w, "active_device_pushButton");
        QCOMPARE(toastLabels(&w).mid(2),
                 (QStringList{u"Locker db create! OK"_s, u"Lockers db Error!"_s}));
        QCOMPARE(page(w), u"pageManual"_s);
        expectUnchanged(before, stored(home));
        QVERIFY(!QDir(home.root()).exists(Serial));
    } else if (fault.startsWith(u"device_setting"_s)) {
        QCOMPARE(lastToast(w), QStringLiteral("Database Created! Insert printed serial number!"));
        submitSerial(w, Serial);
        QVERIFY(log.contains(u"Insert error: \"table device_setting has no column named id"_s));
        QVERIFY(spy.wait(ReplyWaitMs));
        QVERIFY(log.contains(u"Update device_setting error: \"no such column: dev_timer_system"_s));
        // The settings are not the device: the activation goes on without them.
        QCOMPARE(lastToast(w), QStringLiteral("Everything is OK"));
        QCOMPARE(page(w), u"pageDevice"_s);
        QCOMPARE(table(mainFile, "device_setting"), QStringList{u"7"_s});
        QCOMPARE(rows(mainFile, u"SELECT COUNT(*), COUNT(DISTINCT locker_id) FROM lockers"_s),
                 QStringList{u"8|8"_s});
    } else {
        QCOMPARE(toastLabels(&w).mid(2),
                 (QStringList{u"Device is active!"_s, u"Media data not set"_s}));
        const Stored before = stored(home);
        widget<QCheckBox>(w, "media3")->setChecked(false);
        widget<QPushButton>(w, "media_device_pushButton")->click();
        QCOMPARE(lastToast(w), QStringLiteral("Media data not saved!"));
        expectUnchanged(before, stored(home));
        QCOMPARE(table(home.mediaStore(), "media"), QStringList{u"9"_s});
    }
    expectNothingOutsideRoot(listing, home);
    expectResponsive(w);
}

void TstFaultsStore::mediaStoreGone_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("deleted") << "Media store deleted while the window runs";
    QTest::newRow("root replaced") << "data root replaced by a file while the window runs";
}

// The Media store disappears under the running window. Saving the media
// settings makes the store anew and writes them there, or says the store
// cannot be reached; it never reports a save that did not reach the disk.
void TstFaultsStore::mediaStoreGone()
{
    QFETCH(QString, fault);
    tried(fault);

    TestHome home;
    QVERIFY(seedDevice(home, Serial, 1));
    LogCapture log;
    MainWindow w;
    w.show();
    QCOMPARE(lastToast(w), QStringLiteral("Media data read ok"));
    QCOMPARE(page(w), u"pageDevice"_s);
    widget<QCheckBox>(w, "media2")->setChecked(true);
    widget<QSlider>(w, "sound_level")->setValue(20);

    const bool deleted = fault.startsWith(u"Media store deleted"_s);
    const QString moved = home.home() + u"/QUORVIN.moved"_s;
    if (deleted) {
        QVERIFY(QFile::remove(home.mediaStore()));
    } else {
        QVERIFY(QDir().rename(home.root(), moved));
        QVERIFY(writeFile(home.home() + u"/QUORVIN"_s, "not a folder\n"));
    }
    const QStringList listing = treeListing(home.home());
    const QByteArray movedMain = fileBytes(moved + u"/Zelvatto.sql"_s);
    const QByteArray movedMedia = fileBytes(moved + u"/Media.sql"_s);

    widget<QPushButton>(w, "media_device_pushButton")->click();
    if (deleted) {
        QCOMPARE(lastToast(w), QStringLiteral("Insert media data ok"));
        QCOMPARE(table(home.mediaStore(), "media"),
                 QStringList{u"1|1|"_s + Serial + u"|1|1|1|20"_s});
        expectNothingOutsideRoot(listing, home);
    } else {
        QCOMPARE(lastToast(w), QStringLiteral("Media DB unreachable!"));
        QCOMPARE(treeListing(home.home()), listing);
        QVERIFY(fileBytes(moved + u"/Zelvatto.sql"_s) == movedMain);
        QVERIFY(fileBytes(moved + u"/Media.sql"_s) == movedMedia);
        QCOMPARE(fileBytes(home.home() + u"/QUORVIN"_s), QByteArray("not a folder\n"));
    }
    expectResponsive(w);
}

// Another program holds the Media store locked while the operator saves: the
// save is reported as not done, the stored row is what it was, the boxes show
// it again, and a press after the lock is gone saves.
void TstFaultsStore::mediaStoreLocked()
{
    tried(u"Media store locked by another connection"_s);
    TestHome home;
    QVERIFY(seedDevice(home, Serial, 1));
    LogCapture log;
    MainWindow w;
    w.show();
    QCOMPARE(lastToast(w), QStringLiteral("Media data read ok"));
    QVERIFY(shortenBusyTimeout(store::MediaConnectionName));
    const Stored before = stored(home);
    const QStringList listing = treeListing(home.home());

    QCheckBox *publicPath = widget<QCheckBox>(w, "media1");
    QSlider *level = widget<QSlider>(w, "sound_level");
    QVERIFY(publicPath->isChecked());
    QCOMPARE(level->value(), 30);
    {
        StoreLock lock(home.mediaStore());
        QVERIFY(lock.isLocked());
        publicPath->setChecked(false);
        level->setValue(75);
        QElapsedTimer timer;
        timer.start();
        widget<QPushButton>(w, "media_device_pushButton")->click();
        qInfo() << "media save against a locked store took" << timer.elapsed() << "ms";
        QCOMPARE(lastToast(w), QStringLiteral("Media data not saved!"));
        // The widgets show the stored settings again, not the refused ones.
        QVERIFY(publicPath->isChecked());
        QCOMPARE(level->value(), 30);
    }
    expectUnchanged(before, stored(home));
    QCOMPARE(table(home.mediaStore(), "media"), QStringList{u"1|1|"_s + Serial + u"|1|0|1|30"_s});

    publicPath->setChecked(false);
    widget<QPushButton>(w, "media_device_pushButton")->click();
    QCOMPARE(lastToast(w), QStringLiteral("Update media data ok"));
    QCOMPARE(table(home.mediaStore(), "media"), QStringList{u"1|1|"_s + Serial + u"|0|0|1|30"_s});
    expectNothingOutsideRoot(listing, home);
    expectResponsive(w);
}

void TstFaultsStore::mainStoreLocked_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("reply") << "Main store locked while a registration reply arrives";
    QTest::newRow("entry") << "Main store locked while a new serial is entered";
    QTest::newRow("manual") << "Main store locked during manual activation";
}

// Another program holds the Main store locked while the window writes to it:
// nothing is half-written, and once the lock is gone the same operation
// succeeds.
void TstFaultsStore::mainStoreLocked()
{
    QFETCH(QString, fault);
    tried(fault);

    // The reply case holds its first answer until the store is locked; every
    // case gets a plain answer for the press after the lock is gone.
    ScriptedHttpServer server;
    if (fault.contains(u"reply"_s))
        server.addAnswer(answer(ScriptedHttpServer::response(200, activeRecord(16)), true));
    server.addAnswer(answer(ScriptedHttpServer::response(200, activeRecord(16))));
    QVERIFY(server.start());
    TestHome home;
    QVERIFY(seedDevice(home, Serial, 0));
    LogCapture log;
    MainWindow w;
    w.show();
    QCOMPARE(lastToast(w), QStringLiteral("Device inactive!"));
    QVERIFY(shortenBusyTimeout(store::MainConnectionName));
    QSignalSpy spy(networkManagerOf(&w), &QNetworkAccessManager::finished);
    const QStringList listing = treeListing(home.home());

    if (fault.contains(u"reply"_s)) {
        submitSerial(w, Serial);
        QTRY_COMPARE_WITH_TIMEOUT(server.requestCount(), 1, ReplyWaitMs);
        const Stored before = stored(home);
        {
            StoreLock lock(home.mainStore());
            QVERIFY(lock.isLocked());
            QVERIFY(server.release(0));
            QVERIFY(spy.wait(ReplyWaitMs));
            QVERIFY(log.contains(u"Update error: \"database is locked"_s));
            QCOMPARE(lastToast(w), QStringLiteral("Try connect server!"));
            QCOMPARE(page(w), u"pageAddDevice"_s);
        }
        expectUnchanged(before, stored(home));
    } else if (fault.contains(u"serial"_s)) {
        const Stored before = stored(home);
        {
            StoreLock lock(home.mainStore());
            QVERIFY(lock.isLocked());
            submitSerial(w, u"QV16F2024005"_s);
            QVERIFY(log.contains(u"Select error: \"database is locked"_s));
            QCOMPARE(lastToast(w), QStringLiteral("Main DB unreachable!"));
            QCOMPARE(requestsInFlight(w), 0);
        }
        expectUnchanged(before, stored(home));
        QCOMPARE(server.requestCount(), 0);
    } else {
        const Stored before = stored(home);
        click(w, "manual_pushButton");
        {
            StoreLock lock(home.mainStore());
            QVERIFY(lock.isLocked());
            click(w, "active_device_pushButton");
            QVERIFY(log.contains(u"Update error: \"database is locked"_s));
            QCOMPARE(page(w), u"pageManual"_s);
        }
        expectUnchanged(before, stored(home));
        click(w, "active_device_pushButton");
        QCOMPARE(page(w), u"pageDevice"_s);
        QCOMPARE(lastToast(w), QStringLiteral("Lockers insert! OK"));
        QCOMPARE(
            rows(home.mainStore(), u"SELECT dev_model, dev_lockers, dev_status FROM device_info"_s),
            QStringList{u"Dorne|8|1"_s});
        expectNothingOutsideRoot(listing, home);
        expectResponsive(w);
        return;
    }

    // Without the lock the same press goes through.
    const QString serial = fault.contains(u"reply"_s) ? Serial : QStringLiteral("QV16F2024005");
    const int replies = spy.count();
    submitSerial(w, serial);
    QVERIFY(spy.wait(ReplyWaitMs));
    QCOMPARE(spy.count(), replies + 1);
    QCOMPARE(lastToast(w), QStringLiteral("Everything is OK"));
    QCOMPARE(rows(home.mainStore(),
                  u"SELECT dev_id, dev_name, dev_lockers, dev_status FROM device_info"_s),
             QStringList{serial + u"|From Server|16|1"_s});
    QCOMPARE(rows(home.mainStore(), u"SELECT COUNT(*), COUNT(DISTINCT locker_id) FROM lockers"_s),
             QStringList{u"16|16"_s});
    expectNothingOutsideRoot(listing, home);
    expectResponsive(w);
}

// A lock that another program holds only briefly, so that one statement of a
// press meets it and the next does not: the press must still never add a
// second device row.
void TstFaultsStore::mainStoreLockedBriefly()
{
    tried(u"Main store locked briefly while a new serial is entered"_s);
    TestHome home;
    QVERIFY(seedDevice(home, Serial, 0));
    ScriptedHttpServer server;
    QVERIFY(server.start());
    LogCapture log;
    MainWindow w;
    w.show();
    QVERIFY(shortenBusyTimeout(store::MainConnectionName));
    const QStringList listing = treeListing(home.home());

    // Held past the first statement's busy wait, released within the second's.
    BriefStoreLock lock(home.mainStore(), ShortBusyMs * 3 / 2);
    lock.start();
    lock.locked.acquire();
    QVERIFY(lock.wasLocked);
    submitSerial(w, u"QV16F2024005"_s);
    QVERIFY(lock.wait(5000));

    QCOMPARE(rows(home.mainStore(), u"SELECT COUNT(*) FROM device_info WHERE id=1"_s),
             QStringList{u"1"_s});
    QCOMPARE(rows(home.mainStore(), u"SELECT COUNT(*) FROM device_setting WHERE id=1"_s),
             QStringList{u"1"_s});
    expectNothingOutsideRoot(listing, home);
    expectResponsive(w);
}

// Deleting all data while one store file cannot be removed: the operator is
// told the data could not be deleted, and the window ends on the empty page.
void TstFaultsStore::deleteBlocked()
{
    tried(u"Media store path is a folder, so the file cannot be removed"_s);
    TestHome home;
    QVERIFY(seedDevice(home, Serial, 1));
    QVERIFY(QFile::remove(home.mediaStore()));
    QVERIFY(QDir().mkpath(home.mediaStore()));
    QVERIFY(writeFile(home.mediaStore() + u"/inside.txt"_s, "kept\n"));
    const QStringList listing = treeListing(home.home());

    LogCapture log;
    MainWindow w;
    w.show();
    QVERIFY(log.contains(u"Media DB open error:"_s));
    QCOMPARE(toastLabels(&w).mid(2),
             (QStringList{u"Device is active!"_s, u"Media data not set"_s}));
    QCOMPARE(page(w), u"pageDevice"_s);
    widget<QPushButton>(w, "media_device_pushButton")->click();
    QCOMPARE(lastToast(w), QStringLiteral("Media DB unreachable!"));

    click(w, "delete_device_pushButton");
    click(w, "delete_device_pushButton_again");
    QCOMPARE(lastToast(w),
             QStringLiteral("Data could not be deleted! Close other programs and try again"));
    QCOMPARE(page(w), u"pageAny"_s);
    QVERIFY(!QFile::exists(home.mainStore()));
    QCOMPARE(fileBytes(home.mediaStore() + u"/inside.txt"_s), QByteArray("kept\n"));
    expectNothingOutsideRoot(listing, home);
    expectResponsive(w);
}

// The Main store file is removed under the running window: the store refuses
// the writes of a registration reply, the window claims no success, and no
// half store appears in its place.
void TstFaultsStore::mainStoreGone()
{
    tried(u"Main store deleted while the window runs"_s);
    ScriptedHttpServer server;
    server.addAnswer(answer(ScriptedHttpServer::response(200, activeRecord(16))));
    QVERIFY(server.start());
    TestHome home;
    QVERIFY(seedDevice(home, Serial, 0));
    LogCapture log;
    MainWindow w;
    w.show();
    QSignalSpy spy(networkManagerOf(&w), &QNetworkAccessManager::finished);
    QVERIFY(QFile::remove(home.mainStore()));
    const QStringList listing = treeListing(home.home());

    submitSerial(w, Serial);
    QVERIFY(spy.wait(ReplyWaitMs));
    QVERIFY(log.contains(u"Update error: \"attempt to write a readonly database"_s));
    QCOMPARE(lastToast(w), QStringLiteral("Try connect server!"));
    QCOMPARE(page(w), u"pageAddDevice"_s);
    QCOMPARE(treeListing(home.home()), listing);
    expectResponsive(w);
}

void TstFaultsStore::cleanupTestCase()
{
    reportFaultsTried();
}

QTEST_MAIN(TstFaultsStore)
#include "tst_faults_store.moc"
