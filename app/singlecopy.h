#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

class QWidget;

// One running copy of the program per account and data root. The first copy
// listens on a local socket of a name made of both; a second one finds it
// there, asks it to bring its window to the front, and ends. Two windows on
// the same stores would each write them from their own picture of them.
class SingleCopy : public QObject
{
    Q_OBJECT

public:
    explicit SingleCopy(const QString &name, QObject *parent = nullptr);

    // True when no other copy answers: this one now listens (or, when it
    // cannot, runs all the same). False when another copy was asked to come
    // forward, and this one should end.
    bool claim();

signals:
    // A later copy was started and has ended.
    void anotherCopyStarted();

private:
    bool handOverToRunningCopy();

    QString m_name;
    QLocalServer m_server;
};

// The socket's name for the account that runs the program and a data root.
QString singleCopyName(const QString &dataRoot);

// Shows the window in front of the others, restored if it was minimised.
void bringToFront(QWidget &window);
