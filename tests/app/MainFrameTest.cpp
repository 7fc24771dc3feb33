// The main frame as the user meets it: the idle step, the theme marks, the lock-key
// panes, the help pages, and the dialogs and message boxes it owns.
#include "AppTestSupport.h"

#include "DialogTalkTo.h"
#include "MainFrm.h"
#include "mfc/KeyState.h"
#include "res/Resource.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <gtest/gtest.h>
#include <thread>

namespace {

using std::chrono::milliseconds;

CMainFrame* Frame(CTavoApp& app)
{
    return dynamic_cast<CMainFrame*>(app.GetMainWnd());
}

// Runs an event loop for a while, as the program's own loop runs.
void RunEventLoop(milliseconds duration)
{
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
}

class IdleCountingApp : public TestApp {
public:
    BOOL OnIdle(long count) override
    {
        ++idles;
        return TestApp::OnIdle(count);
    }
    // Runs the event loop until a while has passed without an idle step; the number
    // of idle steps since `from`.
    int IdlesUntilQuiet(int from)
    {
        for (int slices = 0; slices < 50; ++slices) {
            const int before = idles;
            RunEventLoop(milliseconds(100));
            if (idles == before && idles > from)
                break;
        }
        return idles - from;
    }
    int idles = 0;
};

// A modeless window of the program, owned by the frame.
class ProgramWindow : public QWidget, public CCmdTarget {
public:
    explicit ProgramWindow(QWidget* owner) : QWidget(owner, Qt::Window) {}
};

unsigned lockKeys = 0;
bool lockKeysKnown = true;
bool ReadTestLockKeys(unsigned* locks)
{
    *locks = lockKeys;
    return lockKeysKnown;
}

QString PaneText(CMainFrame* frame, UINT id)
{
    auto* pane = frame->findChild<QLabel*>(QStringLiteral("indicator%1").arg(id));
    return pane ? pane->text() : QStringLiteral("(none)");
}

} // namespace

TEST(MainFrame, IdleStepRunsOnceWhenTheQueueEmpties)
{
    IdleCountingApp app;
    ASSERT_TRUE(app.Start());
    CMainFrame* frame = Frame(app);
    // A game window: every idle step refreshes it, and the repaint must not start
    // another idle step.
    ASSERT_NE(app.pGameTemplate->OpenDocumentFile(QString()), nullptr);
    // From here on only the queue's idle steps count: the idle timer is slowed down.
    frame->SetTimer(1, 3600 * 1000);
    EXPECT_GE(app.IdlesUntilQuiet(0), 1); // after the start
    int idles = app.idles;
    RunEventLoop(milliseconds(200));
    EXPECT_EQ(app.idles, idles); // nothing arrived, nothing to do

    // A burst of messages from the reader thread: one idle step after it, and that
    // step brings the command states up to date without a menu being opened.
    app.fShowValidMoves = !app.fShowValidMoves;
    std::thread([frame] {
        for (int i = 0; i < 5; ++i)
            frame->PostMessage(WM_APP, 0, 0);
    }).join();
    EXPECT_EQ(app.IdlesUntilQuiet(idles), 1);
    EXPECT_EQ(frame->GetCommandAction(ID_VIEW_MOVES_VALID)->isChecked(), app.fShowValidMoves);

    // Input from the user.
    idles = app.idles;
    QTimer::singleShot(0, frame, [frame] { QTest::keyClick(frame, Qt::Key_Shift); });
    EXPECT_EQ(app.IdlesUntilQuiet(idles), 1);

    // Within a modal dialog's loop the command that opened it is still at work: no
    // idle step there, one after it.
    idles = app.idles;
    int idlesInDialog = -1;
    ModalDriver driver;
    driver.OnDialog([&](CDialog* d) {
        // Counted from the dialog's opening: an input event that came late to the
        // loop before it may still have its idle step there.
        const int atOpen = app.idles;
        QTest::keyClicks(EditOf(d, IDC_SERVER), QStringLiteral("x"));
        QTimer::singleShot(100, d, [&, d, atOpen] {
            idlesInDialog = app.idles - atOpen;
            ClickButton(d, IDCANCEL);
        });
    });
    QTimer::singleShot(0, frame, [frame] { frame->GetCommandAction(ID_GGS_SERVER)->trigger(); });
    EXPECT_GE(app.IdlesUntilQuiet(idles), 1);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(idlesInDialog, 0);

    // The idle timer's tick runs the idle step and sets the timer again.
    idles = app.idles;
    EXPECT_EQ(frame->SendMessage(WM_TIMER, 1, 0), 1);
    EXPECT_EQ(app.idles, idles + 1);
    EXPECT_NE(frame->idleTimer, 0u);
}

