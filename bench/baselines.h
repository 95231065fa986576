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

} // namespace bench
