#pragma once

#include "app/mainwindow.h"
#include "ui/soundlevel.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QSemaphore>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>

class QJsonArray;
class QJsonObject;
class QNetworkAccessManager;
class QTcpServer;
class QTcpSocket;

namespace testing {

// The serial most tests register, and the toasts a first serial meets.
inline const QString SampleSerial = QStringLiteral("QV8B2024001");
inline const QString FirstRunToast =
    QStringLiteral("Database Created! Insert printed serial number!");
inline const QString SavedToast = QStringLiteral("ID Save, Try connect server!");

// Windows refuses to delete a file that a program holds open, as the window
// holds its stores: a store deleted under the running window cannot happen
// there.
#ifdef Q_OS_WIN
inline constexpr bool OpenFilesCanBeDeleted = false;
#else
inline constexpr bool OpenFilesCanBeDeleted = true;
#endif
inline constexpr char OpenFileKept[] = "Windows does not delete a store the window holds open";

// A fresh home folder for one test: the window's data root lies under it, on
// every system.
// The process-wide records and toast lines are emptied as at program start.
class TestHome
{
public:
    TestHome();
    ~TestHome();
    TestHome(const TestHome &) = delete;
    TestHome &operator=(const TestHome &) = delete;

    QString home() const;
    QString root() const; // <home>/QUORVIN/
    QString mainStore() const;
    QString mediaStore() const;

private:
    QTemporaryDir m_dir;
    QString m_oldRoot;
};

// Collects every message written while it lives.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList lines() const;
    bool contains(const QString &text) const; // any line containing text
    int indexOf(const QString &exactLine) const;
};

// Runs a statement on a store file through a connection of its own, so the
// test sees what is on disk rather than what the window holds in memory.
bool execSql(const QString &file, const QString &sql);
QByteArray fileBytes(const QString &file);
bool writeFile(const QString &path, const QByteArray &bytes);

// Whether an account other than the one running the test, SYSTEM and
// Administrators may use the file or folder: its mode gives the group or
// others anything, or on Windows its access list names Everyone,
// Authenticated Users or Users.
bool othersMayUse(const QString &path);

// Calls a private slot of the window without arguments through its meta-object.
bool callBool(MainWindow *w, const char *slot);
int callInt(MainWindow *w, const char *slot);
void callToast(MainWindow *w, const QString &message, int clearErrors);

// The four toast labels, top to bottom.
QStringList toastLabels(MainWindow *w);
QNetworkAccessManager *networkManagerOf(MainWindow *w);

// The reference directory server as a child process on loopback. Points the
// window at it through QUORVIN_SERVER_URL while it runs.
class DirectoryServer
{
public:
    DirectoryServer() = default;
    ~DirectoryServer();
    DirectoryServer(const DirectoryServer &) = delete;
    DirectoryServer &operator=(const DirectoryServer &) = delete;

    // Starts the server on a free port with that catalogue. Further
    // command-line arguments (such as {"--access", "Other"}) are passed on as
    // they are.
    bool start(const QString &catalogueFile, const QStringList &arguments = QStringList());
    // Writes the devices as a catalogue of its own and starts on it.
    bool serve(const QJsonArray &devices, const QStringList &arguments = QStringList());

private:
    QString urlFile() const;

    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_url;
};

// Writes a directory server catalogue {"devices": [...]} to file.
bool writeCatalogue(const QString &file, const QJsonArray &devices);

// An HTTP server on loopback whose answers a test writes byte for byte, for
// the faults a well-behaved server never produces: answers that never come,
// bodies cut short, answers sent in another order than the requests came.
// The n-th request that arrives gets the n-th scripted answer; a request
// without one is kept open and never answered. Points QUORVIN_SERVER_URL at
// itself while it runs.
class ScriptedHttpServer : public QObject
{
    Q_OBJECT

public:
    struct Answer
    {
        QByteArray bytes;    // status line, headers and body, written as they are
        bool hold = false;   // wait for release() before writing
        bool silent = false; // never write anything; the connection stays open
    };

    explicit ScriptedHttpServer(QObject *parent = nullptr);
    ~ScriptedHttpServer() override;

    bool start();

    void addAnswer(const Answer &answer);
    // Writes the held answer of the request that arrived index-th (from 0);
    // false when that request has not arrived or has gone.
    bool release(int index);
    // Writes these bytes as the answer to the index-th request and closes it.
    bool respond(int index, const QByteArray &bytes);
    int requestCount() const { return m_requests.size(); }
    // The request heads as they arrived (request line and headers).
    QList<QByteArray> requests() const { return m_requests; }

