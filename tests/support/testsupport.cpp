#include "support/testsupport.h"

#include "activation/lookup.h"
#include "resources/resources.h"
#include "store/paths.h"
#include "store/records.h"
#include "ui/toast.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QInputMethodEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QNetworkAccessManager>
#include <QPixmap>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStackedWidget>
#include <QStyleHints>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUuid>

#ifdef Q_OS_WIN
#include <windows.h>
// After windows.h, whose definitions they need.
#include <aclapi.h>
#include <sddl.h>
#else
#include <sys/stat.h>
#endif

namespace {
// The pictures must be registered before any window is built.
[[maybe_unused]] const bool resourcesRegistered = (registerResources(), true);
// Outside a TestHome the data root is a folder that is never made, so that no
// test writes to the real data root of the machine it runs on.
[[maybe_unused]] const bool realRootAvoided =
    (store::setDataRoot(QDir::tempPath() + QStringLiteral("/quorvin-tests-no-home/QUORVIN/")),
     true);

// A path of this process as the directory server sees it. The server is a
// program of the build machine: under Wine the Windows tests start it as the
// Linux program it is, and it knows only the machine's own paths.
QString serverPath(const QString &path)
{
#ifdef Q_OS_WIN
    // Wine's own call for the Unix name of a Windows path; on Windows itself
    // it is missing, and there is no Linux server to start either.
    using UnixName = char *(__cdecl *)(const wchar_t *);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName)
        return path;
    char *name =
        unixName(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()));
    if (!name)
        return path;
    const QString unixPath = QString::fromLocal8Bit(name);
    HeapFree(GetProcessHeap(), 0, name);
    return unixPath;
#else
    return path;
#endif
}

QStringList &capturedLines()
{
    static QStringList lines;
    return lines;
}
int &captureDepth()
{
    static int depth = 0;
    return depth;
}
QtMessageHandler &previousHandler()
{
    static QtMessageHandler handler = nullptr;
    return handler;
}

void captureMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    capturedLines().append(message);
    if (previousHandler())
        previousHandler()(type, context, message);
}

} // namespace

