// Start-up, the settings profile, board styles, the main frame and its commands.
#include "AppTestSupport.h"

#include "Bitmap2.h"
#include "MainFrm.h"
#include "mfc/KeyState.h"
#include "mfc/Resource.h"
#include "res/Icons.h"
#include "res/Resource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QStatusBar>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// The application's settings that the profile keeps.
struct Settings {
    bool showValidMoves, showLastMove, showNextMove, showEvals, moveBeep;
    int autopass, autoforce, autosaveMine, autosaveOthers;
    std::string autosaveFolder;
    bool showServers, unifiedChat;
    CBoardStyle* style;
    std::string serverLogin;
};

const Settings kDefaults = {true, true, true, true, false, 1, 0, 1, 1, "", false, false,
                            &CBoardStyle::space, "/os"};
// Every value differs from its default.
const Settings kChanged = {false, false, false, false, true, 2, 1, 0, 2, "/home/someone/games", true, true,
                           &CBoardStyle::wood, "/xs"};

void Apply(CTavoApp& app, const Settings& settings)
{
    app.fShowValidMoves = settings.showValidMoves;
    app.fShowLastMove = settings.showLastMove;
    app.fShowNextMove = settings.showNextMove;
    app.fShowEvals = settings.showEvals;
    app.fMoveBeep = settings.moveBeep;
    app.nAutopass = settings.autopass;
    app.nAutoforce = settings.autoforce;
    app.nAutosaveMine = settings.autosaveMine;
    app.nAutosaveOthers = settings.autosaveOthers;
    app.fnAutosave = settings.autosaveFolder;
    app.fShowServers = settings.showServers;
    app.fUnifiedChat = settings.unifiedChat;
    app.pBoardStyle = settings.style;
    app.sServerLogin = settings.serverLogin;
}

void ExpectSettings(const CTavoApp& app, const Settings& expected)
{
    EXPECT_EQ(app.fShowValidMoves, expected.showValidMoves);
    EXPECT_EQ(app.fShowLastMove, expected.showLastMove);
    EXPECT_EQ(app.fShowNextMove, expected.showNextMove);
    EXPECT_EQ(app.fShowEvals, expected.showEvals);
    EXPECT_EQ(app.fMoveBeep, expected.moveBeep);
    EXPECT_EQ(app.nAutopass, expected.autopass);
    EXPECT_EQ(app.nAutoforce, expected.autoforce);
    EXPECT_EQ(app.nAutosaveMine, expected.autosaveMine);
    EXPECT_EQ(app.nAutosaveOthers, expected.autosaveOthers);
    EXPECT_EQ(app.fnAutosave, expected.autosaveFolder);
    EXPECT_EQ(app.fShowServers, expected.showServers);
    EXPECT_EQ(app.fUnifiedChat, expected.unifiedChat);
    EXPECT_EQ(app.GetBoardStyle(), expected.style);
    EXPECT_EQ(app.GetServerLogin(), expected.serverLogin);
}

} // namespace

