#include "cli/DemoMode.h"
#include "model/Preferences.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {
// The demo's portal is not what is tested here: it "starts" without serving.
class IdlePortal : public DemoPortal
{
public:
    bool start(int) override { return true; }
    QString origin() const override { return QStringLiteral("http://127.0.0.1:9"); }
};

DemoPortalFactory idlePortal()
{
    return [] { return std::make_unique<IdlePortal>(); };
}
} // namespace

class TestDemoMode : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A relaunched demo keeps the demo's own settings (a language chosen in it); the user's stay as
    // they were; the last instance leaves nothing behind.
    void relaunchKeepsTheDemosOwnSettings()
    {
        QTemporaryDir user;
        const AppPaths userPaths(user.filePath(QStringLiteral("config")),
                                 user.filePath(QStringLiteral("data")));
        QDir().mkpath(userPaths.configDirectory());
        Preferences(userPaths.settingsFile()).setLanguage(QStringLiteral("en"));
        QString error;
        QString home;
        {
            DemoMode first(idlePortal());
            QVERIFY2(first.start(userPaths, &error), qPrintable(error));
            home = first.home();
            QCOMPARE(qEnvironmentVariable(DemoMode::kHomeVariable), home);
            Preferences(first.paths().settingsFile()).setLanguage(QStringLiteral("ar"));
            first.handOver();
        }
        QVERIFY(QDir(home).exists());
        {
            DemoMode relaunched(idlePortal(), home);
            QVERIFY2(relaunched.start(userPaths, &error), qPrintable(error));
            QCOMPARE(relaunched.home(), home);
            QCOMPARE(Preferences(relaunched.paths().settingsFile()).language(), QStringLiteral("ar"));
        }
        QVERIFY(!QDir(home).exists());
        QCOMPARE(Preferences(userPaths.settingsFile()).language(), QStringLiteral("en"));

        // A folder the variable names that no demo made is neither taken over nor removed.
        DemoMode stray(idlePortal(), user.path());
        QVERIFY2(stray.start(userPaths, &error), qPrintable(error));
        QVERIFY(stray.home() != user.path());
        qunsetenv(DemoMode::kHomeVariable);
    }
};

QTEST_GUILESS_MAIN(TestDemoMode)
#include "tst_demomode.moc"