namespace testing {

// The data root is set, not derived from the home folder: on Windows it is a
// fixed drive path that no environment moves.
TestHome::TestHome() : m_oldRoot(store::dataRoot())
{
    store::setDataRoot(root());
    store::resetRecords();
    Toast = ToastLines();
}

TestHome::~TestHome()
{
    store::setDataRoot(m_oldRoot);
}

QString TestHome::home() const
{
    return m_dir.path();
}

QString TestHome::root() const
{
    return m_dir.path() + QStringLiteral("/QUORVIN/");
}

QString TestHome::mainStore() const
{
    return root() + QStringLiteral("Zelvatto.sql");
}

QString TestHome::mediaStore() const
{
    return root() + QStringLiteral("Media.sql");
}

LogCapture::LogCapture()
{
    if (captureDepth()++ == 0) {
        capturedLines().clear();
        previousHandler() = qInstallMessageHandler(captureMessage);
    }
}

LogCapture::~LogCapture()
{
    if (--captureDepth() == 0)
        qInstallMessageHandler(previousHandler());
}

QStringList LogCapture::lines() const
{
    return capturedLines();
}

bool LogCapture::contains(const QString &text) const
{
    for (const QString &line : capturedLines())
        if (line.contains(text))
            return true;
    return false;
}

int LogCapture::indexOf(const QString &exactLine) const
{
    return capturedLines().indexOf(exactLine);
}

namespace {
QList<QVariantList> queryRows(const QString &file, const QString &sql)
{
    QList<QVariantList> rows;
    const QString name = QStringLiteral("inspect_") + QUuid::createUuid().toString(QUuid::Id128);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(sql)) {
                while (query.next()) {
                    QVariantList row;
                    for (int i = 0; i < query.record().count(); ++i)
                        row.append(query.value(i));
                    rows.append(row);
                }
            } else {
                qWarning() << "inspection failed:" << sql << query.lastError().text();
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return rows;
}
} // namespace

bool execSql(const QString &file, const QString &sql)
{
    bool ok = false;
    const QString name = QStringLiteral("prepare_") + QUuid::createUuid().toString(QUuid::Id128);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        if (db.open()) {
            QSqlQuery query(db);
            ok = query.exec(sql);
            if (!ok)
                qWarning() << "statement failed:" << sql << query.lastError().text();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

#ifdef Q_OS_WIN
bool othersMayUse(const QString &path)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL list = nullptr;
    const QString native = QDir::toNativeSeparators(path);
    if (GetNamedSecurityInfoW(reinterpret_cast<LPCWSTR>(native.utf16()), SE_FILE_OBJECT,
                              DACL_SECURITY_INFORMATION, nullptr, nullptr, &list, nullptr,
                              &descriptor)
        != ERROR_SUCCESS)
        qFatal("cannot read the access list of %s", qPrintable(path));
    LPWSTR text = nullptr;
    ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1,
                                                         DACL_SECURITY_INFORMATION, &text, nullptr);
    const QString sddl = QString::fromWCharArray(text);
    LocalFree(text);
    LocalFree(descriptor);
    return list == nullptr || sddl.contains(QLatin1String(";;;WD)"))
           || sddl.contains(QLatin1String(";;;AU)")) || sddl.contains(QLatin1String(";;;BU)"));
}
#else
bool othersMayUse(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        qFatal("cannot read the mode of %s", qPrintable(path));
    return (info.st_mode & (S_IRWXG | S_IRWXO)) != 0;
}
#endif

QByteArray fileBytes(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
           && file.write(bytes) == bytes.size();
}

namespace {
void mustInvoke(bool ok, const char *slot)
{
    if (!ok)
        qFatal("cannot invoke slot %s", slot);
}
} // namespace

bool callBool(MainWindow *w, const char *slot)
{
    bool result = false;
    mustInvoke(QMetaObject::invokeMethod(w, slot, Qt::DirectConnection, Q_RETURN_ARG(bool, result)),
               slot);
    return result;
}

int callInt(MainWindow *w, const char *slot)
{
    int result = -1;
    mustInvoke(QMetaObject::invokeMethod(w, slot, Qt::DirectConnection, Q_RETURN_ARG(int, result)),
               slot);
    return result;
}

void callToast(MainWindow *w, const QString &message, int clearErrors)
{
    mustInvoke(QMetaObject::invokeMethod(w, "showErrorDisplay", Qt::DirectConnection,
                                         Q_ARG(QString, message), Q_ARG(int, clearErrors)),
               "showErrorDisplay");
}

QStringList toastLabels(MainWindow *w)
{
    QStringList texts;
    for (const char *name : {"labelToast1", "labelToast2", "labelToast3", "labelToast4"})
        texts.append(w->findChild<QLabel *>(QLatin1String(name))->text());
    return texts;
}

QNetworkAccessManager *networkManagerOf(MainWindow *w)
{
    return w->findChild<QNetworkAccessManager *>();
}

// The server stops by itself once its URL file is gone, which also ends it
// where this process cannot kill it (a Linux program started under Wine).
DirectoryServer::~DirectoryServer()
{
    QFile::remove(urlFile());
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    qunsetenv("QUORVIN_SERVER_URL");
}

QString DirectoryServer::urlFile() const
{
    return m_dir.filePath(QStringLiteral("url"));
}

// The server tells its URL through a file rather than its output, which does
// not reach a Windows test that starts it under Wine.
bool DirectoryServer::start(const QString &catalogueFile, const QStringList &arguments)
{
    const QStringList args = QStringList{QStringLiteral("--port"),      QStringLiteral("0"),
                                         QStringLiteral("--catalogue"), serverPath(catalogueFile),
                                         QStringLiteral("--url-file"),  serverPath(urlFile())}
                             + arguments;
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start(QStringLiteral(DIRECTORY_SERVER_PATH), args);
    if (!m_dir.isValid() || !m_process.waitForStarted(5000))
        return false;
    // Under Wine the process handle of a Linux program tells nothing, so only
    // the file is waited for.
    QFile file(urlFile());
    if (!QTest::qWaitFor([&] { return file.exists(); }, 10000) || !file.open(QIODevice::ReadOnly))
        return false;
    m_url = QString::fromUtf8(file.readLine()).trimmed();
    if (!m_url.startsWith(QLatin1String("http://")))
        return false;
    qputenv("QUORVIN_SERVER_URL", m_url.toUtf8());
    return true;
}

bool DirectoryServer::serve(const QJsonArray &devices, const QStringList &arguments)
{
    const QString file = m_dir.filePath(QStringLiteral("catalogue.json"));
    return m_dir.isValid() && writeCatalogue(file, devices) && start(file, arguments);
}

bool writeCatalogue(const QString &file, const QJsonArray &devices)
{
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray text =
        QJsonDocument(QJsonObject{{QStringLiteral("devices"), devices}}).toJson();
    return out.write(text) == text.size();
}

ScriptedHttpServer::ScriptedHttpServer(QObject *parent)
    : QObject(parent), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &ScriptedHttpServer::accept);
}

