#pragma once

#include <QSqlDatabase>

namespace store {

// Whether the Main store holds a device row (id 1). A store that cannot be
// asked counts as holding none.
bool deviceRowExists(const QSqlDatabase &db);

} // namespace store
