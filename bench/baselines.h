#pragma once

// Plain Qt doing the visible work of the program, the least each measurement
// can cost. Each returns the milliseconds of one run.

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

// A first registration done the plainest way on a store with empty tables:
// the device row with the serial and the default settings row in one
// transaction, the GET, then the reply's record, its timer setting and a
// fresh locker set in a second transaction, and the device folder. Nothing is
// read back from the store.
double plainRegistration(QSqlDatabase db, QNetworkAccessManager &manager, const QUrl &url,
                         const QString &serial, const QString &deviceFolder);

} // namespace bench
