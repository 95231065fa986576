// crash_driver: keeps a real settings window busy writing activations until
// it is killed. tst_crash starts it over and over on one data root, kills it
// with SIGKILL at a random moment and inspects the stores it leaves behind.
//
// Usage: crash_driver HOME SERIAL [FIRST_STEP]
//   HOME        the data root is HOME/QUORVIN/
//   SERIAL      the printed serial registered with the directory server that
//               QUORVIN_SERVER_URL points at
//   FIRST_STEP  where in the step cycle to begin (0..3), so that successive
//               runs are killed in different steps
//
// Standard output, one flushed line each:
//   "ready"                     the device row exists, steps begin
//   "begin N KIND"              step N starts (KIND: Alpha-8, Omega-16, register)
//   "done N KIND ok|failed"     step N has finished
// A step that cannot finish (no reply in time) ends the program with code 2.

#include "activation/lookup.h"
#include "store/paths.h"
#include "store/records.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTest>

#include <cstdio>
#include <cstdlib>

namespace {

using namespace testing;

constexpr int ReplyWaitMs = 5000;

void say(const QByteArray &line)
{
    std::fputs(line.constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// The form has no way back from the device page; an operator would restart
// the program. The driver goes back to the add-device page directly.
void showAddDevicePage(MainWindow &w)
{
    auto *stack = widget<QStackedWidget>(w, "stackedWidget");
    stack->setCurrentWidget(widget<QWidget>(w, "pageAddDevice"));
    QCoreApplication::processEvents();
}

// Manual activation through the form: model button, typed name, activate.
bool activateManually(MainWindow &w, const char *modelButton, const QString &name)
{
    showAddDevicePage(w);
    click(w, "manual_pushButton");
    click(w, modelButton);
    QLineEdit *edit = widget<QLineEdit>(w, "deviceName");
    edit->clear();
    QTest::keyClicks(edit, name);
    click(w, "active_device_pushButton");
    return page(w) == u"pageDevice" && DeviceInfoRecord.dev_name == name;
}

// Registration through the serial entry and the directory server's reply;
// returns once the window has handled the reply.
bool registerSerial(MainWindow &w, const QString &serial)
{
    showAddDevicePage(w);
    if (!submitAndWait(w, serial, {}, ReplyWaitMs)) {
        std::fprintf(stderr, "crash_driver: no reply from the directory server\n");
        std::exit(2);
    }
    return page(w) == u"pageDevice" && lastToast(w) == u"Everything is OK";
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: crash_driver HOME SERIAL [FIRST_STEP]\n");
        return 64;
    }
    store::setDataRoot(QString::fromLocal8Bit(argv[1]) + QStringLiteral("/QUORVIN/"));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString serial = QString::fromLocal8Bit(argv[2]);
    const int firstStep = argc > 3 ? QByteArray(argv[3]).toInt() : 0;

    QApplication app(argc, argv);
    activation::setLookupTimeoutMs(ReplyWaitMs - 1000);
    MainWindow w;
    w.show();
    QCoreApplication::processEvents();

    // The start-up read finds the device row of an earlier run; on a first
    // run the serial is entered to make it.
    if (DeviceInfoRecord.dev_id != serial) {
        registerSerial(w, serial);
        if (DeviceInfoRecord.dev_id != serial) {
            std::fprintf(stderr, "crash_driver: the device row was not made\n");
            return 2;
        }
    }
    say("ready");

    const char *const kinds[] = {"Alpha-8", "register", "Omega-16", "register"};
    for (qint64 step = 1;; ++step) {
        const char *kind = kinds[(firstStep + step - 1) % 4];
        say(QByteArray("begin ") + QByteArray::number(step) + ' ' + kind);
        bool ok = false;
        if (qstrcmp(kind, "Alpha-8") == 0)
            ok = activateManually(w, "R1K08", QStringLiteral("Alpha-8"));
        else if (qstrcmp(kind, "Omega-16") == 0)
            ok = activateManually(w, "S3K16", QStringLiteral("Omega-16"));
        else
            ok = registerSerial(w, serial);
        say(QByteArray("done ") + QByteArray::number(step) + ' ' + kind + (ok ? " ok" : " failed"));
        QCoreApplication::processEvents();
    }
}
