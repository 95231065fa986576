#pragma once

#include <QString>

struct DeviceInfo;

namespace activation {

// "Active" for 1, "Disable" for 2, "Deactive" for anything else.
QString statusWord(int devStatus);

// The eight-line device text of the device page. Fields are filled in one
// pass, so a "%1" inside a stored field is shown as it stands.
QString deviceInformationText(const DeviceInfo &info);

} // namespace activation
