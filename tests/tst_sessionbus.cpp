// The display's hold on a private bus whose screen saver (desktop/screensaver.py) is started by the
// first push's call, comes onto the bus as that call is on its way, or is replaced, stopped, or
// stopped and started again mid-game. The owner alone holds, once, while a clock runs; no process
// is sent a cookie it did not grant; once let go, nothing is held and no service was started.

#include "testsupport.h"

#include <awakeways.h>

#include <QDBusConnectionInterface>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

using clockcore::Side;

namespace {
const QString serviceName = QStringLiteral("org.freedesktop.ScreenSaver");
const QString python = QStringLiteral("/usr/bin/python3"); // Debian's, which has GLib's bindings
constexpr int newOwnerHoldsWithinMilliseconds = 3000;
// Time for a late cookie or a release to the wrong process to reach a service.
constexpr int lateEffectsMilliseconds = 300;
} // namespace

class SessionBusTest : public QObject, protected testsupport::ClockWindowFixture
{
    Q_OBJECT

private:
    static QDBusConnectionInterface* bus() { return QDBusConnection::sessionBus().interface(); }
    static QString owner() { return bus()->serviceOwner(serviceName).value(); }
    void startService(const char* option = "")
    {
        QVERIFY(QProcess::startDetached(python, {SCREENSAVER_SERVICE, m_folder.path(), option}));
    }
    QFileInfoList records() const { return QDir(m_folder.path()).entryInfoList({"*.json"}); }
    // One entry for each hold of a service process still on the bus, named after the process, and
    // one for each release that a process was sent for a cookie that it had not granted.
    QStringList holders() const
    {
        QStringList entries;
        for (const QFileInfo& entry : records()) {
            QFile file(entry.filePath());
            const QJsonObject record =
                QJsonDocument::fromJson(file.open(QFile::ReadOnly) ? file.readAll() : QByteArray())
                    .object();
            const QString name = record["name"].toString();
            const bool onBus = bus()->isServiceRegistered(name);
            entries += QStringList(onBus ? record["holds"].toArray().size() : 0, name);
            entries += QStringList(record["stray"].toInt(), "stray release to " + name);
        }
        return entries;
    }

private slots:
    void initTestCase()
    {
        const auto write = [this](const QString& name, const QString& text) {
            QFile file(m_folder.filePath(name));
            return file.open(QFile::WriteOnly) && file.write(text.toUtf8()) == text.size();
        };
        QVERIFY(QDir(m_folder.path()).mkdir("services"));
        QVERIFY(write("services/screensaver.service",
                      QString("[D-BUS Service]\nName=%1\nExec=%2 %3 %4\n")
                          .arg(serviceName, python, SCREENSAVER_SERVICE, m_folder.path())));
        QVERIFY(write("bus.conf", QString(R"(<busconfig><type>session</type>
<listen>unix:dir=%1</listen><servicedir>%1/services</servicedir><policy context="default">
<allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/>
</policy></busconfig>)")
                                      .arg(m_folder.path())));
        m_daemon.start("dbus-daemon", {"--nofork", "--print-address",
                                       "--config-file=" + m_folder.filePath("bus.conf")});
        QVERIFY(m_daemon.waitForReadyRead());
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_daemon.readLine().trimmed());
        // The test's own bus, not one that something connected to before.
        QVERIFY(bus()->activatableServiceNames().value().contains(serviceName));
    }
    void cleanupTestCase()
    {
        m_daemon.terminate();
        QVERIFY(m_daemon.waitForFinished());
    }
    void init()
    {
        QVERIFY(openClockWindow());
        std::vector<std::unique_ptr<AwakeWay>> ways;
        ways.push_back(sessionBusWay(*form));
        form->setKeepAwake(keepAwakeThrough(std::move(ways)));
    }
    void cleanup()
    {
        closeClockWindow();
        for (const QFileInfo& record : records()) {
            ::kill(record.baseName().toInt(), SIGTERM);
            QFile::remove(record.filePath());
        }
        QTRY_VERIFY(owner().isEmpty());
    }

    void holdFollowsTheOwner_data()
    {
        QTest::addColumn<QString>("service");
        QTest::addColumn<QString>("end");
        for (const char* service : {"activated", "racing", "replaced", "stopped", "restarted"}) {
            for (const char* end : {"pause", "time-out", "reset"}) {
                QTest::addRow("%s, %s", service, end) << QString(service) << QString(end);
            }
        }
    }
    void holdFollowsTheOwner()
    {
        QFETCH(QString, service);
        QFETCH(QString, end);
        if (service != "activated") {
            startService(); // racing: still starting up as the push's call goes out
            QTRY_VERIFY(service == "racing" || !owner().isEmpty());
        }
        pushBy(Side::Left); // the right clock runs
        QTRY_VERIFY(!owner().isEmpty());
        QTRY_COMPARE(holders().join(' '), owner());
        const QString first = owner();
        if (service == "stopped" || service == "restarted") {
            QCOMPARE(::kill(static_cast<pid_t>(bus()->servicePid(first).value()), SIGTERM), 0);
            QTRY_VERIFY(owner().isEmpty());
        }
        if (service == "replaced" || service == "restarted") {
            startService(service == "replaced" ? "--replace" : "");
            QTRY_VERIFY(!owner().isEmpty() && owner() != first);
        }
        QTRY_COMPARE_WITH_TIMEOUT(holders().join(' '), owner(), newOwnerHoldsWithinMilliseconds);

        m_daemon.readAllStandardError(); // what the bus logged before the let-go
        if (end == "time-out") {
            form->clockState().rightSeconds = 1;
            QVERIFY(tick(Side::Right));
        } else {
            end == "pause" ? form->CommPause_Click() : form->CommReset_Click();
        }
        // Asking who is on the bus is a round trip after the let-go's messages, which the bus has
        // logged by then if one of them started a service.
        QTRY_COMPARE(holders().join(' '), QString());
        QTest::qWait(lateEffectsMilliseconds);
        QCOMPARE(holders().join(' '), QString());
        QVERIFY(!m_daemon.readAllStandardError().contains("Activating"));
    }

private:
    QTemporaryDir m_folder;
    QProcess m_daemon;
};

QTEST_MAIN(SessionBusTest)
#include "tst_sessionbus.moc"
