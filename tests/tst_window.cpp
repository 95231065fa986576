#include "support/testsupport.h"

#include <QtTest>

using namespace testing;

class WindowTest : public QObject
{
    Q_OBJECT
private slots:
    void firstRunCreatesStores();
};

void WindowTest::firstRunCreatesStores()
{
    TestHome home;
    MainWindow w;
    QCOMPARE(toastLabels(&w).last(), QStringLiteral("Database Created! Insert printed serial number!"));
    QVERIFY(QFile::exists(home.mainStore()));
}

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
