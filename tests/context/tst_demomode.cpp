#include "context/DemoMode.h"
#include "model/Preferences.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The demo's portal is not what is tested here: it "starts" without serving.
struct IdlePortal : DemoPortal
{
    bool start(int) override { return true; }
    QString origin() const override { return u"http://127.0.0.1:9"_s; }
};
const DemoPortalFactory idlePortal = [] { return std::make_unique<IdlePortal>(); };

class TestDemoMode : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A relaunched demo keeps the demo's own settings (a language chosen in it); the user's stay as
    // they were; the last instance leaves nothing behind.
    void relaunchKeepsTheDemosOwnSettings()
    {
        QTemporaryDir user;
        const AppPaths userPaths(user.filePath(u"config"_s), user.filePath(u"data"_s));
        QDir().mkpath(userPaths.configDirectory());
        Preferences(userPaths.settingsFile()).setLanguage(u"en"_s);
        QString error;
        QString home;
        {
            DemoMode first(idlePortal);
            QVERIFY2(first.start(userPaths, &error), qPrintable(error));
            home = first.home();
            QCOMPARE(qEnvironmentVariable(DemoMode::kHomeVariable), home);
            Preferences(first.paths().settingsFile()).setLanguage(u"ar"_s);
            first.handOver();
        }
        QVERIFY(QDir(home).exists());
        {
            DemoMode relaunched(idlePortal, home);
            QVERIFY2(relaunched.start(userPaths, &error), qPrintable(error));
            QCOMPARE(relaunched.home(), home);
            QCOMPARE(Preferences(relaunched.paths().settingsFile()).language(), u"ar"_s);
        }
        QVERIFY(!QDir(home).exists());
        QCOMPARE(Preferences(userPaths.settingsFile()).language(), u"en"_s);

        // A folder the variable names that no demo made is neither taken over nor removed.
        DemoMode stray(idlePortal, user.path());
        QVERIFY2(stray.start(userPaths, &error), qPrintable(error));
        QVERIFY(stray.home() != user.path());
        qunsetenv(DemoMode::kHomeVariable);
    }
};

QTEST_GUILESS_MAIN(TestDemoMode)
#include "tst_demomode.moc"
