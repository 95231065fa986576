#pragma once

#include <QSqlDatabase>

namespace store {

// Whether the Main store holds a device row (id 1). A store that cannot be
// asked counts as holding none; *asked, when given, is false in that case.
bool deviceRowExists(const QSqlDatabase &db, bool *asked = nullptr);

} // namespace store
