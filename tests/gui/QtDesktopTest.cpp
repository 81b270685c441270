// The Qt desktop starts a Windows player through Wine. $WINE names the loader, so the stand-in
// record-args in its place shows what Wine is given; scripts/test-wine-e2e runs the last test
// with real Wine and record-args cross-built as a Windows program.

#include "app/QtDesktop.h"

#include "platform/PathMapper.h"
#include "scripts/Preview.h"
#include "settings/AppSettings.h"
#include "support/ScopedEnv.h"
#include "support/TempFolder.h"

#include <QTest>

#include <algorithm>

namespace {

// The real desktop, but message boxes are recorded instead of shown.
class RecordingDesktop : public QtDesktop {
public:
    std::vector<std::string> messages;
    void showMessage(const std::string &text, Icon, const std::string &) override { messages.push_back(text); }
};

std::string zPath(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return "Z:" + path;
}

} // namespace

class QtDesktopTest : public QObject {
    Q_OBJECT
private slots:
    void aWindowsPlayerStartsThroughWineOnTheWindowsNameOfTheScript()
    {
#ifdef _WIN32
        QSKIP("Windows programs start directly on Windows");
#endif
        TempFolder folder;
        const std::string recorded = folder.file("arguments.txt");
        ScopedEnv recordTo("TAVRO_RECORD_ARGS_TO", recorded.c_str());
        ScopedEnv wine("WINE", TAVRO_RECORD_ARGS);
        ScopedEnv prefix("WINEPREFIX", folder.file("no prefix").c_str());
        const std::string script = folder.write("test.avs", "Version()\r\n");
        RecordingDesktop desktop;
        AppSettings settings;
        settings.mediaPlayerPath = "/opt/MPC-HC/mpc-hc64.EXE";

        playScript(script, settings, folder.path(), desktop);
        QTRY_COMPARE_WITH_TIMEOUT(readBytes(recorded), "/opt/MPC-HC/mpc-hc64.EXE\n" + zPath(script) + "\n", 10000);
        QVERIFY(desktop.messages.empty());

        ScopedEnv noWine("WINE", folder.file("no wine here").c_str());
        playScript(script, settings, folder.path(), desktop);
        QCOMPARE(desktop.messages.size(), std::size_t(1));
        QVERIFY(QString::fromStdString(desktop.messages[0])
                    .endsWith("\nWine is needed to run /opt/MPC-HC/mpc-hc64.EXE."));
    }

    // With TAVRO_WINE_E2E_PLAYER naming record-args.exe, a prepared WINEPREFIX and wine on PATH.
    void realWineHandsThePlayerTheWindowsName()
    {
        const QByteArray player = qgetenv("TAVRO_WINE_E2E_PLAYER");
        if (player.isEmpty())
            QSKIP("TAVRO_WINE_E2E_PLAYER is not set (scripts/test-wine-e2e sets it)");
        TempFolder folder;
        const std::string recorded = folder.file("arguments.txt");
        // the Windows program opens the file by its Windows name
        ScopedEnv recordTo("TAVRO_RECORD_ARGS_TO", windowsPath(recorded).c_str());
        const std::string script = folder.write("test.avs", "Version()\r\n");
        RecordingDesktop desktop;
        AppSettings settings;
        settings.mediaPlayerPath = player.toStdString();

        playScript(script, settings, folder.path(), desktop);
        QVERIFY(desktop.messages.empty());
        QTRY_COMPARE_WITH_TIMEOUT(readBytes(recorded), windowsPath(script) + "\n", 60000);
        QVERIFY(windowsPath(script).rfind("Z:\\", 0) == 0);
    }
};

QTEST_MAIN(QtDesktopTest)
#include "QtDesktopTest.moc"
