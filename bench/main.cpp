// quorvin-bench: times the settings window against plain Qt doing the same
// work in the same process, and prints the medians side by side.
//
//   quorvin-bench [--repeat N] [--rss-runs N] [--only CASE] [--statements]
//
// script/bench builds it with optimisation and runs it on the offscreen
// platform. Everything runs in a scratch home folder; the reference directory
// server is started as a child process on loopback.

#include "baselines.h"
#include "storecount.h"
#include "support.h"

#include "activation/lookup.h"
#include "app/mainwindow.h"
#include "resources/resources.h"
#include "store/records.h"
#include "ui/fonts.h"
#include "ui/toast.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QStorageInfo>
#include <QSysInfo>
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
using namespace Qt::StringLiterals;

namespace {

// Active, with 16 lockers, in the server's sample catalogue.
constexpr char Serial[] = "QV16F2024005";
constexpr int WaitMs = 10000;
// The cabinets there are have 7, 8 or 16 lockers; 256 and 1024 show how the
// cost grows with the count.
constexpr int LockerCounts[] = {7, 8, 16, 256, 1024};
constexpr int LargestCabinet = 16;
constexpr double StoreTarget = 1.3;
const QString PlainConnection = QStringLiteral("bench_plain");

// A piece of work measured on its own: its name for --only and one timed run.
struct Case
{
    QString key;
    std::function<double()> run;
    // Whether its run is timed by a Stopwatch on connections open beforehand,
    // so that its store work can be counted.
    bool storeCounted = true;
};

// One line of the table: the program against one baseline. A limit of 0
// means the ratio is reported without a target.
struct Row
{
    QString name;
    QString baselineWords;
    const char *unit = "ms";
    double limit = 0;
    double program = 0;
    double baseline = 0;
    // Shown instead of PASS or MISS when there is no limit.
    const char *untargeted = "report";
};

// A row whose store work was also counted, program and baseline.
struct CountedRow
{
    QString name;
    StoreCounts program;
    StoreCounts baseline;
};

class Runner
{
public:
    Runner(int repeat, const QString &only) : m_repeat(repeat), m_only(only) { }

    bool measuresOneCase() const { return !m_only.isEmpty(); }
    int repeat() const { return m_repeat; }

    // Medians of the cases after one untimed warm-up each, the cases taking
    // turns run by run so that load from elsewhere on the machine falls on
    // all alike. With --only, just that case runs and the rest give 0.
    std::vector<double> medians(const std::vector<Case> &cases)
    {
        std::vector<std::vector<double>> times(cases.size());
        for (const Case &c : cases)
            if (takes(c))
                warmUp(c);
        for (int i = 0; i < m_repeat; ++i)
            for (size_t k = 0; k < cases.size(); ++k)
                if (takes(cases[k])) {
                    times[k].push_back(cases[k].run());
                    settle();
                }
        std::vector<double> result;
        for (size_t k = 0; k < cases.size(); ++k)
            result.push_back(times[k].empty() ? 0 : median(times[k]));
        for (size_t k = 0; k < cases.size(); ++k)
            if (measuresOneCase() && takes(cases[k]))
                reportOne(cases[k], result[k]);
        return result;
    }

    bool ranTheOneCase() const { return m_ranOne; }

    // What the stores did in one further run of the case.
    static StoreCounts counted(const Case &c, QStringList *statements = nullptr)
    {
        StoreTrace trace({QLatin1String(QSqlDatabase::defaultConnection), PlainConnection},
                         statements);
        c.run();
        settle();
        return lastRunCounts();
    }

private:
    bool takes(const Case &c) const { return m_only.isEmpty() || c.key == m_only; }

    static void warmUp(const Case &c)
    {
        c.run();
        settle();
    }

    void reportOne(const Case &c, double medianMs)
    {
        m_ranOne = true;
        std::printf("%s: median %.2f ms of %d runs", qPrintable(c.key), medianMs, m_repeat);
        if (c.storeCounted) {
            const StoreCounts counts = counted(c);
            std::printf("; per run %lld statements, %lld commits, %lld disk syncs",
                        counts.statements, counts.commits, counts.syncs);
        }
        std::printf("\n");
    }

