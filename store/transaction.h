#pragma once

#include <QSqlDatabase>
#include <QString>

namespace store {

// A unit of writes on one store that lands whole or not at all. Built on
// SQLite savepoints, so units nest: an inner unit becomes part of the outer
// one, and only the outermost commit reaches the file. A unit that is neither
// committed nor rolled back is rolled back when it goes out of scope.
//
// A unit that cannot begin or commit writes its caller's label and the store's
// error text to the log.
class Transaction
{
public:
    struct Labels
    {
        const char *begin;
        const char *commit;
    };

    Transaction(const QSqlDatabase &db, const char *name, Labels failureLabels);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    bool isActive() const { return m_active; }
    // The store's error text when beginning or committing failed.
    QString errorText() const { return m_error; }

    bool commit();
    void rollback();

private:
    bool run(const QString &statement);

    QSqlDatabase m_db;
    QString m_name;
    Labels m_labels;
    QString m_error;
    bool m_active = false;
    bool m_outermost = false;
};

} // namespace store
