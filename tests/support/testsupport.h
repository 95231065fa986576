#pragma once

#include "app/mainwindow.h"

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <memory>

class QNetworkAccessManager;

namespace testing {

// A fresh home folder for one test: the window's data root lies under it.
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
    QByteArray m_oldHome;
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

// Runs statements on a store file through a connection of its own, so the
// test sees what is on disk rather than what the window holds in memory.
QList<QVariantList> queryRows(const QString &file, const QString &sql);
bool execSql(const QString &file, const QString &sql);
QByteArray fileBytes(const QString &file);

// Calls a private slot of the window through its meta-object.
bool callBool(MainWindow *w, const char *slot);
int callInt(MainWindow *w, const char *slot);
void callVoid(MainWindow *w, const char *slot);
bool callBool(MainWindow *w, const char *slot, const QString &a);
bool callBool(MainWindow *w, const char *slot, const QString &a, int b);
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

    // Starts the server on a free port; an empty catalogue means the sample.
    bool start(const QString &catalogueFile = QString());
    QString baseUrl() const { return m_url; }

private:
    QProcess m_process;
    QString m_url;
};

} // namespace testing
