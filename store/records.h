#pragma once

// Every table of the two stores, with its process-wide record.
#include "store/deviceinfo.h"
#include "store/devicesetting.h"
#include "store/lockers.h"
#include "store/media.h"
#include "store/process.h"

namespace store {

// Empties the four records, as at program start. The program never calls it;
// a harness that builds several windows in one process does.
void resetRecords();

} // namespace store
