#pragma once

// Counts of what the stores do within a timed run: disk syncs always,
// statements and commits while a StoreTrace is installed.

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <vector>

struct sqlite3;

namespace bench {

struct StoreCounts
{
    qint64 statements = 0;
    qint64 commits = 0;
    qint64 syncs = 0;
};

// Times one run. Between start and stop it also notes the store counts, which
// lastRunCounts() gives after stop.
class Stopwatch
{
public:
    Stopwatch() { start(); }
    void start();
    double stopMs();

private:
    QElapsedTimer m_timer;
    StoreCounts m_atStart;
};

StoreCounts lastRunCounts();

// While it lives, every statement run and every commit on those of the named
// SQLite connections that are open is counted; statement texts are appended
// to the list when one is given.
class StoreTrace
{
public:
    explicit StoreTrace(const QStringList &connectionNames, QStringList *statements = nullptr);
    ~StoreTrace();
    StoreTrace(const StoreTrace &) = delete;
    StoreTrace &operator=(const StoreTrace &) = delete;

private:
    std::vector<sqlite3 *> m_handles;
};

} // namespace bench
