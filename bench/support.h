#pragma once

// Helpers shared by the benchmark's measurements.

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <vector>

class QWidget;

namespace bench {

// Ends the benchmark with the message when ok is false.
void check(bool ok, const QString &what);

// The window logs every store read; writing that out would time the terminal.
void dropMessage(QtMsgType type, const QMessageLogContext &, const QString &text);

double median(std::vector<double> values);
double msSince(const QElapsedTimer &timer);

// Lets the queued events and deferred deletions of one run finish before the
// next run is timed.
void settle();

// Runs statements on a store file through a connection of the bench's own.
void runSql(const QString &file, const QStringList &statements);

// Shows the window and makes sure its first paint is done.
void showPainted(QWidget &window);

// The value of a "key: value" line of a file under /proc.
QByteArray procField(const char *file, const char *key);

} // namespace bench
