// quorvin-bench: times the settings window against plain Qt doing the same
// visible work in the same process, and prints the medians side by side.
//
//   quorvin-bench [--repeat N] [--rss-runs N]
//
// script/bench builds it with optimisation and runs it on the offscreen
// platform. Everything runs in a scratch home folder; the reference directory
// server is started as a child process on loopback.

#include "baselines.h"
#include "support.h"

#include "activation/lookup.h"
#include "app/mainwindow.h"
#include "resources/resources.h"
#include "store/records.h"
#include "store/schema.h"
#include "ui/fonts.h"
#include "ui/toast.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

using namespace bench;

namespace {

// Active, with 16 lockers, in the server's sample catalogue.
constexpr char Serial[] = "QV16F2024005";
constexpr int WaitMs = 10000;
constexpr int LockerCounts[] = {8, 16, 256, 1024};

struct Medians
{
    double program;
    double baseline;
};

// One untimed warm-up each, then program and baseline alternately, so that
// load from elsewhere on the machine falls on both alike.
Medians measure(int repeat, const std::function<double()> &program,
                const std::function<double()> &baseline)
{
    program();
    settle();
    baseline();
    settle();
    std::vector<double> a, b;
    for (int i = 0; i < repeat; ++i) {
        a.push_back(program());
        settle();
        b.push_back(baseline());
        settle();
    }
    return {median(a), median(b)};
}

// The stores of the active cabinet exactly as the server describes it, so that
// every lookup reply rewrites the same values.
void prepareActiveStore(const QString &root)
{
    check(QDir().mkpath(root), QStringLiteral("cannot make ") + root);
    runSql(root + QStringLiteral("Zelvatto.sql"),
           {QLatin1String(store::CreateDeviceInfoSql), QLatin1String(store::CreateDeviceSettingSql),
            QLatin1String(store::CreateLockersSql), QLatin1String(store::CreateProcessSql),
            QStringLiteral("INSERT INTO device_info (id, dev_id, dev_name, dev_model, dev_lockers, "
                           "dev_location, dev_address, dev_description, dev_status) VALUES (1, "
                           "'%1', 'Riverside Galleria - North Entrance', 'Fjor', 16, "
                           "'Riverside Galleria, level 0, north entrance lobby', "
                           "'300 Quayside Boulevard, Norhaven 6108', "
                           "'Large cabinet with sixteen lockers; weekend peak use.', 1)")
                .arg(QLatin1String(Serial)),
            QStringLiteral("INSERT INTO device_setting (id, dev_timer_system) "
                           "VALUES (1, '08:30-13:00,16:00-21:30')"),
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                           "WHERE i < 16) INSERT INTO lockers (%1) "
                           "SELECT i, '', '', 0, '', 0, '', '', '', '', 0 FROM n")
                .arg(LockerColumns)});
    runSql(
        root + QStringLiteral("Media.sql"),
        {QLatin1String(store::CreateMediaSql),
         QStringLiteral("INSERT INTO media (id, dev_id, path_public_enable, path_private_enable, "
                        "path_local_enable, sound_enable_level) VALUES (1, '%1', 1, 1, 0, 2)")
             .arg(QLatin1String(Serial))});
}

int pageOf(QWidget &window)
{
    return window.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"))->currentIndex();
}

double windowStartUp()
{
    // The records are process-wide; each window starts as a new program would.
    store::resetRecords();
    Toast = ToastLines();
    QElapsedTimer timer;
    timer.start();
    MainWindow window;
    showPainted(window);
    const double ms = msSince(timer);
    check(pageOf(window) == 1, QStringLiteral("the window did not open on the device page"));
    return ms;
}

// Starts the reference directory server on a free loopback port and points
// the window at it. The process ends with the QProcess object.
void startDirectoryServer(QProcess &server)
{
    server.setStandardErrorFile(QProcess::nullDevice()); // one line per request
    server.start(QStringLiteral(DIRECTORY_SERVER_PATH), {"--port", "0"});
    while (!server.canReadLine())
        check(server.waitForReadyRead(WaitMs),
              QStringLiteral("the directory server did not start"));
    qputenv("QUORVIN_SERVER_URL", server.readLine().trimmed());
}

