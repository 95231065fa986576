#include "store/records.h"

namespace store {

void resetRecords()
{
    DeviceInfoRecord = {};
    DeviceSettingRecord = {};
    LockerRecord = {};
    MediaRecord = {};
}

} // namespace store
