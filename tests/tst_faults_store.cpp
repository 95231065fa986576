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
         rows(file, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name")) {
        lines.append("table " + name);
        lines += rows(file, "SELECT * FROM \"" + name + "\" ORDER BY rowid");
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
    QCOMPARE(entriesOutside(treeListing(home.home()), "QUORVIN/"),
             entriesOutside(before, "QUORVIN/"));
}

QByteArray activeRecord(int lockers)
{
    return QJsonDocument(QJsonObject{{"dev_id", Serial},
                                     {"dev_name", "From Server"},
                                     {"dev_model", "Fjor"},
                                     {"dev_lockers", lockers},
                                     {"dev_location", "Hall 9"},
                                     {"dev_address", "Side St 2"},
                                     {"dev_description", "Back room"},
                                     {"dev_status", 1},
                                     {"dev_timer_system", "07:00-19:00"}})
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
    const QString blocker = home.home() + (fault.startsWith("data root") ? "/QUORVIN" : "/blocker");
    QVERIFY(writeFile(blocker, "not a folder\n"));
    if (!fault.startsWith("data root"))
        qputenv("HOME", (blocker + "/inner").toLocal8Bit()); // TestHome puts HOME back
    const QStringList before = treeListing(home.home());

    LogCapture log;
    MainWindow w;
    w.show();
    QCOMPARE(toastLabels(&w), (QStringList{"", "", "", OpenErrorToast}));
    QVERIFY(log.contains("Main DB open error:"));
    QCOMPARE(page(w), 0);

    // Every control the operator can reach, and the hidden media button. A
    // store that cannot be asked whether it holds the device is not written.
    submitSerial(w, Serial);
    QCOMPARE(lastToast(w), QStringLiteral("Main DB unreachable!"));
    QVERIFY(log.contains("Select error:"));
    QCOMPARE(requestsInFlight(w), 0);
    click(w, "manual_pushButton");
    QCOMPARE(page(w), 3);
    click(w, "active_device_pushButton");
    QCOMPARE(page(w), 3);
    QVERIFY(log.contains("Update error:"));
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
    if (fault.contains("random") || fault.contains("zero")) {
        QVERIFY(QDir().mkpath(home.root()));
        broken = fault.contains("random") ? randomBytes(48 * 1024, 7) : QByteArray(32768, '\0');
    } else {
        QVERIFY(seedDevice(home, Serial, 1));
        const QByteArray real = fileBytes(home.mainStore());
        QVERIFY(real.size() >= 4 * 4096);
        broken = fault.contains("half") ? real.left(real.size() / 2)
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
        QVERIFY(log.contains("Create device_info table error:"));
        QVERIFY2(log.contains(logged), qPrintable(log.lines().join('\n')));
        QCOMPARE(page(w), 0);
        QPushButton *add = widget<QPushButton>(w, "add_device_pushButton");
        QVERIFY(!add->isEnabled());

        submitSerial(w, Serial);
        QCOMPARE(lastToast(w), CreateErrorToast);
        QCOMPARE(requestsInFlight(w), 0);
        click(w, "manual_pushButton");
        click(w, "active_device_pushButton");
        QCOMPARE(page(w), 3);
        QVERIFY(log.contains("Update error:"));
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
    tried("Media store of random bytes");
    TestHome home;
    QVERIFY(seedDevice(home, Serial, 1));
    const QByteArray broken = randomBytes(20000, 3);
    QVERIFY(writeFile(home.mediaStore(), broken));
    const Stored before = stored(home);
    const QStringList listing = treeListing(home.home());

    LogCapture log;
    MainWindow w;
    w.show();
    QCOMPARE(toastLabels(&w).mid(2), (QStringList{"Device is active!", "Media data not set"}));
    QCOMPARE(page(w), 1);
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
    if (fault.startsWith("device_info")) {
        QVERIFY(execSql(mainFile, "CREATE TABLE device_info (id int, foo text)"));
        if (fault.contains("row 1"))
            QVERIFY(execSql(mainFile, "INSERT INTO device_info VALUES (1, 'keep')"));
    } else if (fault.startsWith("lockers with other")) {
        QVERIFY(execSql(mainFile, "CREATE TABLE lockers (x int)"));
        QVERIFY(execSql(mainFile, "INSERT INTO lockers VALUES (5), (6)"));
    } else if (fault.startsWith("lockers with a row")) {
        QVERIFY(execSql(mainFile, "CREATE TABLE lockers (row INTEGER PRIMARY KEY, x int)"));
        QVERIFY(execSql(mainFile, "INSERT INTO lockers (x) VALUES (5), (6)"));
    } else if (fault.startsWith("device_setting")) {
        QVERIFY(execSql(mainFile, "CREATE TABLE device_setting (y int)"));
        QVERIFY(execSql(mainFile, "INSERT INTO device_setting VALUES (7)"));
    }
    const bool registered = fault.startsWith("lockers") || fault.startsWith("media");
    if (registered) {
        QVERIFY(seedDevice(home, Serial, fault.startsWith("media") ? 1 : 0,
                           !fault.startsWith("lockers")));
        if (fault.startsWith("media")) {
            QVERIFY(QFile::remove(home.mediaStore()));
            QVERIFY(execSql(home.mediaStore(), "CREATE TABLE media (z int)"));
            QVERIFY(execSql(home.mediaStore(), "INSERT INTO media VALUES (9)"));
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

    if (fault.startsWith("device_info")) {
        QCOMPARE(lastToast(w), QStringLiteral("Database Created! Insert printed serial number!"));
        const Stored before = stored(home);
        submitSerial(w, Serial);
        const bool hasRow = fault.contains("row 1");
        QCOMPARE(lastToast(w), hasRow ? QStringLiteral("ID Update, Try connect server!")
                                      : QStringLiteral("ID Save, Try connect server!"));
        QVERIFY(log.contains(hasRow
                                 ? "Update error: \"no such column: dev_id"
                                 : "Insert error: \"table device_info has no column named dev_id"));
        QCOMPARE(requestsInFlight(w), 0);
        click(w, "manual_pushButton");
        click(w, "active_device_pushButton");
        QCOMPARE(page(w), 3);
        expectUnchanged(before, stored(home));
        QCOMPARE(table(mainFile, "device_info"), hasRow ? QStringList{"1|keep"} : QStringList());
    } else if (fault.startsWith("lockers")) {
        QCOMPARE(lastToast(w), QStringLiteral("Device inactive!"));
        const Stored before = stored(home);
        submitSerial(w, Serial);
        QVERIFY(spy.wait(ReplyWaitMs));
        QCOMPARE(toastLabels(&w).mid(1),
                 (QStringList{"Try connect server!", "Locker db create! OK", "Lockers db Error!"}));
        // The log carries the store's own reason.
        if (fault.contains("row column"))
            QVERIFY(
                log.contains("Insert locker error: \"table lockers has no column named locker_id"));
        else
            QVERIFY(log.contains("Delete lockers error: \"no such column: row"));
        QCOMPARE(page(w), 0);
        // The whole activation was taken back: record, settings and lockers.
        expectUnchanged(before, stored(home));
        QVERIFY(!QDir(home.root()).exists(Serial));
        // Activating by hand is taken back the same way, and says so.
        click(w, "manual_pushButton");
        click(w, "active_device_pushButton");
        QCOMPARE(toastLabels(&w).mid(2), (QStringList{"Locker db create! OK", "Lockers db Error!"}));
        QCOMPARE(page(w), 3);
        expectUnchanged(before, stored(home));
        QVERIFY(!QDir(home.root()).exists(Serial));
    } else if (fault.startsWith("device_setting")) {
        QCOMPARE(lastToast(w), QStringLiteral("Database Created! Insert printed serial number!"));
        submitSerial(w, Serial);
        QVERIFY(log.contains("Insert error: \"table device_setting has no column named id"));
        QVERIFY(spy.wait(ReplyWaitMs));
        QVERIFY(log.contains("Update device_setting error: \"no such column: dev_timer_system"));
        // The settings are not the device: the activation goes on without them.
        QCOMPARE(lastToast(w), QStringLiteral("Everything is OK"));
        QCOMPARE(page(w), 1);
        QCOMPARE(table(mainFile, "device_setting"), QStringList{"7"});
        QCOMPARE(rows(mainFile, "SELECT COUNT(*), COUNT(DISTINCT locker_id) FROM lockers"),
                 QStringList{"8|8"});
    } else {
        QCOMPARE(toastLabels(&w).mid(2), (QStringList{"Device is active!", "Media data not set"}));
        const Stored before = stored(home);
        widget<QCheckBox>(w, "media3")->setChecked(false);
        widget<QPushButton>(w, "media_device_pushButton")->click();
        QCOMPARE(lastToast(w), QStringLiteral("Media data not saved!"));
        expectUnchanged(before, stored(home));
        QCOMPARE(table(home.mediaStore(), "media"), QStringList{"9"});
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
    QCOMPARE(page(w), 1);
    widget<QCheckBox>(w, "media2")->setChecked(true);
    widget<QSlider>(w, "sound_level")->setValue(20);

    const bool deleted = fault.startsWith("Media store deleted");
    const QString moved = home.home() + "/QUORVIN.moved";
    if (deleted) {
        QVERIFY(QFile::remove(home.mediaStore()));
    } else {
        QVERIFY(QDir().rename(home.root(), moved));
        QVERIFY(writeFile(home.home() + "/QUORVIN", "not a folder\n"));
    }
    const QStringList listing = treeListing(home.home());
    const QByteArray movedMain = fileBytes(moved + "/Zelvatto.sql");
    const QByteArray movedMedia = fileBytes(moved + "/Media.sql");

    widget<QPushButton>(w, "media_device_pushButton")->click();
    if (deleted) {
        QCOMPARE(lastToast(w), QStringLiteral("Insert media data ok"));
        QCOMPARE(table(home.mediaStore(), "media"), QStringList{"1|1|" + Serial + "|1|1|1|20"});
        expectNothingOutsideRoot(listing, home);
    } else {
        QCOMPARE(lastToast(w), QStringLiteral("Media DB unreachable!"));
        QCOMPARE(treeListing(home.home()), listing);
        QVERIFY(fileBytes(moved + "/Zelvatto.sql") == movedMain);
        QVERIFY(fileBytes(moved + "/Media.sql") == movedMedia);
        QCOMPARE(fileBytes(home.home() + "/QUORVIN"), QByteArray("not a folder\n"));
    }
    expectResponsive(w);
}

// Another program holds the Media store locked while the operator saves: the
// save is reported as not done, the stored row is what it was, the boxes show
// it again, and a press after the lock is gone saves.
void TstFaultsStore::mediaStoreLocked()
{
    tried("Media store locked by another connection");
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
    QCOMPARE(table(home.mediaStore(), "media"), QStringList{"1|1|" + Serial + "|1|0|1|30"});

    publicPath->setChecked(false);
    widget<QPushButton>(w, "media_device_pushButton")->click();
    QCOMPARE(lastToast(w), QStringLiteral("Update media data ok"));
    QCOMPARE(table(home.mediaStore(), "media"), QStringList{"1|1|" + Serial + "|0|0|1|30"});
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
    if (fault.contains("reply"))
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

    if (fault.contains("reply")) {
        submitSerial(w, Serial);
        QTRY_COMPARE_WITH_TIMEOUT(server.requestCount(), 1, ReplyWaitMs);
        const Stored before = stored(home);
        {
            StoreLock lock(home.mainStore());
            QVERIFY(lock.isLocked());
            QVERIFY(server.release(0));
            QVERIFY(spy.wait(ReplyWaitMs));
            QVERIFY(log.contains("Update error: \"database is locked"));
            QCOMPARE(lastToast(w), QStringLiteral("Try connect server!"));
            QCOMPARE(page(w), 0);
        }
        expectUnchanged(before, stored(home));
    } else if (fault.contains("serial")) {
        const Stored before = stored(home);
        {
            StoreLock lock(home.mainStore());
            QVERIFY(lock.isLocked());
            submitSerial(w, "QV16F2024005");
            QVERIFY(log.contains("Select error: \"database is locked"));
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
            QVERIFY(log.contains("Update error: \"database is locked"));
            QCOMPARE(page(w), 3);
        }
        expectUnchanged(before, stored(home));
        click(w, "active_device_pushButton");
        QCOMPARE(page(w), 1);
        QCOMPARE(lastToast(w), QStringLiteral("Lockers insert! OK"));
        QCOMPARE(
            rows(home.mainStore(), "SELECT dev_model, dev_lockers, dev_status FROM device_info"),
            QStringList{"Dorne|8|1"});
        expectNothingOutsideRoot(listing, home);
        expectResponsive(w);
        return;
    }

    // Without the lock the same press goes through.
    const QString serial = fault.contains("reply") ? Serial : QStringLiteral("QV16F2024005");
    const int replies = spy.count();
    submitSerial(w, serial);
    QVERIFY(spy.wait(ReplyWaitMs));
    QCOMPARE(spy.count(), replies + 1);
    QCOMPARE(lastToast(w), QStringLiteral("Everything is OK"));
    QCOMPARE(
        rows(home.mainStore(), "SELECT dev_id, dev_name, dev_lockers, dev_status FROM device_info"),
        QStringList{serial + "|From Server|16|1"});
    QCOMPARE(rows(home.mainStore(), "SELECT COUNT(*), COUNT(DISTINCT locker_id) FROM lockers"),
             QStringList{"16|16"});
    expectNothingOutsideRoot(listing, home);
    expectResponsive(w);
}

// A lock that another program holds only briefly, so that one statement of a
// press meets it and the next does not: the press must still never add a
// second device row.
void TstFaultsStore::mainStoreLockedBriefly()
{
    tried("Main store locked briefly while a new serial is entered");
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
    submitSerial(w, "QV16F2024005");
    QVERIFY(lock.wait(5000));

    QCOMPARE(rows(home.mainStore(), "SELECT COUNT(*) FROM device_info WHERE id=1"),
             QStringList{"1"});
    QCOMPARE(rows(home.mainStore(), "SELECT COUNT(*) FROM device_setting WHERE id=1"),
             QStringList{"1"});
    expectNothingOutsideRoot(listing, home);
    expectResponsive(w);
}

// Deleting all data while one store file cannot be removed: the operator is
// told the data could not be deleted, and the window ends on the empty page.
void TstFaultsStore::deleteBlocked()
{
    tried("Media store path is a folder, so the file cannot be removed");
    TestHome home;
    QVERIFY(seedDevice(home, Serial, 1));
    QVERIFY(QFile::remove(home.mediaStore()));
    QVERIFY(QDir().mkpath(home.mediaStore()));
    QVERIFY(writeFile(home.mediaStore() + "/inside.txt", "kept\n"));
    const QStringList listing = treeListing(home.home());

    LogCapture log;
    MainWindow w;
    w.show();
    QVERIFY(log.contains("Media DB open error:"));
    QCOMPARE(toastLabels(&w).mid(2), (QStringList{"Device is active!", "Media data not set"}));
    QCOMPARE(page(w), 1);
    widget<QPushButton>(w, "media_device_pushButton")->click();
    QCOMPARE(lastToast(w), QStringLiteral("Media DB unreachable!"));

    click(w, "delete_device_pushButton");
    click(w, "delete_device_pushButton_again");
    QCOMPARE(lastToast(w),
             QStringLiteral("Data could not be deleted! Close other programs and try again"));
    QCOMPARE(page(w), 2);
    QVERIFY(!QFile::exists(home.mainStore()));
    QCOMPARE(fileBytes(home.mediaStore() + "/inside.txt"), QByteArray("kept\n"));
    expectNothingOutsideRoot(listing, home);
    expectResponsive(w);
}

// The Main store file is removed under the running window: the store refuses
// the writes of a registration reply, the window claims no success, and no
// half store appears in its place.
void TstFaultsStore::mainStoreGone()
{
    tried("Main store deleted while the window runs");
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
    QVERIFY(log.contains("Update error: \"attempt to write a readonly database"));
    QCOMPARE(lastToast(w), QStringLiteral("Try connect server!"));
    QCOMPARE(page(w), 0);
    QCOMPARE(treeListing(home.home()), listing);
    expectResponsive(w);
}

void TstFaultsStore::cleanupTestCase()
{
    reportFaultsTried();
}

QTEST_MAIN(TstFaultsStore)
#include "tst_faults_store.moc"