TEST(Startup, WritesTheStartLogAndRegistersTheFileType)
{
    TestApp app;
    ASSERT_TRUE(app.Start());
    EXPECT_EQ(ReadFile(TestHome() + QStringLiteral("/startlog.txt")),
              "CTavoApp::CTavoApp()\n"
              "CTavoApp::InitInstance()\n"
              "Enabled 3d controls\n"
              "Got MFN\n"
              "Version: Version 0.75\n"
              "Successfully completed startup\n");
    EXPECT_EQ(app.pStartLog, nullptr);
    EXPECT_EQ(app.pStream, nullptr);
    EXPECT_TRUE(app.fComCtl471);
    EXPECT_NE(app.GetShutdownMutex(), nullptr);

    // The program's own path, and its folder with the trailing separator.
    EXPECT_EQ(QFileInfo(ToQ(app.GetModulePath())).fileName(), QStringLiteral("app_tests"));
    EXPECT_EQ(app.GetModuleDir() + "app_tests", app.GetModulePath());

    // The ".ggf" type is registered for the user: the files show the game window's
    // icon, the program its own.
    const QString data = TestHome() + QStringLiteral("/data");
    const std::string mime = ReadFile(data + QStringLiteral("/mime/packages/tavo-ggf.xml"));
    EXPECT_NE(mime.find("<glob pattern=\"*.ggf\"/>"), std::string::npos);
    EXPECT_NE(mime.find("Generic Game Format"), std::string::npos);
    EXPECT_NE(mime.find("<icon name=\"application-x-ggf\"/>"), std::string::npos);
    const std::string desktop = ReadFile(data + QStringLiteral("/applications/tavo.desktop"));
    EXPECT_NE(desktop.find("MimeType=application/x-ggf;"), std::string::npos);
    EXPECT_NE(desktop.find("Icon=tavo\n"), std::string::npos);
    EXPECT_NE(desktop.find(app.GetModulePath()), std::string::npos);
    const QImage documentIcon(data + QStringLiteral("/icons/hicolor/48x48/mimetypes/application-x-ggf.png"));
    const QImage programIcon(data + QStringLiteral("/icons/hicolor/48x48/apps/tavo.png"));
    EXPECT_EQ(documentIcon.convertToFormat(QImage::Format_ARGB32), DrawDocumentIcon(48).convertToFormat(QImage::Format_ARGB32));
    EXPECT_EQ(programIcon.convertToFormat(QImage::Format_ARGB32), DrawProgramIcon(48).convertToFormat(QImage::Format_ARGB32));
    EXPECT_NE(documentIcon.convertToFormat(QImage::Format_ARGB32), programIcon.convertToFormat(QImage::Format_ARGB32));

    // One game template with its document string.
    ASSERT_NE(app.pGameTemplate, nullptr);
    EXPECT_EQ(app.pGameTemplate->GetDocString(CDocTemplate::filterExt), QStringLiteral(".ggf"));
    EXPECT_EQ(app.pGameTemplate->GetDocString(CDocTemplate::regFileTypeName),
              QStringLiteral("Generic Game Format"));
    EXPECT_TRUE(app.pGameTemplate->GetDocuments().empty());

    // A game window shows the document's icon.
    ASSERT_NE(app.pGameTemplate->OpenDocumentFile(QString()), nullptr);
    auto* frame = dynamic_cast<CMainFrame*>(app.GetMainWnd());
    ASSERT_NE(frame->MDIArea()->activeSubWindow(), nullptr);
    EXPECT_EQ(frame->MDIArea()->activeSubWindow()->windowIcon().pixmap(32).toImage().convertToFormat(QImage::Format_ARGB32),
              DrawDocumentIcon(32).convertToFormat(QImage::Format_ARGB32));
}