ScriptedHttpServer::~ScriptedHttpServer()
{
    for (const QPointer<QTcpSocket> &socket : m_sockets)
        if (socket)
            socket->abort();
    qunsetenv("QUORVIN_SERVER_URL");
}

bool ScriptedHttpServer::start()
{
    if (!m_server->listen(QHostAddress::LocalHost, 0))
        return false;
    m_url = QStringLiteral("http://127.0.0.1:%1").arg(m_server->serverPort());
    qputenv("QUORVIN_SERVER_URL", m_url.toUtf8());
    return true;
}

void ScriptedHttpServer::addAnswer(const Answer &answer)
{
    m_script.append(answer);
}

bool ScriptedHttpServer::release(int index)
{
    if (index < 0 || index >= m_sockets.size() || !m_sockets.at(index) || m_written.at(index))
        return false;
    write(index, m_script.value(index).bytes);
    return true;
}

bool ScriptedHttpServer::respond(int index, const QByteArray &bytes)
{
    if (index < 0 || index >= m_sockets.size() || !m_sockets.at(index) || m_written.at(index))
        return false;
    write(index, bytes);
    return true;
}

QByteArray ScriptedHttpServer::response(int status, const QByteArray &body,
                                        const QByteArray &contentType)
{
    return "HTTP/1.1 " + QByteArray::number(status) + " Scripted\r\nContent-Type: " + contentType
           + "\r\nContent-Length: " + QByteArray::number(body.size())
           + "\r\nConnection: close\r\n\r\n" + body;
}

void ScriptedHttpServer::accept()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        socket->setParent(this);
        // Each connection carries one request: every answer says "close".
        socket->setProperty("head", QByteArray());
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void ScriptedHttpServer::read(QTcpSocket *socket)
{
    if (socket->property("index").isValid()) {
        socket->readAll(); // a request body or a pipelined request: not served
        return;
    }
    QByteArray head = socket->property("head").toByteArray() + socket->readAll();
    socket->setProperty("head", head);
    const qsizetype end = head.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    const int index = m_requests.size();
    socket->setProperty("index", index);
    m_requests.append(head.left(end));
    m_sockets.append(socket);
    m_written.append(false);
    if (index >= m_script.size() || m_script.at(index).silent || m_script.at(index).hold)
        return;
    write(index, m_script.at(index).bytes);
}

void ScriptedHttpServer::write(int index, const QByteArray &bytes)
{
    QTcpSocket *socket = m_sockets.at(index);
    m_written[index] = true;
    socket->write(bytes);
    socket->disconnectFromHost();
}

QStringList treeListing(const QString &dir)
{
    QStringList entries;
    QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    const QDir base(dir);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        QString path = base.relativeFilePath(info.filePath());
        if (info.isDir() && !info.isSymLink())
            path += QLatin1Char('/');
        entries.append(path);
    }
    entries.sort();
    return entries;
}

QStringList entriesOutside(const QStringList &listing, const QString &prefix)
{
    QStringList outside;
    for (const QString &entry : listing)
        if (!entry.startsWith(prefix))
            outside.append(entry);
    return outside;
}

bool boxChecked(MainWindow &w, const char *checkBoxName)
{
    return widget<QCheckBox>(w, checkBoxName)->isChecked();
}

bool soundIconIs(MainWindow &w, gui::SoundPicture picture)
{
    return widget<QLabel>(w, "labelsoundicon")->pixmap().toImage()
           == QPixmap(gui::soundPicturePath(picture)).toImage();
}

