#pragma once

// Helpers shared by the benchmark's measurements.

#include <QElapsedTimer>
#include <QObject>
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

// Notes whether a widget is painted while the watch lives.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QWidget &widget);
    ~PaintWatch() override;
    PaintWatch(const PaintWatch &) = delete;
    PaintWatch &operator=(const PaintWatch &) = delete;

    bool painted() const { return m_painted; }
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget &m_widget;
    bool m_painted = false;
};

// Paints what the window has left to paint, as its next turn of the event
// loop would, and ends the benchmark unless the watched widget has been
// painted by then: the frame that shows the end of a run.
void paintPending(QWidget &window, const PaintWatch &frame);

// The value of a "key: value" line of a file under /proc.
QByteArray procField(const char *file, const char *key);

} // namespace bench