TEST(Startup, StartLogIsPrivateAndRefusesALink)
{
    const QString log = TestHome() + QStringLiteral("/startlog.txt");
    QFile::remove(log);
    {
        TestApp app;
        ASSERT_NE(app.pStartLog, nullptr);
        struct stat info;
        ASSERT_EQ(::stat(log.toLocal8Bit().constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
    }

    // A link in its place is not followed: the file it points to stays as it was.
    const QString victim = TestHome() + QStringLiteral("/victim.txt");
    {
        QFile file(victim);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep me\n");
    }
    ASSERT_TRUE(QFile::remove(log));
    ASSERT_TRUE(QFile::link(victim, log));
    {
        ModalDriver driver;
        driver.AcceptMessageBox();
        TestApp app;
        EXPECT_EQ(app.pStartLog, nullptr);
        EXPECT_EQ(driver.messageBoxes, std::vector<QString>{QStringLiteral("Could not open startlog!")});
        // The program starts without a log.
        EXPECT_TRUE(app.Start());
    }
    EXPECT_EQ(ReadFile(victim), "keep me\n");
    QFile::remove(log);
}

TEST(Startup, EmptyProfileGivesTheDefaults)
{
    TestApp app;
    ASSERT_TRUE(app.Start());
    ExpectSettings(app, kDefaults);
}

TEST(Startup, SettingsRoundTripThroughTheProfile)
{
    TestApp app;
    ASSERT_TRUE(app.Start());
    Apply(app, kChanged);
    app.ExitInstance();

    QSettings profile = TestProfile();
    EXPECT_EQ(profile.value(QStringLiteral("Display/theme")).toString(), QStringLiteral("wood"));
    EXPECT_EQ(profile.value(QStringLiteral("Reversi/nAutopass")).toInt(), 2);
    EXPECT_EQ(profile.value(QStringLiteral("Display/fMoveBeep")).toInt(), 1);
    EXPECT_EQ(profile.value(QStringLiteral("GGS/sServerLogin")).toString(), QStringLiteral("/xs"));

    // The profile holds a password: only its owner may read it.
    const QFile::Permissions permissions = QFileInfo(profile.fileName()).permissions();
    EXPECT_TRUE(permissions & QFile::ReadOwner);
    EXPECT_FALSE(permissions & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther));

    // The next start reads every value back.
    Apply(app, kDefaults);
    app.LoadSettings();
    ExpectSettings(app, kChanged);
}

TEST(Startup, OddProfileValuesAreNormalised)
{
    TestApp app;
    app.SetRegistryKey(QStringLiteral("Deziduva"));
    {
        QSettings profile = TestProfile();
        profile.setValue(QStringLiteral("Display/fShowLastMove"), 2);
        profile.setValue(QStringLiteral("Display/fMoveBeep"), -1);
        profile.setValue(QStringLiteral("Display/theme"), QStringLiteral("Wood"));
    }
    app.LoadSettings();
    EXPECT_TRUE(app.fShowLastMove);
    EXPECT_TRUE(app.fMoveBeep);
    EXPECT_EQ(app.GetBoardStyle(), &CBoardStyle::space); // the name is compared exactly
    app.SaveSettings();
    QSettings profile = TestProfile();
    EXPECT_EQ(profile.value(QStringLiteral("Display/fShowLastMove")).toInt(), 1);
    EXPECT_EQ(profile.value(QStringLiteral("Display/fMoveBeep")).toInt(), 1);
    EXPECT_EQ(profile.value(QStringLiteral("Display/theme")).toString(), QStringLiteral("space"));

    EXPECT_EQ(CBoardStyle::FromName("standard"), &CBoardStyle::standard);
    EXPECT_EQ(CBoardStyle::FromName("Standard"), &CBoardStyle::space);
    EXPECT_EQ(CBoardStyle::FromName(""), &CBoardStyle::space);
}

TEST(BoardStyles, Pictures)
{
    // Pictures are looked for beside the program: here a folder of the test's own.
    TestApp app;
    const QString folder = TestHome() + QStringLiteral("/program");
    QDir().mkpath(folder);
    QFile::remove(folder + QStringLiteral("/standard.bmp"));
    app.sModulePath = ToStd(folder + QStringLiteral("/tavo"));
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(folder + QStringLiteral("/space.bmp"), "BMP"));

    // "standard" has no file: plain colours, tried once only.
    CBoardStyle standard(0x00FFFFFF, 0x00008000, 0, 0, 0, 1, "standard");
    EXPECT_EQ(standard.GetBitmap(), nullptr);
    EXPECT_TRUE(standard.UsesColours());
    ASSERT_TRUE(picture.save(folder + QStringLiteral("/standard.bmp"), "BMP"));
    EXPECT_EQ(standard.GetBitmap(), nullptr);
    EXPECT_EQ(standard.fBitmapFailed, 1);
    CBoardStyle standardAgain(0x00FFFFFF, 0x00008000, 0, 0, 0, 1, "standard");
    ASSERT_NE(standardAgain.GetBitmap(), nullptr);
    EXPECT_FALSE(standardAgain.UsesColours());
    EXPECT_EQ(standardAgain.GetBitmap()->GetSize(), QSize(64, 48));

    // "space" uses no picture for its panes, but loads one when it is there.
    CBoardStyle space(0, 0, 0x0000FF00, 0x0000FF00, 1, 0, "space");
    EXPECT_NE(space.GetBitmap(), nullptr);
    EXPECT_TRUE(space.UsesColours());

    // An unknown program folder.
    app.sModulePath.clear();
    CBoardStyle wood(0x00406080, 0x00008000, 0, 0x00FFFFFF, 0, 1, "wood");
    EXPECT_EQ(wood.LoadBitmap(), 1);
    app.sModulePath = ToStd(folder + QStringLiteral("/tavo"));
    EXPECT_EQ(wood.LoadBitmap(), 4);

    CBitmap2 bitmap;
    EXPECT_FALSE(bitmap.LoadFromFile((folder + QStringLiteral("/missing.bmp")).toLocal8Bit().constData()));
    EXPECT_TRUE(bitmap.LoadFromFile((folder + QStringLiteral("/space.bmp")).toLocal8Bit().constData()));
    EXPECT_FALSE(bitmap.LoadFromFile((folder + QStringLiteral("/wood.bmp")).toLocal8Bit().constData()));
    EXPECT_FALSE(bitmap.IsLoaded());
}

