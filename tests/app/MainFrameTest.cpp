// The main frame as the user meets it: the idle step, the theme marks, the lock-key
// panes, the help pages, and the dialogs and message boxes it owns.
#include "AppTestSupport.h"

#include "DialogTalkTo.h"
#include "MainFrm.h"
#include "mfc/KeyState.h"
#include "res/Resource.h"

#include <QAbstractEventDispatcher>
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
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <thread>

namespace {

CMainFrame* Frame(CTavoApp& app)
{
    return dynamic_cast<CMainFrame*>(app.GetMainWnd());
}

// Calls `then` once the event queue has emptied: what was queued before the call has
// been handled and the loop has come to wait for more, which is where a due idle step
// runs. Counted as rounds of the loop in which a marker queued at the round's start
// came through, so that the rounds follow the events and not the clock.
class QueueWatch : public QObject {
public:
    explicit QueueWatch(std::function<void(int round)> then) : m_then(std::move(then))
    {
        connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
                [this] { OnAboutToBlock(); });
        Mark();
    }

private:
    void Mark()
    {
        m_marked = false;
        QMetaObject::invokeMethod(this, [this] { m_marked = true; }, Qt::QueuedConnection);
    }
    // Connected after the application's own idle watch, so any idle step that was due
    // has run by now.
    void OnAboutToBlock()
    {
        if (!m_marked)
            return;
        Mark();
        m_then(++m_round);
    }

    std::function<void(int)> m_then;
    bool m_marked = false;
    int m_round = 0;
};

class IdleCountingApp : public TestApp {
public:
    BOOL OnIdle(long count) override
    {
        ++idles;
        return TestApp::OnIdle(count);
    }
    // Runs the event loop, as the program's own loop runs, until the queue has emptied
    // once without an idle step after at least one since `from`, or fifty times; the
    // number of idle steps since `from`. The loops of dialogs opened meanwhile do not count.
    int IdlesUntilQuiet(int from)
    {
        QEventLoop loop;
        int before = idles;
        int rounds = 0;
        QueueWatch watch([&](int) {
            if (QThread::currentThread()->loopLevel() > 1)
                return;
            const bool idled = idles != before;
            before = idles;
            if ((!idled && idles > from) || ++rounds == 50)
                loop.quit();
        });
        loop.exec();
        return idles - from;
    }
    // Runs the event loop until the queue has emptied a few times; the number of idle
    // steps meanwhile.
    int IdlesWhileQueueEmpties()
    {
        QEventLoop loop;
        const int from = idles;
        QueueWatch watch([&](int round) {
            if (round == 5)
                loop.quit();
        });
        loop.exec();
        return idles - from;
    }
    int idles = 0;
};

// The intervals in milliseconds of the timers that run for the window.
std::vector<int> TimerIntervals(QObject* window)
{
    std::vector<int> intervals;
    for (const auto& timer : QAbstractEventDispatcher::instance()->registeredTimers(window))
        intervals.push_back(timer.interval);
    return intervals;
}

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
    // From here on only the queue's idle steps count: the idle timer is slowed down to an
    // hour, and the frame knows it as its running idle timer, which each idle step keeps.
    frame->idleTimer = frame->SetTimer(1, 3600 * 1000);
    ASSERT_EQ(frame->idleTimer, 1u);
    EXPECT_EQ(frame->StartIdleTimer(), 1u);
    ASSERT_EQ(TimerIntervals(frame), std::vector<int>{3600 * 1000});
    EXPECT_GE(app.IdlesUntilQuiet(0), 1); // after the start
    EXPECT_EQ(app.IdlesWhileQueueEmpties(), 0); // nothing arrived, nothing to do

    // A burst of messages from the reader thread: one idle step after it, and that
    // step brings the command states up to date without a menu being opened.
    app.fShowValidMoves = !app.fShowValidMoves;
    std::thread([frame] {
        for (int i = 0; i < 5; ++i)
            frame->PostMessage(WM_APP, 0, 0);
    }).join();
    EXPECT_EQ(app.IdlesUntilQuiet(app.idles), 1);
    EXPECT_EQ(frame->GetCommandAction(ID_VIEW_MOVES_VALID)->isChecked(), app.fShowValidMoves);

    // Input from the user.
    QTimer::singleShot(0, frame, [frame] { QTest::keyClick(frame, Qt::Key_Shift); });
    EXPECT_EQ(app.IdlesUntilQuiet(app.idles), 1);

    // Within a modal dialog's loop the command that opened it is still at work: no
    // idle step there, even once the queue has emptied after a key typed into it; one
    // after it.
    const int beforeDialog = app.idles;
    int idlesInDialog = -1;
    std::unique_ptr<QueueWatch> inDialog;
    ModalDriver driver;
    driver.OnDialog([&](CDialog* d) {
        const int atOpen = app.idles;
        QTest::keyClicks(EditOf(d, IDC_SERVER), QStringLiteral("x"));
        inDialog = std::make_unique<QueueWatch>([&, d, atOpen](int round) {
            if (round == 2) {
                idlesInDialog = app.idles - atOpen;
                ClickButton(d, IDCANCEL);
            }
        });
    });
    QTimer::singleShot(0, frame, [frame] { frame->GetCommandAction(ID_GGS_SERVER)->trigger(); });
    EXPECT_GE(app.IdlesUntilQuiet(beforeDialog), 1);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(idlesInDialog, 0);
    inDialog.reset();
    // The hour-long timer ran throughout.
    EXPECT_EQ(frame->idleTimer, 1u);
    EXPECT_EQ(TimerIntervals(frame), std::vector<int>{3600 * 1000});

    // The idle timer's tick runs the idle step and sets the timer again.
    const int idles = app.idles;
    EXPECT_EQ(frame->SendMessage(WM_TIMER, 1, 0), 1);
    EXPECT_EQ(app.idles, idles + 1);
    EXPECT_EQ(frame->idleTimer, 1u);
    EXPECT_EQ(TimerIntervals(frame), std::vector<int>{950});
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
    ProcessPendingEvents();

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
