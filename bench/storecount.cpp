#include "storecount.h"

#include "support.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include <atomic>
#include <dlfcn.h>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_TOGGLE_COLLECT
#endif

namespace {
// The two functions of SQLite's C interface the trace needs, taken from the
// library the Qt driver has loaded, so that the bench needs neither SQLite's
// headers nor a link of its own.
constexpr unsigned TraceStatement = 0x01; // SQLITE_TRACE_STMT
using TraceFunction = int (*)(sqlite3 *, unsigned, int (*)(unsigned, void *, void *, void *),
                              void *);
using CommitHookFunction = void *(*)(sqlite3 *, int (*)(void *), void *);

struct SqliteInterface
{
    TraceFunction trace;
    CommitHookFunction commitHook;
};

const SqliteInterface &sqlite()
{
    static const SqliteInterface functions = [] {
        void *library = dlopen("libsqlite3.so.0", RTLD_NOW | RTLD_NOLOAD);
        bench::check(library != nullptr, QStringLiteral("SQLite is not loaded"));
        return SqliteInterface{
            reinterpret_cast<TraceFunction>(dlsym(library, "sqlite3_trace_v2")),
            reinterpret_cast<CommitHookFunction>(dlsym(library, "sqlite3_commit_hook"))};
    }();
    bench::check(functions.trace && functions.commitHook,
                 QStringLiteral("SQLite's trace functions are missing"));
    return functions;
}

std::atomic<qint64> syncCount{0};
qint64 statementCount = 0;
qint64 commitCount = 0;
QStringList *statementTexts = nullptr;
bench::StoreCounts lastRun;

bench::StoreCounts countedSoFar()
{
    return {statementCount, commitCount, syncCount.load()};
}

int noteStatement(unsigned, void *, void *, void *sql)
{
    ++statementCount;
    if (statementTexts)
        statementTexts->append(QString::fromUtf8(static_cast<const char *>(sql)));
    return 0;
}

int noteCommit(void *)
{
    ++commitCount;
    return 0; // 0 lets the commit go ahead
}

// The SQLite handle of an open connection, or null.
sqlite3 *handleOf(const QString &connectionName)
{
    const QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (!db.isOpen())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    bench::check(handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0,
                 QStringLiteral("no SQLite handle for ") + connectionName);
    return *static_cast<sqlite3 *const *>(handle.constData());
}

template<typename Function>
Function realFunction(const char *name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}
} // namespace

// SQLite makes its writes durable with fdatasync (fsync where that is missing).
// The bench executable exports these two, so every call in the process,
// SQLite's included, passes through here and is counted.
extern "C" int fdatasync(int fd)
{
    static const auto real = realFunction<int (*)(int)>("fdatasync");
    ++syncCount;
    return real(fd);
}

extern "C" int fsync(int fd)
{
    static const auto real = realFunction<int (*)(int)>("fsync");
    ++syncCount;
    return real(fd);
}

namespace bench {

// Under valgrind --tool=callgrind --collect-atstart=no, only the timed runs
// are collected; elsewhere the toggle does nothing.
void Stopwatch::start()
{
    m_atStart = countedSoFar();
    CALLGRIND_TOGGLE_COLLECT;
    m_timer.start();
}

double Stopwatch::stopMs()
{
    const double ms = double(m_timer.nsecsElapsed()) / 1e6;
    CALLGRIND_TOGGLE_COLLECT;
    const StoreCounts now = countedSoFar();
    lastRun = {now.statements - m_atStart.statements, now.commits - m_atStart.commits,
               now.syncs - m_atStart.syncs};
    return ms;
}

StoreCounts lastRunCounts()
{
    return lastRun;
}

StoreTrace::StoreTrace(const QStringList &connectionNames, QStringList *statements)
{
    for (const QString &name : connectionNames)
        if (sqlite3 *db = handleOf(name))
            m_handles.push_back(db);
    statementTexts = statements;
    for (sqlite3 *db : m_handles) {
        sqlite().trace(db, TraceStatement, noteStatement, nullptr);
        sqlite().commitHook(db, noteCommit, nullptr);
    }
}

StoreTrace::~StoreTrace()
{
    for (sqlite3 *db : m_handles) {
        sqlite().trace(db, 0, nullptr, nullptr);
        sqlite().commitHook(db, nullptr, nullptr);
    }
    statementTexts = nullptr;
}

} // namespace bench
