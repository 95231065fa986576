// The window's store slots: each runs its store operation and does with the
// result what the window does (its process-wide record, its toasts).

#include "app/mainwindow.h"

#include "store/deviceinfo.h"
#include "store/devicesetting.h"
#include "store/lockers.h"
#include "store/log.h"
#include "store/media.h"
#include "store/process.h"
#include "ui_mainwindow.h"

using store::logLine;

namespace {
// Reads a single-record table into its process-wide copy and logs it: 1 when
// the record was found, 0 (the copy unchanged) when it was not or the store
// cannot be opened.
template<typename Record>
int readInto(QSqlDatabase &db, std::optional<Record> (*read)(const QSqlDatabase &), Record &copy,
             void (*log)(const Record &))
{
    if (!store::ensureOpen(db))
        return 0;
    const std::optional<Record> found = read(db);
    if (!found)
        return 0;
    copy = *found;
    log(copy);
    return 1;
}

// Checks the locker set of the device's count, and logs and keeps its rows as
// they are read: 1 when every locker has a row.
int readLockersInto(QSqlDatabase &db, store::lockers::SetSelect &select)
{
    const int count = DeviceInfoRecord.dev_lockers;
    if (count <= 0 || count > store::lockers::MaxCount || !store::ensureOpen(db))
        return 0;
    const bool complete = store::lockers::readSet(select, count, [](const Locker &locker) {
        LockerRecord = locker;
        store::lockers::log(locker);
    });
    return complete ? 1 : 0;
}
} // namespace

bool MainWindow::deviceInfoCreateTable()
{
    return store::deviceInfo::create(mainDb).done;
}

bool MainWindow::deviceSettingCreateTable()
{
    return store::deviceSetting::create(mainDb).done;
}

bool MainWindow::lockersCreateTable()
{
    return store::lockers::create(mainDb).done;
}

bool MainWindow::processCreateTable()
{
    return store::process::create(mainDb).done;
}

bool MainWindow::mediaCreateTable()
{
    return store::ensureOpen(mediaDb) && store::media::create(mediaDb).done;
}

int MainWindow::deviceInfoReadTable()
{
    return readInto(mainDb, store::deviceInfo::read, DeviceInfoRecord, store::deviceInfo::log);
}

int MainWindow::mediaPathReadTable()
{
    if (!store::ensureOpen(mediaDb)) {
        logLine() << "Media DB is closed and cannot be opened!";
        return 0;
    }
    const std::optional<MediaSetting> media = store::media::read(mediaDb);
    if (!media)
        return 0;
    MediaRecord = *media;
    // The level is set with the slider's signals blocked, so the change
    // handler does not run for it; the picture is updated here instead.
    const bool wasBlocked = ui->sound_level->blockSignals(true);
    ui->sound_level->setValue(MediaRecord.sound_enable_level);
    SoundShow();
    store::media::log(MediaRecord);
    ui->sound_level->blockSignals(wasBlocked);
    return 1;
}

int MainWindow::deviceSettingReadTable()
{
    return readInto(mainDb, store::deviceSetting::read, DeviceSettingRecord,
                    store::deviceSetting::log);
}

bool MainWindow::deviceSettingAddTable()
{
    return store::deviceSetting::insertDefaults(mainDb).done;
}

bool MainWindow::deviceInfoAddTable(const QString &dev_id)
{
    return store::deviceInfo::insert(mainDb, dev_id).done;
}

bool MainWindow::deviceInfoUpdateIDTable(const QString &dev_id, int dev_status)
{
    return store::deviceInfo::updateId(mainDb, dev_id, dev_status).done;
}

bool MainWindow::deviceInfoUpdateTable(const QString &dev_name, const QString &dev_model,
                                       int dev_lockers, const QString &dev_location,
                                       const QString &dev_address, const QString &dev_description,
                                       int dev_status)
{
    return store::deviceInfo::update(mainDb, {dev_name, dev_model, dev_lockers, dev_location,
                                              dev_address, dev_description, dev_status})
        .done;
}

int MainWindow::lockersReadTable()
{
    store::lockers::SetSelect select(mainDb);
    return readLockersInto(mainDb, select);
}

bool MainWindow::LockersDeleteTable()
{
    return store::lockers::removeAll(mainDb).done;
}

bool MainWindow::lockerInsertTable()
{
    return store::lockers::replaceSet(mainDb, DeviceInfoRecord.dev_lockers).done;
}

int MainWindow::createDatabase()
{
    const int count = DeviceInfoRecord.dev_lockers;
    if (!store::lockers::countInRange(count))
        return 0;
    // The set as it stands is read (and logged) first; the rows it holds are
    // replaced inside the insert transaction. Both reads, as lockersReadTable
    // makes them, share one prepared select.
    store::lockers::SetSelect select(mainDb);
    readLockersInto(mainDb, select);
    if (!lockersCreateTable())
        return 0;
    int removed = 0;
    const bool replaced = store::lockers::replaceSet(mainDb, count, &removed).done;
    // Told only once the replacement has landed: a rebuild that is rolled
    // back has cleared nothing.
    if (replaced && removed > 0)
        showErrorDisplay(QStringLiteral("All Locker cleared!"), 0);
    showErrorDisplay(QStringLiteral("Locker db create! OK"), 0);
    if (!replaced)
        return 0;
    showErrorDisplay(QStringLiteral("Lockers insert! OK"), 0);
    return readLockersInto(mainDb, select);
}
