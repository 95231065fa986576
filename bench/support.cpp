#include "support.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace bench {

void check(bool ok, const QString &what)
{
    if (!ok)
        throw std::runtime_error(what.toStdString());
}

void dropMessage(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

double msSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

void runSql(const QString &file, const QStringList &statements)
{
    const QString name = QStringLiteral("bench_setup");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        check(db.open(), QStringLiteral("cannot open ") + file);
        for (const QString &statement : statements) {
            QSqlQuery query(db);
            check(query.exec(statement),
                  statement + QStringLiteral(": ") + query.lastError().text());
        }
    }
    QSqlDatabase::removeDatabase(name);
}

PaintWatch::PaintWatch(QWidget &widget) : m_widget(widget)
{
    m_widget.installEventFilter(this);
}

PaintWatch::~PaintWatch()
{
    m_widget.removeEventFilter(this);
}

bool PaintWatch::eventFilter(QObject *, QEvent *event)
{
    m_painted = m_painted || event->type() == QEvent::Paint;
    return false;
}

// On the offscreen platform the first paint normally happens while the expose
// event is processed; when it has not, it is forced, so that exactly one paint
// is counted.
void showPainted(QWidget &window)
{
    const PaintWatch seen(window);
    window.show();
    QCoreApplication::processEvents();
    if (!seen.painted())
        window.repaint();
}

// A widget that changes asks its window for an update request, which the
// event loop delivers after the events already queued; delivering it here
// paints just the parts that changed, no more.
void paintPending(QWidget &window, const PaintWatch &frame)
{
    QCoreApplication::sendPostedEvents(&window, QEvent::UpdateRequest);
    check(frame.painted(), QStringLiteral("the frame of the run was not painted"));
}

QByteArray procField(const char *file, const char *key)
{
    QFile proc{QString::fromLatin1(file)};
    if (proc.open(QIODevice::ReadOnly))
        for (const QByteArray &line : proc.readAll().split('\n'))
            if (line.startsWith(key))
                return line.mid(line.indexOf(':') + 1).trimmed();
    return QByteArray();
}

} // namespace bench