// From the click (the serial already typed) until the reply has been handled:
// the window's handler is connected first, so it has run when the spy fires.
double registration(MainWindow &window)
{
    window.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"))->setCurrentIndex(0);
    settle();
    QSignalSpy finished(window.findChild<QNetworkAccessManager *>(),
                        &QNetworkAccessManager::finished);
    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("add_device_pushButton")),
                      Qt::LeftButton);
    check(finished.wait(WaitMs), QStringLiteral("no reply to the window's lookup"));
    const double ms = msSince(timer);
    check(pageOf(window) == 1 && DeviceInfoRecord.dev_lockers == 16,
          QStringLiteral("the reply did not open the device page"));
    return ms;
}

int callIntSlot(MainWindow &window, const char *slot)
{
    int result = -1;
    check(QMetaObject::invokeMethod(&window, slot, Qt::DirectConnection, Q_RETURN_ARG(int, result)),
          QStringLiteral("cannot call ") + QLatin1String(slot));
    return result;
}

void setLockerCount(MainWindow &window, const QString &mainStore, int count)
{
    runSql(mainStore,
           {QStringLiteral("UPDATE device_info SET dev_lockers=%1 WHERE id=1").arg(count)});
    check(callIntSlot(window, "deviceInfoReadTable") == 1 && DeviceInfoRecord.dev_lockers == count,
          QStringLiteral("the locker count was not read back"));
}

double windowRebuild(MainWindow &window)
{
    QElapsedTimer timer;
    timer.start();
    const int built = callIntSlot(window, "createDatabase");
    const double ms = msSince(timer);
    check(built == 1, QStringLiteral("createDatabase failed"));
    return ms;
}

// Child mode: one window (or the bare form) shown and painted, then its
// resident set size in kB on standard output.
int rssChild(const QString &what)
{
    std::unique_ptr<QMainWindow> window;
    Ui_MainWindow form;
    if (what == QLatin1String("window")) {
        window = std::make_unique<MainWindow>();
    } else {
        window = std::make_unique<QMainWindow>();
        form.setupUi(window.get());
    }
    showPainted(*window);
    std::printf("%s\n", procField("/proc/self/status", "VmRSS:").split(' ').first().constData());
    return 0;
}

double childResidentMb(const char *what)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {"--rss-child", what});
    check(child.waitForFinished(60000) && child.exitCode() == 0,
          QStringLiteral("the memory child failed"));
    const qint64 kb = child.readAllStandardOutput().trimmed().toLongLong();
    check(kb > 0, QStringLiteral("the memory child reported no size"));
    return double(kb) / 1024;
}

void printRow(const char *name, const Medians &m, const char *unit, double limit)
{
    const double ratio = m.program / m.baseline;
    std::printf("%-30s %9.2f %s %9.2f %s %6.2fx  <=%.1fx  %s\n", name, m.program, unit, m.baseline,
                unit, ratio, limit, ratio <= limit ? "PASS" : "MISS");
}

// The window keeps its data under $HOME. The bench points HOME at a scratch
// folder but leaves the font and cache folders where the memory children's
// fontconfig finds them.
void useScratchHome(const QString &home)
{
    const QString realHome = QDir::homePath();
    const std::pair<const char *, const char *> xdg[] = {{"XDG_DATA_HOME", "/.local/share"},
                                                         {"XDG_CACHE_HOME", "/.cache"},
                                                         {"XDG_CONFIG_HOME", "/.config"}};
    for (const auto &[variable, folder] : xdg)
        if (!qEnvironmentVariableIsSet(variable))
            qputenv(variable, (realHome + QLatin1String(folder)).toLocal8Bit());
    qputenv("HOME", home.toLocal8Bit());
}