void clearToast(MainWindow &w)
{
    callToast(&w, QString(), 1);
}

QStringList linesStartingWith(const LogCapture &log, const QString &prefix)
{
    QStringList found;
    for (const QString &line : log.lines())
        if (line.startsWith(prefix))
            found.append(line);
    return found;
}

QString page(MainWindow &w)
{
    return widget<QStackedWidget>(w, "stackedWidget")->currentWidget()->objectName();
}

QString lastToast(MainWindow &w)
{
    return toastLabels(&w).constLast();
}

void click(MainWindow &w, const char *button)
{
    QTest::mouseClick(widget<QAbstractButton>(w, button), Qt::LeftButton);
}

void waitPastDoubleClick()
{
    QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
}

void submitSerial(MainWindow &w, const QString &serial)
{
    QLineEdit *edit = widget<QLineEdit>(w, "add_device_edit");
    edit->clear();
    QTest::keyClicks(edit, serial);
    click(w, "add_device_pushButton");
}

QStringList rows(const QString &file, const QString &sql)
{
    QStringList texts;
    for (const QVariantList &row : queryRows(file, sql)) {
        QStringList values;
        for (const QVariant &value : row)
            values.append(value.toString());
        texts.append(values.join(QLatin1Char('|')));
    }
    return texts;
}

QImage pixels(const QImage &image)
{
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

namespace {
// A loopback port nothing listens on: bound once, then released.
QByteArray closedServerUrl()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return "http://127.0.0.1:0";
    const quint16 port = probe.serverPort();
    probe.close();
    return "http://127.0.0.1:" + QByteArray::number(port);
}
} // namespace

ServerUrlOverride::ServerUrlOverride() : ServerUrlOverride(closedServerUrl()) { }

ServerUrlOverride::ServerUrlOverride(const std::optional<QByteArray> &value)
{
    if (qEnvironmentVariableIsSet("QUORVIN_SERVER_URL"))
        m_old = qgetenv("QUORVIN_SERVER_URL");
    if (value)
        qputenv("QUORVIN_SERVER_URL", *value);
    else
        qunsetenv("QUORVIN_SERVER_URL");
}

ServerUrlOverride::~ServerUrlOverride()
{
    if (m_old)
        qputenv("QUORVIN_SERVER_URL", *m_old);
    else
        qunsetenv("QUORVIN_SERVER_URL");
}

LookupTimeoutOverride::LookupTimeoutOverride(int ms) : m_old(activation::lookupTimeoutMs())
{
    if (ms > 0)
        activation::setLookupTimeoutMs(ms);
}

LookupTimeoutOverride::~LookupTimeoutOverride()
{
    activation::setLookupTimeoutMs(m_old);
}

StoreSeed::StoreSeed(const TestHome &home) : m_home(home) { }

StoreSeed &StoreSeed::tables()
{
    m_ok = m_ok && QDir().mkpath(m_home.root());
    for (QLatin1String create : {store::deviceInfo::CreateSql, store::deviceSetting::CreateSql,
                                 store::process::CreateSql, store::lockers::CreateSql})
        mainSql(create);
    return *this;
}

StoreSeed &StoreSeed::device(const QString &serial, int status, int lockers)
{
    return deviceRow(QStringLiteral("1, '%1', 'Brisa Hall', 'Brisa', %2, 'Hall 3', 'Main St 1', "
                                    "'Near the door', %3")
                         .arg(serial, QString::number(lockers), QString::number(status)));
}

StoreSeed &StoreSeed::deviceRow(const QString &values)
{
    return mainSql(QStringLiteral("INSERT INTO device_info (id, dev_id, dev_name, dev_model, "
                                  "dev_lockers, dev_location, dev_address, dev_description, "
                                  "dev_status) VALUES (%1)")
                       .arg(values));
}

StoreSeed &StoreSeed::settings(const QString &timerSystem)
{
    return mainSql(
        QStringLiteral("INSERT INTO device_setting (id, timer1On, timer2On, timer3On, timer4On, "
                       "timer1Off, timer2Off, timer3Off, timer4Off, wifi_ssid, wifi_pass, cam1ip, "
                       "cam2ip, cam1enable, cam2enable, dev_timer_system) VALUES (1, '08:30', "
                       "'16:00', '24:60', '24:60', '13:00', '21:30', '24:60', '24:60', 'Quorvin', "
                       "'47193025', '', '', 1, 0, '%1')")
            .arg(timerSystem));
}