    int m_repeat;
    QString m_only;
    bool m_ranOne = false;
};

const QStringList &storeTables()
{
    static const QStringList tables = {store::deviceInfo::CreateSql,
                                       store::deviceSetting::CreateSql, store::process::CreateSql,
                                       store::lockers::CreateSql};
    return tables;
}

// The stores of the active cabinet exactly as the server describes it, so that
// every lookup reply rewrites the same values.
void prepareActiveStore(const QString &root)
{
    check(QDir().mkpath(root), QStringLiteral("cannot make ") + root);
    runSql(root + QStringLiteral("Zelvatto.sql"),
           storeTables()
               + QStringList{
                   QStringLiteral(
                       "INSERT INTO device_info (id, dev_id, dev_name, dev_model, dev_lockers, "
                       "dev_location, dev_address, dev_description, dev_status) VALUES (1, "
                       "'%1', 'Riverside Galleria - North Entrance', 'Fjor', 16, "
                       "'Riverside Galleria, level 0, north entrance lobby', "
                       "'300 Quayside Boulevard, Norhaven 6108', "
                       "'Large cabinet with sixteen lockers; weekend peak use.', 1)")
                       .arg(QLatin1String(Serial)),
                   QStringLiteral("INSERT INTO device_setting (id, dev_timer_system) "
                                  "VALUES (1, '08:30-13:00,16:00-21:30')"),
                   QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM "
                                  "n WHERE i < 16) INSERT INTO lockers (%1) "
                                  "SELECT i, '', '', 0, '', 0, '', '', '', '', 0 FROM n")
                       .arg(LockerColumns)});
    runSql(
        root + QStringLiteral("Media.sql"),
        {store::media::CreateSql,
         QStringLiteral("INSERT INTO media (id, dev_id, path_public_enable, path_private_enable, "
                        "path_local_enable, sound_enable_level) VALUES (1, '%1', 1, 1, 0, 2)")
             .arg(QLatin1String(Serial))});
}

// A store as the program leaves it on first start: its tables, no rows, and
// no device folder yet.
void emptyStore(const QString &file, const QString &deviceFolder)
{
    runSql(file,
           {QStringLiteral("DELETE FROM device_info"), QStringLiteral("DELETE FROM device_setting"),
            QStringLiteral("DELETE FROM lockers")});
    check(QDir(deviceFolder).removeRecursively(), QStringLiteral("cannot remove ") + deviceFolder);
}

bool onDevicePage(QWidget &window)
{
    return window.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"))
               ->currentWidget()
               ->objectName()
           == QLatin1String("pageDevice");
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
    check(onDevicePage(window), QStringLiteral("the window did not open on the device page"));
    return ms;
}

// Starts the reference directory server on a free loopback port and points
// the window at it. The process ends with the QProcess object.
void startDirectoryServer(QProcess &server)
{
    server.setStandardErrorFile(QProcess::nullDevice()); // one line per request
    server.start(QStringLiteral(DIRECTORY_SERVER_PATH), {u"--port"_s, u"0"_s});
    while (!server.canReadLine())
        check(server.waitForReadyRead(WaitMs),
              QStringLiteral("the directory server did not start"));
    qputenv("QUORVIN_SERVER_URL", server.readLine().trimmed());
}