    // A complete answer with Content-Length and "Connection: close".
    static QByteArray response(int status, const QByteArray &body,
                               const QByteArray &contentType = "application/json");

private:
    void accept();
    void read(QTcpSocket *socket);
    // Writes the bytes and closes the connection: each carries one request.
    void write(int index, const QByteArray &bytes);

    QTcpServer *m_server = nullptr;
    QString m_url;
    QList<Answer> m_script;
    QList<QByteArray> m_requests;
    QList<QPointer<QTcpSocket>> m_sockets;
    QList<bool> m_written;
};

// Every file and folder below dir as paths relative to it, folders ending in
// "/", sorted ("QUORVIN/", "QUORVIN/Media.sql", ...). Links are not followed.
QStringList treeListing(const QString &dir);

// The entries of a listing that do not lie under prefix (such as "QUORVIN/").
QStringList entriesOutside(const QStringList &listing, const QString &prefix);

// The window's child with that object name. Ends the test program when the
// form has none, so that a renamed widget cannot pass unnoticed.
template<typename T>
T *widget(MainWindow &w, const char *name)
{
    T *child = w.findChild<T *>(QLatin1String(name));
    if (!child)
        qFatal("no child named %s", name);
    return child;
}

// Whether the check box of that object name is checked.
bool boxChecked(MainWindow &w, const char *checkBoxName);

// Whether labelsoundicon shows the picture of that level class.
bool soundIconIs(MainWindow &w, gui::SoundPicture picture);

// Empties all four toast lines, so that a check sees only the lines that follow.
void clearToast(MainWindow &w);

// The captured lines that begin with prefix, in the order they were written.
QStringList linesStartingWith(const LogCapture &log, const QString &prefix);

// The object name of the page stackedWidget shows ("pageDevice", ...).
QString page(MainWindow &w);

// The newest toast line (labelToast4).
QString lastToast(MainWindow &w);

// Presses the named button with a real mouse click, as the operator does.
void click(MainWindow &w, const char *button);

// Waits past the system's double-click interval, so that the next press is a
// deliberate one and not the second half of a double click.
void waitPastDoubleClick();

// Types the serial into add_device_edit as the operator does and clicks the
// add button.
void submitSerial(MainWindow &w, const QString &serial);

// The rows a statement gives, read as execSql runs it, each as one "a|b|c"
// text, which reads well when a comparison fails.
QStringList rows(const QString &file, const QString &sql);

// Pixmaps hold premultiplied pixels; compare pictures in that form.
QImage pixels(const QImage &image);

// Sets QUORVIN_SERVER_URL for one scope, or unsets it for std::nullopt, and
// restores what was there. Without a value it points the window at a loopback
// port where nothing listens.
class ServerUrlOverride
{
public:
    ServerUrlOverride();
    explicit ServerUrlOverride(const std::optional<QByteArray> &value);
    ~ServerUrlOverride();
    ServerUrlOverride(const ServerUrlOverride &) = delete;
    ServerUrlOverride &operator=(const ServerUrlOverride &) = delete;

private:
    std::optional<QByteArray> m_old;
};

// Sets the lookup time-out for one scope; 0 or less keeps the current one.
class LookupTimeoutOverride
{
public:
    explicit LookupTimeoutOverride(int ms);
    ~LookupTimeoutOverride();
    LookupTimeoutOverride(const LookupTimeoutOverride &) = delete;
    LookupTimeoutOverride &operator=(const LookupTimeoutOverride &) = delete;

private:
    int m_old;
};

// The one way to fill the stores before a window starts, through connections
// of the test's own: the tables a first run makes, then rows. Calls chain and
// add to what is there; ok() says whether every statement ran.
class StoreSeed
{
public:
    explicit StoreSeed(const TestHome &home);

    // The four Main store tables, as a first run makes them.
    StoreSeed &tables();
    // The device row (id 1) with sample texts: name "Brisa Hall", model
    // "Brisa", location "Hall 3", address "Main St 1", description "Near the
    // door".
    StoreSeed &device(const QString &serial, int status, int lockers = 8);
    // A device_info row of these SQL values, for (id, dev_id, dev_name,
    // dev_model, dev_lockers, dev_location, dev_address, dev_description,
    // dev_status).
    StoreSeed &deviceRow(const QString &values);
    // The settings row as a first save writes it, with a timer-system text.
    StoreSeed &settings(const QString &timerSystem = QStringLiteral("06:00-22:00"));
    // Lockers 1 to count, each with a mobile number and status 1.
    StoreSeed &lockers(int count);
    // The media table and its row (id 1) of these SQL values, for (dev_id,
    // path_public_enable, path_private_enable, path_local_enable,
    // sound_enable_level).
    StoreSeed &media(const QString &values);
    // Any statement on the Main or the Media store.
    StoreSeed &mainSql(const QString &sql);
    StoreSeed &mediaSql(const QString &sql);