StoreSeed &StoreSeed::lockers(int count)
{
    for (int id = 1; id <= count; ++id)
        mainSql(QStringLiteral("INSERT INTO lockers (locker_id, locker_mobile, locker_password, "
                               "locker_icon, locker_nfc, locker_finger, locker_timestart, "
                               "locker_timechange, locker_startmode, locker_endmode, "
                               "locker_status) VALUES (%1, '091200000%1', '', 0, '', 0, '', '', "
                               "'', '', 1)")
                    .arg(id));
    return *this;
}

StoreSeed &StoreSeed::media(const QString &values)
{
    mediaSql(store::media::CreateSql);
    return mediaSql(QStringLiteral("INSERT INTO media (id, dev_id, path_public_enable, "
                                   "path_private_enable, path_local_enable, sound_enable_level) "
                                   "VALUES (1, %1)")
                        .arg(values));
}

StoreSeed &StoreSeed::mainSql(const QString &sql)
{
    m_ok = m_ok && QDir().mkpath(m_home.root()) && execSql(m_home.mainStore(), sql);
    return *this;
}

StoreSeed &StoreSeed::mediaSql(const QString &sql)
{
    m_ok = m_ok && QDir().mkpath(m_home.root()) && execSql(m_home.mediaStore(), sql);
    return *this;
}

bool seedDevice(const TestHome &home, const QString &serial, int status, bool withLockers)
{
    return StoreSeed(home)
        .tables()
        .device(serial, status)
        .settings()
        .lockers(withLockers ? 8 : 0)
        .media(QStringLiteral("'%1', 1, 0, 1, 30").arg(serial))
        .ok();
}

MainWindow &WindowTest::window()
{
    if (!m_window) {
        m_window = std::make_unique<MainWindow>();
        m_window->show();
    }
    return *m_window;
}

void WindowTest::closeWindow()
{
    m_window.reset();
}

void WindowTest::init()
{
    m_home = std::make_unique<TestHome>();
}

void WindowTest::cleanup()
{
    m_window.reset();
    m_home.reset();
}

bool shortenBusyTimeout(QLatin1String connection)
{
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    db.close();
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(ShortBusyMs));
    return db.open();
}

// A handle shares the window's connection, so reopening it here changes the
// window's; the window reopens a closed one at its next read.
ConnectOptions::ConnectOptions(QLatin1String connection, const QString &options)
    : m_connection(connection)
{
    QSqlDatabase db = QSqlDatabase::contains(connection)
                          ? QSqlDatabase::database(connection, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    db.close();
    db.setConnectOptions(options);
}

ConnectOptions::~ConnectOptions()
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    const bool wasOpen = db.isOpen();
    db.close();
    db.setConnectOptions();
    if (wasOpen)
        db.open();
}

StoreLock::StoreLock(const QString &file, int holdMs)
    : m_file(file), m_name(QStringLiteral("lock_%1").arg(++s_count)), m_holdMs(holdMs)
{
    start();
    m_taken.acquire();
}

StoreLock::~StoreLock()
{
    if (m_holdMs < 0)
        release();
    wait();
}

void StoreLock::run()
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(m_file);
        m_locked = db.open() && QSqlQuery(db).exec(QStringLiteral("BEGIN EXCLUSIVE"));
        m_taken.release();
        m_release.tryAcquire(1, m_holdMs);
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

ScriptedHttpServer::Answer answer(const QByteArray &bytes, bool hold)
{
    ScriptedHttpServer::Answer a;
    a.bytes = bytes;
    a.hold = hold;
    return a;
}

namespace {
QSet<QString> &faultsTried()
{
    static QSet<QString> faults;
    return faults;
}
} // namespace

void tried(const QString &fault)
{
    faultsTried().insert(fault);
}

void reportFaultsTried()
{
    QStringList faults(faultsTried().cbegin(), faultsTried().cend());
    faults.sort();
    for (const QString &fault : faults)
        qInfo().noquote() << "fault:" << fault;
    qInfo().noquote() << "faults tried:" << faults.size();
}

