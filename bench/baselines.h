#pragma once

// Plain Qt doing the visible work of the program, the least each measurement
// can cost. Each returns the milliseconds of one run.

#include "ui_mainwindow.h"

#include <QMainWindow>
#include <QSqlDatabase>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;

namespace bench {

extern const QString LockerColumns;

// A bare QMainWindow with the window's form, shown and painted.
double bareStartUp();

// A GET of the URL on a plain network access manager, until its reply is read.
double plainGet(QNetworkAccessManager &manager, const QUrl &url);

// DELETE and count prepared INSERTs of blank locker rows in one transaction.
double plainRebuild(QSqlDatabase db, int count);

// The window's form on a bare QMainWindow, shown and painted as in the
// start-up baseline, on which the registration baseline shows its change.
struct BareForm
{
    BareForm();
    QMainWindow window;
    Ui_MainWindow form;
};

// A first registration done the plainest way on a store with empty tables:
// the device row with the serial and the default settings row in one
// transaction, the GET, then the reply's record, its timer setting and a
// fresh locker set in a second transaction, and the device folder. Nothing is
// read back from the store. On the bare form it shows what the window shows:
// the first toast at once; after the reply the device page, the four toast
// lines and the device text, until that frame is painted.
struct PlainRegistration
{
    QSqlDatabase db;
    QNetworkAccessManager &manager;
    QUrl url;
    QString serial;
    QString deviceFolder;
    BareForm &bare;

    // The add-device page, painted, as the window shows it before a
    // registration.
    void reset();
    double run();
};

} // namespace bench