// A first registration, on an empty store, from the click (the serial already
// typed) until the reply has been handled and the frame that shows it painted:
// the window's handler is connected first, so it has run when the spy fires.
double windowRegistration(MainWindow &window, const QString &root)
{
    const QString deviceFolder = root + QLatin1String(Serial);
    emptyStore(root + QStringLiteral("Zelvatto.sql"), deviceFolder);
    // As in a program that has read no device row since it started.
    store::resetRecords();
    Toast = ToastLines();
    window.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"))
        ->setCurrentWidget(window.findChild<QWidget *>(QStringLiteral("pageAddDevice")));
    settle();
    QSignalSpy finished(window.findChild<QNetworkAccessManager *>(),
                        &QNetworkAccessManager::finished);
    const PaintWatch frame(*window.findChild<QLabel *>(QStringLiteral("label_device_information")));
    Stopwatch stopwatch;
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("add_device_pushButton")),
                      Qt::LeftButton);
    check(finished.wait(WaitMs), QStringLiteral("no reply to the window's lookup"));
    paintPending(window, frame);
    const double ms = stopwatch.stopMs();
    check(onDevicePage(window) && DeviceInfoRecord.dev_lockers == LargestCabinet
              && Toast.toastLine4 == QLatin1String("Everything is OK")
              && QDir(deviceFolder).exists(),
          QStringLiteral("the registration did not complete"));
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
    Stopwatch stopwatch;
    const int built = callIntSlot(window, "createDatabase");
    const double ms = stopwatch.stopMs();
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
    child.start(QCoreApplication::applicationFilePath(), {u"--rss-child"_s, QLatin1String(what)});
    check(child.waitForFinished(60000) && child.exitCode() == 0,
          QStringLiteral("the memory child failed"));
    const qint64 kb = child.readAllStandardOutput().trimmed().toLongLong();
    check(kb > 0, QStringLiteral("the memory child reported no size"));
    return double(kb) / 1024;
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

// The plain store: the program's tables in a file of the bench's own, on a
// connection with SQLite's defaults, as the program's.
QSqlDatabase openPlainStore(const QString &home)
{
    QSqlDatabase plain = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), PlainConnection);
    plain.setDatabaseName(home + QStringLiteral("/plain.sql"));
    check(plain.open(), QStringLiteral("cannot open the plain store"));
    for (const QString &statement : storeTables())
        check(QSqlQuery(plain).exec(statement), QStringLiteral("cannot make the plain store"));
    return plain;
}

QString pragmaOf(const QSqlDatabase &db, const char *statement)
{
    QSqlQuery query(db);
    check(query.exec(QLatin1String(statement)) && query.next(),
          QStringLiteral("cannot ask ") + QLatin1String(statement));
    return query.value(0).toString();
}

void printHeader(int repeat, const QString &home, const QSqlDatabase &plain)
{
    const QSqlDatabase program = QSqlDatabase::database();
    const QString journal = pragmaOf(program, "PRAGMA journal_mode");
    const QString synchronous = pragmaOf(program, "PRAGMA synchronous");
    check(journal == pragmaOf(plain, "PRAGMA journal_mode")
              && synchronous == pragmaOf(plain, "PRAGMA synchronous"),
          QStringLiteral("the plain store is not as durable as the program's"));
    std::printf(
        "Quorvin settings benchmark, %s\n"
        "Machine: %s, %s, %d cores, %s\n"
        "Build: Qt %s, %s build, platform %s, SQLite %s\n"
        "Stores: %s (%s); journal_mode %s, synchronous %s (SQLite's defaults)\n"
        "on the program's and the baselines' connections; the store rows include the disk syncs\n"
        "Program log: formatted, then dropped by a message handler while measuring\n"
        "Medians of %d runs; the program and its baselines take turns run by run\n\n",
        qPrintable(QDateTime::currentDateTime().toString(Qt::ISODate)),
        qPrintable(QSysInfo::machineHostName()),
        procField("/proc/cpuinfo", "model name").constData(), QThread::idealThreadCount(),
        qPrintable(QSysInfo::prettyProductName()), qVersion(), BENCH_BUILD_TYPE,
        qPrintable(QGuiApplication::platformName()),
        qPrintable(pragmaOf(plain, "SELECT sqlite_version()")), qPrintable(home),
        QStorageInfo(home).fileSystemType().constData(), qPrintable(journal),
        qPrintable(synchronous), repeat);
    std::fflush(stdout);
}