int run(int repeat, int rssRuns, const QString &home)
{
    const QString root = home + QStringLiteral("/QUORVIN/");
    prepareActiveStore(root);

    std::printf(
        "Quorvin settings benchmark: medians of %d runs, program beside a plain-Qt baseline\n"
        "Machine: %s, %d cores, Qt %s, %s build, platform %s\n"
        "Stores: %s (%s); the store rows include SQLite's disk syncs\n"
        "Program log: dropped by a message handler while measuring "
        "(terminal output not counted)\n\n",
        repeat, procField("/proc/cpuinfo", "model name").constData(), QThread::idealThreadCount(),
        qVersion(), BENCH_BUILD_TYPE, qPrintable(QGuiApplication::platformName()), qPrintable(home),
        QStorageInfo(home).fileSystemType().constData());
    std::fflush(stdout);

    // Memory first, while the store is as prepared; each child starts fresh.
    const Medians memory = measure(
        rssRuns, [] { return childResidentMb("window"); }, [] { return childResidentMb("bare"); });
    const Medians startUp = measure(repeat, windowStartUp, bareStartUp);

    store::resetRecords();
    Toast = ToastLines();
    MainWindow window;
    showPainted(window);
    QProcess server;
    startDirectoryServer(server);
    QTest::keyClicks(window.findChild<QLineEdit *>(QStringLiteral("add_device_edit")),
                     QLatin1String(Serial));
    QNetworkAccessManager manager;
    const QUrl url = activation::lookupUrl(activation::serverBaseUrl(), QLatin1String(Serial));
    const Medians roundTrip = measure(
        repeat, [&] { return registration(window); }, [&] { return plainGet(manager, url); });

    std::vector<Medians> rebuild;
    {
        QSqlDatabase plain = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "bench_plain");
        plain.setDatabaseName(home + QStringLiteral("/plain.sql"));
        check(plain.open(), QStringLiteral("cannot open the plain store"));
        QSqlQuery(plain).exec(QLatin1String(store::CreateLockersSql));
        for (int count : LockerCounts) {
            setLockerCount(window, root + QStringLiteral("Zelvatto.sql"), count);
            rebuild.push_back(measure(
                repeat, [&] { return windowRebuild(window); },
                [&] { return plainRebuild(plain, count); }));
        }
        plain.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench_plain"));

    std::printf("%-30s %12s %12s %7s  %6s  %s\n", "", "program", "baseline", "ratio", "target",
                "result");
    printRow("start-up, shown and painted", startUp, "ms", 1.2);
    printRow("registration round trip", roundTrip, "ms", 1.5);
    for (size_t i = 0; i < rebuild.size(); ++i)
        printRow(qPrintable(QStringLiteral("locker rebuild, %1 lockers").arg(LockerCounts[i])),
                 rebuild[i], "ms", 1.5);
    printRow(qPrintable(QStringLiteral("resident memory (%1 children)").arg(rssRuns)), memory, "MB",
             1.1);

    std::printf("\nRebuild time per locker (us), program / baseline:\n");
    for (size_t i = 0; i < rebuild.size(); ++i)
        std::printf("  %5d lockers: %8.2f / %8.2f\n", LockerCounts[i],
                    rebuild[i].program * 1000 / LockerCounts[i],
                    rebuild[i].baseline * 1000 / LockerCounts[i]);
    const double growth = rebuild[3].program / rebuild[2].program;
    std::printf("Growth 1024/256: program %.2f, baseline %.2f (linear is ~4, target <=5.0)  %s\n",
                growth, rebuild[3].baseline / rebuild[2].baseline, growth <= 5.0 ? "PASS" : "MISS");
    std::printf("\nBaselines: a bare QMainWindow with the same form; a plain QNetworkAccessManager "
                "GET of the same URL;\nDELETE and N prepared INSERTs in one transaction on a "
                "store of the bench's own; memory of the\nbare form. Memory is measured in fresh "
                "child processes.\n");
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(dropMessage);
    QApplication app(argc, argv);
    registerResources();
    gui::substituteMissingFonts();

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption repeatOption("repeat", "Runs per measurement (default 21).", "N",
                                          "21");
    const QCommandLineOption rssOption("rss-runs", "Child processes per memory figure (default 7).",
                                       "N", "7");
    QCommandLineOption childOption("rss-child", "Memory child: window or bare.", "what");
    childOption.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({repeatOption, rssOption, childOption});
    parser.process(app);
    if (parser.isSet(childOption))
        return rssChild(parser.value(childOption));

    QTemporaryDir home;
    useScratchHome(home.path());
    try {
        return run(std::max(1, parser.value(repeatOption).toInt()),
                   std::max(1, parser.value(rssOption).toInt()), home.path());
    } catch (const std::exception &failure) {
        std::fprintf(stderr, "quorvin-bench: %s\n", failure.what());
        return 1;
    }
}