bool submitAndWait(MainWindow &w, const QString &serial, const std::function<void()> &whilePending,
                   int ms)
{
    // Connected after the window's own handler: when the spy counts a reply,
    // the window is done with it.
    QSignalSpy replies(networkManagerOf(&w), &QNetworkAccessManager::finished);
    if (serial == QString::fromLatin1(serial.toLatin1())) {
        submitSerial(w, serial);
    } else {
        // Key clicks type Latin-1 only; other text comes as an input method
        // commits it.
        QLineEdit *edit = widget<QLineEdit>(w, "add_device_edit");
        edit->clear();
        QInputMethodEvent entry;
        entry.setCommitString(serial);
        QCoreApplication::sendEvent(edit, &entry);
        click(w, "add_device_pushButton");
    }
    if (whilePending)
        whilePending();
    return replies.wait(ms);
}

QString activeDeviceText(const QStringList &fields)
{
    return QStringLiteral("Device ID: %1\nName: %2\nModel: %3\nLockers: %4\nLocation: %5\n"
                          "Address: %6\nDescription: %7\nStatus: Active")
        .arg(fields.value(0), fields.value(1), fields.value(2), fields.value(3), fields.value(4),
             fields.value(5), fields.value(6));
}

QJsonObject deviceEntry(const QStringList &fields, int status, const QString &timerSystem)
{
    return QJsonObject{{QStringLiteral("dev_id"), fields.value(0)},
                       {QStringLiteral("dev_name"), fields.value(1)},
                       {QStringLiteral("dev_model"), fields.value(2)},
                       {QStringLiteral("dev_lockers"), fields.value(3).toInt()},
                       {QStringLiteral("dev_location"), fields.value(4)},
                       {QStringLiteral("dev_address"), fields.value(5)},
                       {QStringLiteral("dev_description"), fields.value(6)},
                       {QStringLiteral("dev_status"), status},
                       {QStringLiteral("dev_timer_system"), timerSystem}};
}

QStringList storedDevices(const TestHome &home)
{
    return rows(home.mainStore(), store::deviceInfo::SelectSql + QStringLiteral(" ORDER BY row"));
}

QStringList storedLockers(const TestHome &home)
{
    return rows(home.mainStore(), store::lockers::SelectSql + QStringLiteral(" ORDER BY row"));
}

void expectResponsive(MainWindow &w)
{
    const QImage picture = w.grab().toImage();
    QVERIFY(!picture.isNull());
    QCOMPARE(picture.size(), w.size() * picture.devicePixelRatio());
    if (page(w) == QLatin1String("pageAddDevice")
        && widget<QPushButton>(w, "add_device_pushButton")->isEnabled()) {
        submitSerial(w, QStringLiteral("short"));
        QCOMPARE(lastToast(w), QStringLiteral("Id bad format inserted!"));
    }
    callToast(&w, QStringLiteral("still answering"), 0);
    QCOMPARE(lastToast(w), QStringLiteral("still answering"));
}

QStringList sampleFields(const QString &devId, const QString &name, int lockers)
{
    return {devId,
            name,
            QStringLiteral("Dorne"),
            QString::number(lockers),
            QStringLiteral("Location ") + name,
            QStringLiteral("Address ") + name,
            QStringLiteral("Description ") + name};
}

QStringList newLockerSet(int count)
{
    QStringList lines;
    for (int id = 1; id <= count; ++id)
        lines.append(QString::number(id) + QStringLiteral("|||0||0|||||0"));
    return lines;
}

QString storedDeviceRow(const QStringList &fields, int status)
{
    return QStringLiteral("1|") + fields.join(QLatin1Char('|')) + QLatin1Char('|')
           + QString::number(status);
}

void expectActiveDevice(const TestHome &home, MainWindow &w, const QStringList &fields)
{
    // Compared as booleans: a text of megabytes would flood the output.
    QVERIFY(storedDevices(home) == QStringList{storedDeviceRow(fields, 1)});
    QCOMPARE(storedLockers(home), newLockerSet(fields.value(3).toInt()));
    QCOMPARE(page(w), QStringLiteral("pageDevice"));
    QVERIFY(widget<QLabel>(w, "label_device_information")->text() == activeDeviceText(fields));
}

} // namespace testing