void printRow(const Row &row)
{
    const double ratio = row.program / row.baseline;
    const QString target =
        row.limit > 0 ? QStringLiteral("<=%1x").arg(row.limit, 0, 'f', 1) : QStringLiteral("-");
    const char *result = row.limit <= 0 ? row.untargeted : ratio <= row.limit ? "PASS" : "MISS";
    std::printf("%-32s %9.2f %s %9.2f %s %6.2fx  %6s  %s\n", qPrintable(row.name), row.program,
                row.unit, row.baseline, row.unit, ratio, qPrintable(target), result);
    std::printf("    baseline: %s\n", qPrintable(row.baselineWords));
}

void printTable(const std::vector<Row> &rows)
{
    std::printf("%-32s %12s %12s %7s  %6s  %s\n", "", "program", "baseline", "ratio", "target",
                "result");
    for (const Row &row : rows)
        printRow(row);
}

void printCounts(const std::vector<CountedRow> &rows)
{
    std::printf("\nStore work of one run, counted in a further run of each:\n"
                "%-32s %22s   %22s\n%-32s %22s   %22s\n",
                "", "program", "baseline", "", "statements commits syncs",
                "statements commits syncs");
    for (const CountedRow &row : rows)
        std::printf("%-32s %10lld %7lld %5lld   %10lld %7lld %5lld\n", qPrintable(row.name),
                    row.program.statements, row.program.commits, row.program.syncs,
                    row.baseline.statements, row.baseline.commits, row.baseline.syncs);
}

// Consecutive repeats of a statement are shown once with their number.
void printStatements(const char *title, const QStringList &statements)
{
    std::printf("\n%s, statements in order:\n", title);
    for (qsizetype i = 0; i < statements.size();) {
        qsizetype same = 1;
        while (i + same < statements.size() && statements[i + same] == statements[i])
            ++same;
        if (same > 1)
            std::printf("  %s  (x%lld)\n", qPrintable(statements[i]), static_cast<long long>(same));
        else
            std::printf("  %s\n", qPrintable(statements[i]));
        i += same;
    }
}

// Everything measured on the one window, after start-up: registrations, then
// locker rebuilds on the store the registrations leave.
struct Measured
{
    std::vector<Row> rows;
    std::vector<CountedRow> counts;
    size_t firstRebuild = 0;
    QStringList programStatements;
    QStringList baselineStatements;
};

// The bare form shows what the window shows after a registration: the same
// page, toast lines and device text.
void checkSameChange(MainWindow &window, const BareForm &bare)
{
    const auto textOf = [](const QWidget &w, const char *label) {
        return w.findChild<QLabel *>(QLatin1String(label))->text();
    };
    bool same =
        onDevicePage(window) == (bare.form.stackedWidget->currentWidget() == bare.form.pageDevice);
    for (const char *label :
         {"labelToast1", "labelToast2", "labelToast3", "labelToast4", "label_device_information"})
        same = same && textOf(window, label) == textOf(bare.window, label);
    check(same, QStringLiteral("the bare form does not show what the window shows"));
}

void measureRegistration(Runner &runner, MainWindow &window, const QString &root,
                         QSqlDatabase plain, Measured &out)
{
    QTest::keyClicks(window.findChild<QLineEdit *>(QStringLiteral("add_device_edit")),
                     QLatin1String(Serial));
    QNetworkAccessManager manager;
    const QUrl url = activation::lookupUrl(activation::serverBaseUrl(), QLatin1String(Serial));
    BareForm bare;
    PlainRegistration plainRegistration{plain,
                                        manager,
                                        url,
                                        QLatin1String(Serial),
                                        QFileInfo(plain.databaseName()).absolutePath()
                                            + QStringLiteral("/plain-") + QLatin1String(Serial),
                                        bare};
    const Case program{QStringLiteral("registration"),
                       [&] { return windowRegistration(window, root); }};
    const Case baseline{QStringLiteral("registration-plain"), [&] {
                            emptyStore(plain.databaseName(), plainRegistration.deviceFolder);
                            plainRegistration.reset();
                            return plainRegistration.run();
                        }};
    const Case bareGet{QStringLiteral("registration-get"), [&] { return plainGet(manager, url); },
                       false};
    const std::vector<double> ms = runner.medians({program, baseline, bareGet});
    if (!runner.measuresOneCase())
        checkSameChange(window, bare);
    out.rows.push_back(
        {QStringLiteral("registration, baseline paints"),
         QStringLiteral("the same GET; the device and settings rows, then the record, its\n"
                        "    timer and the 16 lockers each in one transaction, by plain "
                        "QSqlQuery; no reads;\n    the bare form shows the first toast, then "
                        "the device page, the four toast\n    lines and the device text, until "
                        "that frame is painted, as the window's run"),
         "ms", StoreTarget, ms[0], ms[1]});
    const QString name = QStringLiteral("registration, new serial");
    out.rows.push_back({name, QStringLiteral("a bare GET of the same URL that stores nothing"),
                        "ms", 0, ms[0], ms[2]});
    if (!runner.measuresOneCase())
        out.counts.push_back({name, Runner::counted(program, &out.programStatements),
                              Runner::counted(baseline, &out.baselineStatements)});
}