TEST(MainFrame, TitleAndIdleTimer)
{
    // Its menus, bars, commands and marks: the command table's tests.
    TestApp app;
    ASSERT_TRUE(app.Start());
    auto* frame = dynamic_cast<CMainFrame*>(app.GetMainWnd());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Tavo"));

    // The idle timer: set once, the same id while it runs.
    EXPECT_EQ(frame->idleTimer, 0u);
    const UINT id = frame->StartIdleTimer();
    EXPECT_NE(id, 0u);
    EXPECT_EQ(frame->StartIdleTimer(), id);
    EXPECT_EQ(app.OnIdle(0), FALSE);
}

TEST(MainFrame, HelpPagesAndTheirFailures)
{
    TestApp app;
    ASSERT_TRUE(app.Start());
    // No page beside the test program: the shell's "not found" becomes message 48017.
    ModalDriver driver;
    driver.AcceptMessageBox();
    app.WinHelp(HID_BASE_PROMPT + IDR_GAMETYPE, HELP_CONTEXT);
    ASSERT_EQ(driver.messageBoxes.size(), 1u);
    EXPECT_EQ(driver.messageBoxes[0], QStringLiteral("The help file could not be found!"));

    // Other help commands do nothing. (The help key's page from either frame: the main
    // window's tests.)
    app.WinHelp(IDR_MAINFRAME, 2);
    EXPECT_EQ(driver.messageBoxes.size(), 1u);
}

TEST(Startup, CommandLine)
{
    TestApp app;
    ASSERT_TRUE(app.Start());
    // The program presets the shell command to nothing: a plain file name opens nothing,
    // while the switches keep their meaning, written with '/' or '-'.
    const auto parse = [&app](const QStringList& args) {
        CCommandLineInfo info;
        info.m_nShellCommand = CCommandLineInfo::FileNothing;
        app.ParseCommandLine(info, QStringList{QStringLiteral("tavo")} + args);
        return info;
    };
    CCommandLineInfo plain = parse({QStringLiteral("game.ggf")});
    EXPECT_EQ(plain.m_nShellCommand, int(CCommandLineInfo::FileNothing));
    EXPECT_EQ(plain.m_strFileName, QStringLiteral("game.ggf"));
    EXPECT_TRUE(app.ProcessShellCommand(plain));
    EXPECT_TRUE(app.pGameTemplate->GetDocuments().empty());

    CCommandLineInfo dde = parse({QStringLiteral("/dde"), QStringLiteral("game.ggf")});
    EXPECT_EQ(dde.m_nShellCommand, int(CCommandLineInfo::FileDDE));
    EXPECT_EQ(dde.m_strFileName, QStringLiteral("game.ggf"));
    EXPECT_EQ(parse({QStringLiteral("-DDE"), QStringLiteral("game.ggf")}).m_nShellCommand,
              int(CCommandLineInfo::FileDDE));
    EXPECT_EQ(parse({QStringLiteral("/p"), QStringLiteral("game.ggf")}).m_nShellCommand,
              int(CCommandLineInfo::FilePrint));
    CCommandLineInfo printTo = parse({QStringLiteral("/pt"), QStringLiteral("game.ggf"), QStringLiteral("lp0")});
    EXPECT_EQ(printTo.m_nShellCommand, int(CCommandLineInfo::FilePrintTo));
    EXPECT_EQ(printTo.m_strFileName, QStringLiteral("game.ggf"));
    EXPECT_EQ(printTo.m_strPrinterName, QStringLiteral("lp0"));

    // A path that begins with '/' and names a file is the file, not a switch.
    const QString game = TestHome() + QStringLiteral("/switch.ggf");
    {
        QFile file(game);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    CCommandLineInfo path = parse({QStringLiteral("/dde"), game});
    EXPECT_EQ(path.m_nShellCommand, int(CCommandLineInfo::FileDDE));
    EXPECT_EQ(path.m_strFileName, game);

    // Without the preset a file name would be opened.
    CCommandLineInfo framework;
    app.ParseCommandLine(framework, {QStringLiteral("tavo"), QStringLiteral("game.ggf")});
    EXPECT_EQ(framework.m_nShellCommand, int(CCommandLineInfo::FileOpen));
}