    bool ok() const { return m_ok; }

private:
    const TestHome &m_home;
    bool m_ok = true;
};

// The stores a registration leaves: the device with that serial and status,
// its eight lockers unless withLockers is false, the settings row, and saved
// media settings (public and local paths on, level 30).
bool seedDevice(const TestHome &home, const QString &serial, int status, bool withLockers = true);

// A scripted answer of these bytes, held for release() when hold is set.
ScriptedHttpServer::Answer answer(const QByteArray &bytes, bool hold = false);

// Notes one distinct bad input or fault the program was exposed to.
void tried(const QString &fault);

// Prints the faults noted by tried(), sorted, and how many there were.
void reportFaultsTried();

// Types the serial and presses the add button as submitSerial does, then waits
// up to ms until the window has handled the lookup's reply. whilePending runs
// between the press and the reply, to look at what the press alone did.
bool submitAndWait(MainWindow &w, const QString &serial,
                   const std::function<void()> &whilePending = {}, int ms = 10000);

// The texts of a sample record, the others derived from its name: dev_id,
// name, model, lockers, location, address and description.
QStringList sampleFields(const QString &devId, const QString &name, int lockers);

// The device page's text for an active device of these fields: dev_id, name,
// model, lockers, location, address and description.
QString activeDeviceText(const QStringList &fields);

// A directory server catalogue entry of these fields (as activeDeviceText
// takes them), status and timer text; the record a lookup's reply carries.
QJsonObject deviceEntry(const QStringList &fields, int status,
                        const QString &timerSystem = QStringLiteral("07:00-19:00"));

// The device and the locker rows of the Main store as the store's selects
// give them, each as "a|b|c", in row order.
QStringList storedDevices(const TestHome &home);
QStringList storedLockers(const TestHome &home);

// The rows of lockers 1 to count as a new set holds them: blank, status 0.
QStringList newLockerSet(int count);

// The row storedDevices gives for the device of these fields (as
// activeDeviceText takes them) and status.
QString storedDeviceRow(const QStringList &fields, int status);

// The device of these fields is active: its row, a new set of its lockers, and
// the device page showing it. Call with QVERIFY's rules, from a test function.
void expectActiveDevice(const TestHome &home, MainWindow &w, const QStringList &fields);

// The window still paints, reacts to its button (on the serial page, unless
// it is disabled) and shows a new toast; call with QVERIFY's rules, from a
// test function.
void expectResponsive(MainWindow &w);

// Busy time-out given to the window's connections in the lock cases, so a
// locked store fails in a fraction of a second instead of five.
inline constexpr int ShortBusyMs = 300;

// Gives one of the window's connections a short busy time-out. The handle
// shares the window's connection, so reopening it here changes the window's.
bool shortenBusyTimeout(QLatin1String connection);

// Sets the connect options of one of the window's connections for one scope,
// before the window opens it or while it has it open, and clears them after.
class ConnectOptions
{
public:
    ConnectOptions(QLatin1String connection, const QString &options);
    ~ConnectOptions();
    ConnectOptions(const ConnectOptions &) = delete;
    ConnectOptions &operator=(const ConnectOptions &) = delete;

private:
    QString m_connection;
};

// Another program holding an exclusive lock on a store file, from a thread of
// its own, until it is released or, when a time is given, until that passes.
class StoreLock : public QThread
{
public:
    explicit StoreLock(const QString &file, int holdMs = -1);
    ~StoreLock() override;
    bool isLocked() const { return m_locked; }
    void release() { m_release.release(); }

protected:
    void run() override;

private:
    static inline int s_count = 0;
    QString m_file;
    QString m_name;
    int m_holdMs;
    bool m_locked = false;
    QSemaphore m_taken;
    QSemaphore m_release;
};

// Base of a test class whose every test function starts from a fresh home
// (the records and the toast emptied) and gets the window on it when it first
// asks for it.
class WindowTest : public QObject
{
    Q_OBJECT

protected:
    const TestHome &home() const { return *m_home; }
    StoreSeed seed() const { return StoreSeed(*m_home); }
    // Built and shown on first use.
    MainWindow &window();
    // Closes the window, as the operator does; the next window() starts anew
    // on the same stores.
    void closeWindow();

private slots:
    void init();
    void cleanup();

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<MainWindow> m_window;
};

} // namespace testing