TEST(MainFrame, LockKeyPanesShowTheKeysThatAreOn)
{
    SetLockKeyReader(ReadTestLockKeys);
    lockKeys = 0;
    lockKeysKnown = true;
    {
        TestApp app;
        ASSERT_TRUE(app.Start());
        CMainFrame* frame = Frame(app);
        EXPECT_EQ(frame->statusBar.GetCount(), 3);
        EXPECT_EQ(PaneText(frame, ID_INDICATOR_CAPS), QString());
        EXPECT_EQ(PaneText(frame, ID_INDICATOR_NUM), QString());
        EXPECT_EQ(PaneText(frame, ID_INDICATOR_SCRL), QString());
        lockKeys = LOCK_CAPS | LOCK_SCROLL;
        frame->UpdateCommandUI();
        EXPECT_EQ(PaneText(frame, ID_INDICATOR_CAPS), QStringLiteral("CAP"));
        EXPECT_EQ(PaneText(frame, ID_INDICATOR_NUM), QString());
        EXPECT_EQ(PaneText(frame, ID_INDICATOR_SCRL), QStringLiteral("SCRL"));
        lockKeys = LOCK_NUM;
        frame->UpdateCommandUI();
        EXPECT_EQ(PaneText(frame, ID_INDICATOR_CAPS), QString());
        EXPECT_EQ(PaneText(frame, ID_INDICATOR_NUM), QStringLiteral("NUM"));
    }
    // Where the window system cannot tell the keys' state the panes are left out.
    lockKeysKnown = false;
    {
        TestApp app;
        ASSERT_TRUE(app.Start());
        EXPECT_EQ(Frame(app)->statusBar.GetCount(), 0);
        EXPECT_EQ(PaneText(Frame(app), ID_INDICATOR_CAPS), QStringLiteral("(none)"));
    }
    SetLockKeyReader(nullptr);
}

TEST(MainFrame, HelpOpensTheIndexPageFromEitherFrame)
{
    TestApp app;
    ASSERT_TRUE(app.Start());
    CMainFrame* frame = Frame(app);
    const QString folder = TestHome() + QStringLiteral("/helped");
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/Help")));
    for (const QString& page : {QStringLiteral("/Help/Index.html"), QStringLiteral("/Help/Other.html")}) {
        QFile file(folder + page);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<html><body>Tavo</body></html>");
    }
    app.sModulePath = ToStd(folder + QStringLiteral("/tavo"));
    const std::string index = ToStd(folder + QStringLiteral("/Help/Index.html"));
    const QUrl other = QUrl::fromLocalFile(folder + QStringLiteral("/Help/Other.html"));

    // The browser that the shell opens pages in.
    QTextBrowser browser;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &browser, "setSource");
    const auto opens = [&](const std::function<void()>& ask) {
        browser.setSource(other);
        ModalDriver driver; // a page that is not there shows a message instead
        driver.AcceptMessageBox();
        ask();
        EXPECT_TRUE(driver.messageBoxes.empty());
        return ToStd(browser.source().toLocalFile());
    };
    frame->UpdateCommandUI();
    EXPECT_EQ(opens([&] { frame->GetCommandAction(ID_HELP_USERGUIDE)->trigger(); }), index);
    EXPECT_EQ(opens([&] { frame->OnHelpKey(); }), index);
    ASSERT_NE(app.pGameTemplate->OpenDocumentFile(QString()), nullptr);
    EXPECT_EQ(frame->GetActiveChildResource(), IDR_GAMETYPE);
    EXPECT_EQ(opens([&] { frame->OnHelpKey(); }), index);
    // A message box's help id names its page.
    EXPECT_EQ(opens([&] { app.WinHelp(HID_BASE_PROMPT + IDH_INDEX, HELP_CONTEXT); }), index);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

TEST(MainFrame, OwnsTheDialogsAndMessageBoxes)
{
    TestApp app;
    ASSERT_TRUE(app.Start());
    CMainFrame* frame = Frame(app);
    // Away from the middle of the screen, where a dialog without owner would open.
    frame->setGeometry(20, 30, 420, 320);
    ProcessEventsUntil([] { return false; }, milliseconds(20));

    ModalDriver driver;
    QWidget* dialogOwner = nullptr;
    QPoint dialogCentre;
    QWidget* nestedBoxOwner = nullptr;
    CDialog* dialog = nullptr;
    driver.OnDialog([&](CDialog* d) {
        dialog = d;
        dialogOwner = d->parentWidget();
        dialogCentre = d->frameGeometry().center();
        AfxMessageBox(QStringLiteral("from the dialog"));
        ClickButton(d, IDCANCEL);
    });
    driver.OnMessageBox([&](QMessageBox* box) {
        nestedBoxOwner = box->parentWidget();
        box->button(QMessageBox::Ok)->click();
    });
    QWidget* boxOwner = nullptr;
    driver.OnMessageBox([&](QMessageBox* box) {
        boxOwner = box->parentWidget();
        box->button(QMessageBox::Ok)->click();
    });
    frame->UpdateCommandUI();
    frame->GetCommandAction(ID_GGS_SERVER)->trigger();
    AfxMessageBox(QStringLiteral("from the frame"));
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(dialogOwner, frame);
    EXPECT_LE((dialogCentre - frame->frameGeometry().center()).manhattanLength(), 80);
    EXPECT_EQ(nestedBoxOwner, dialog);
    EXPECT_EQ(boxOwner, frame);

    // A dialog, or another window of the program, belongs to whoever made it: the
    // frame going does not delete it.
    auto* kept = new CDialogTalkTo;
    EXPECT_EQ(kept->parentWidget(), frame);
    auto* window = new ProgramWindow(AfxGetSafeOwner());
    QPointer<QWidget> keptAlive(kept);
    QPointer<QWidget> windowAlive(window);
    app.DestroyMainFrame();
    ASSERT_FALSE(keptAlive.isNull());
    ASSERT_FALSE(windowAlive.isNull());
    EXPECT_EQ(kept->parentWidget(), nullptr);
    delete kept;
    delete window;
}
