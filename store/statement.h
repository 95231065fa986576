#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <optional>

namespace store {

// What a statement did: done, or not with the store's own error text.
struct Result
{
    bool done = false;
    QString error;

    static Result success() { return Result{true, QString()}; }
    static Result failure(const QString &error) { return Result{false, error}; }
    explicit operator bool() const { return done; }
};

// A statement prepared once on a fresh query and run as often as needed, each
// time with its values bound in placeholder order. A failure is written to the
// log as the label followed by the store's error text, when a label is given.
class Statement
{
public:
    Statement(const QSqlDatabase &db, const QString &sql, const char *failureLabel = nullptr);

    Result run(const QVariantList &values = {});

private:
    QSqlQuery m_query;
    bool m_prepared = false;
    const char *m_failureLabel = nullptr;
};

// Prepares, binds and runs one statement.
Result run(const QSqlDatabase &db, const QString &sql, const QVariantList &values = {},
           const char *failureLabel = nullptr);

// Runs a fixed text (table creation, delete) directly, without preparing it.
Result runDirect(const QSqlDatabase &db, const QString &sql, const char *failureLabel = nullptr);

// Runs a select directly and moves to the first row whose column 0, the record
// key, is 1; rows before it are skipped and rows after it are not looked at.
// False when no row has key 1, also when the select failed (logged with the
// label, when one is given).
bool seekRecordOne(QSqlQuery &query, const QString &select, const char *failureLabel = nullptr);

// Whether the single-record table holds a row with id 1. A table that does
// not exist yet holds none: that is an answer too. Nothing when the store
// could not be asked (locked by another program, unreadable, a table without
// the key), logged with the label when one is given.
std::optional<bool> hasRecordOne(const QSqlDatabase &db, const QString &table,
                                 const char *failureLabel = nullptr);

// Opens the store; a store file that is not there yet is made first, for the
// account alone, rather than left to SQLite, which would let every account
// read it. SQLite's journals take the rights of their store.
bool open(QSqlDatabase &db);

// Opens the store when it is closed; false when it cannot be opened.
bool ensureOpen(QSqlDatabase &db);

} // namespace store