void measureRebuilds(Runner &runner, MainWindow &window, const QString &root, QSqlDatabase plain,
                     Measured &out)
{
    out.firstRebuild = out.rows.size();
    for (int count : LockerCounts) {
        setLockerCount(window, root + QStringLiteral("Zelvatto.sql"), count);
        const QString key = QStringLiteral("rebuild-%1").arg(count);
        const Case program{key, [&] { return windowRebuild(window); }};
        const Case baseline{key + QStringLiteral("-plain"),
                            [&] { return plainRebuild(plain, count); }};
        const std::vector<double> ms = runner.medians({program, baseline});
        const QString name = QStringLiteral("locker rebuild, %1 lockers").arg(count);
        out.rows.push_back(
            {name,
             QStringLiteral("DELETE and %1 prepared INSERTs in one transaction; no reads, "
                            "no log")
                 .arg(count),
             "ms", count <= LargestCabinet ? StoreTarget : 0, ms[0], ms[1], "growth"});
        if (count <= LargestCabinet && !runner.measuresOneCase())
            out.counts.push_back({name, Runner::counted(program), Runner::counted(baseline)});
    }
}

// Time per locker, and how the time grows between the two largest counts,
// reported without a target.
void printGrowth(const std::vector<Row> &rebuildRows)
{
    std::printf("\nLocker rebuild, time per locker (us), program / baseline:\n");
    for (size_t i = 0; i < rebuildRows.size(); ++i)
        std::printf("  %5d lockers: %8.2f / %8.2f\n", LockerCounts[i],
                    rebuildRows[i].program * 1000 / LockerCounts[i],
                    rebuildRows[i].baseline * 1000 / LockerCounts[i]);
    const size_t last = rebuildRows.size() - 1;
    const Row &small = rebuildRows[last - 1];
    const Row &large = rebuildRows[last];
    const int from = LockerCounts[last - 1];
    const int to = LockerCounts[last];
    std::printf("Each locker from %d to %d adds: program %.2f us, baseline %.2f us\n", from, to,
                (large.program - small.program) * 1000 / (to - from),
                (large.baseline - small.baseline) * 1000 / (to - from));
    std::printf("Growth from %d to %d lockers: program %.2fx, baseline %.2fx "
                "(%.2fx would be proportional)\n",
                from, to, large.program / small.program, large.baseline / small.baseline,
                double(to) / from);
}

// Memory first, while the store is as prepared; each child starts fresh.
Row measureMemory(Runner &runner, int rssRuns)
{
    Row memory{QStringLiteral("resident memory (%1 children)").arg(rssRuns),
               QStringLiteral("the bare form shown and painted in a child process, as the "
                              "window is"),
               "MB", 1.1};
    if (runner.measuresOneCase())
        return memory;
    const std::vector<double> mb = runner.medians(
        {{QStringLiteral("memory"), [] { return childResidentMb("window"); }, false},
         {QStringLiteral("memory-bare"), [] { return childResidentMb("bare"); }, false}});
    memory.program = mb[0];
    memory.baseline = mb[1];
    return memory;
}

