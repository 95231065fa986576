#include "app/singlecopy.h"

#include "platform/platform.h"

#include <QCryptographicHash>
#include <QLocalSocket>
#include <QWidget>

namespace {
constexpr int AnswerWaitMs = 1000;
} // namespace

SingleCopy::SingleCopy(const QString &name, QObject *parent) : QObject(parent), m_name(name)
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *caller = m_server.nextPendingConnection()) {
            caller->disconnectFromServer();
            caller->deleteLater();
            emit anotherCopyStarted();
        }
    });
}

bool SingleCopy::claim()
{
    if (handOverToRunningCopy())
        return false;
    // Only this account may connect.
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (m_server.listen(m_name))
        return true;
    if (m_server.serverError() != QAbstractSocket::AddressInUseError)
        return true;
    // Another copy that started at the same moment, or the socket file of
    // one that ended without removing it (on systems where it is a file).
    if (handOverToRunningCopy())
        return false;
    QLocalServer::removeServer(m_name);
    m_server.listen(m_name);
    return true;
}

bool SingleCopy::handOverToRunningCopy()
{
    QLocalSocket running;
    running.connectToServer(m_name);
    if (!running.waitForConnected(AnswerWaitMs))
        return false;
    platform::allowOtherCopyToComeForward();
    // The connection itself is the request; the running copy closes it.
    running.waitForDisconnected(AnswerWaitMs);
    return true;
}

QString singleCopyName(const QString &dataRoot)
{
    const QByteArray root =
        QCryptographicHash::hash(dataRoot.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return QStringLiteral("quorvin-settings-%1-%2").arg(platform::accountId(), QLatin1String(root));
}

void bringToFront(QWidget &window)
{
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}