Row measureStartUp(Runner &runner)
{
    const std::vector<double> ms =
        runner.medians({{QStringLiteral("start-up"), windowStartUp, false},
                        {QStringLiteral("start-up-bare"), bareStartUp, false}});
    return {QStringLiteral("start-up, shown and painted"),
            QStringLiteral("a bare QMainWindow with the same form, shown and painted"),
            "ms",
            1.2,
            ms[0],
            ms[1]};
}

void printReport(Measured &measured, const Row &memory, bool showStatements)
{
    const std::vector<Row> rebuildRows(measured.rows.begin() + long(measured.firstRebuild),
                                       measured.rows.end());
    measured.rows.push_back(memory);
    printTable(measured.rows);
    printGrowth(rebuildRows);
    printCounts(measured.counts);
    if (showStatements) {
        printStatements("Program, one registration", measured.programStatements);
        printStatements("Baseline, one registration", measured.baselineStatements);
    }
}

int run(Runner &runner, int rssRuns, bool showStatements, const QString &home)
{
    const QString root = home + QStringLiteral("/QUORVIN/");
    prepareActiveStore(root);
    QSqlDatabase plain = openPlainStore(home);
    const Row memory = measureMemory(runner, rssRuns);
    Measured measured;
    measured.rows.push_back(measureStartUp(runner));

    store::resetRecords();
    Toast = ToastLines();
    MainWindow window;
    showPainted(window);
    if (!runner.measuresOneCase())
        printHeader(runner.repeat(), home, plain);
    QProcess server;
    startDirectoryServer(server);
    measureRegistration(runner, window, root, plain, measured);
    measureRebuilds(runner, window, root, plain, measured);
    if (runner.measuresOneCase()) {
        check(runner.ranTheOneCase(), QStringLiteral("no such case; see --help"));
        return 0;
    }
    printReport(measured, memory, showStatements);
    return 0;
}

struct Options
{
    int repeat = 21;
    int rssRuns = 7;
    QString only;
    bool statements = false;
    QString rssChild; // set in a memory child only
};

Options parseOptions(const QApplication &app)
{
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption repeatOption(u"repeat"_s, u"Runs per measurement (default 21)."_s,
                                          u"N"_s, u"21"_s);
    const QCommandLineOption rssOption(
        u"rss-runs"_s, u"Child processes per memory figure (default 7)."_s, u"N"_s, u"7"_s);
    const QCommandLineOption onlyOption(
        u"only"_s,
        u"Runs only this case, N times after a warm-up, and prints its median and the store "
        "work of one further run: start-up, start-up-bare, registration, registration-plain, "
        "registration-get, rebuild-C or rebuild-C-plain with C one of 7, 8, 16, 256, 1024. "
        "Under valgrind --tool=callgrind --collect-atstart=no only the timed runs of the "
        "registration and rebuild cases are collected: N + 2 of them."_s,
        u"case"_s);
    const QCommandLineOption statementsOption(
        u"statements"_s, u"Also lists the statements of one registration, program and baseline."_s);
    QCommandLineOption childOption(u"rss-child"_s, u"Memory child: window or bare."_s, u"what"_s);
    childOption.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({repeatOption, rssOption, onlyOption, statementsOption, childOption});
    parser.process(app);
    return {std::max(1, parser.value(repeatOption).toInt()),
            std::max(1, parser.value(rssOption).toInt()), parser.value(onlyOption),
            parser.isSet(statementsOption), parser.value(childOption)};
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

    const Options options = parseOptions(app);
    if (!options.rssChild.isEmpty())
        return rssChild(options.rssChild);

    QTemporaryDir home;
    useScratchHome(home.path());
    try {
        Runner runner(options.repeat, options.only);
        return run(runner, options.rssRuns, options.statements, home.path());
    } catch (const std::exception &failure) {
        std::fprintf(stderr, "quorvin-bench: %s\n", failure.what());
        return 1;
    }
}
