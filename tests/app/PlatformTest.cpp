// The framework layer under the client: named mutexes, posted messages, command
// routing, documents and views with hints, and the recent-file list.
#include "AppTestSupport.h"

#include "MainFrm.h"
#include "TavoDoc.h"
#include "mfc/Shell.h"
#include "res/Resource.h"

#include <QAction>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMdiArea>
#include <QPainter>
#include <QSettings>
#include <gtest/gtest.h>
#include <thread>

namespace {

DWORD WaitFromOtherThread(const HANDLE& mutex, DWORD milliseconds)
{
    DWORD result = WAIT_FAILED;
    std::thread([&] {
        result = WaitForSingleObject(mutex, milliseconds);
        if (result == WAIT_OBJECT_0)
            ReleaseMutex(mutex);
    }).join();
    return result;
}

// A view that counts the hints it receives.
class CountingView : public CView {
public:
    void OnUpdate(CView* sender, LPARAM hint, void* hintObject) override
    {
        hints.push_back(hint);
        CView::OnUpdate(sender, hint, hintObject);
    }
    void OnDraw(CDC* dc) override { (void)dc; }
    std::vector<LPARAM> hints;
};

int discarded = 0;
void CountDiscard(LPARAM value)
{
    discarded += int(value);
}

} // namespace

TEST(Platform, NamedMutexes)
{
    const HANDLE a = CreateMutex(false, "platform-test");
    const HANDLE b = CreateMutex(false, "platform-test");
    EXPECT_EQ(a, b); // one object per name
    EXPECT_NE(CreateMutex(false, "platform-other"), a);

    // Re-entrant for its owner, unavailable to others until fully released.
    EXPECT_EQ(WaitForSingleObject(a, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(a, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitFromOtherThread(a, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(ReleaseMutex(a));
    EXPECT_EQ(WaitFromOtherThread(a, 10), WAIT_TIMEOUT);
    EXPECT_TRUE(ReleaseMutex(a));
    EXPECT_FALSE(ReleaseMutex(a)); // not held any more
    EXPECT_EQ(WaitFromOtherThread(a, 0), WAIT_OBJECT_0);

    // A waiter gets the mutex once the owner lets go.
    ASSERT_EQ(WaitForSingleObject(a, 0), WAIT_OBJECT_0);
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        // Not the owner: the release fails.
        EXPECT_FALSE(ReleaseMutex(a));
    });
    releaser.join();
    EXPECT_TRUE(ReleaseMutex(a));
    EXPECT_EQ(WaitFromOtherThread(a, INFINITE), WAIT_OBJECT_0);

    EXPECT_EQ(WaitForSingleObject(HANDLE(), 0), WAIT_FAILED);

    const DWORD before = GetTickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GE(DWORD(GetTickCount() - before), 5u);
}

TEST(Platform, PostedMessagesAndCommandRouting)
{
    TestApp app;
    ASSERT_TRUE(app.Start());
    auto* frame = dynamic_cast<CMainFrame*>(app.GetMainWnd());
    ASSERT_NE(frame, nullptr);

    // Commands: handled ones enabled, the rest disabled; a handler runs on trigger.
    frame->UpdateCommandUI();
    EXPECT_TRUE(frame->GetCommandAction(ID_VIEW_MOVES_BEEP)->isEnabled());
    EXPECT_FALSE(frame->GetCommandAction(ID_EDIT_COPY)->isEnabled());
    CCmdUI probe(ID_GGS_SERVER);
    EXPECT_TRUE(frame->RouteCommand(ID_GGS_SERVER, &probe));
    EXPECT_TRUE(probe.m_bEnabled);
    EXPECT_FALSE(frame->RouteCommand(ID_EDIT_COPY));
    frame->GetCommandAction(ID_VIEW_MOVES_BEEP)->trigger();
    EXPECT_TRUE(app.fMoveBeep);

    // Messages posted from another thread; those never handled are discarded.
    discarded = 0;
    std::thread([frame] { frame->PostMessage(WM_APP + 1, 0, 5, CountDiscard); }).join();
    ProcessPendingEvents();
    EXPECT_EQ(discarded, 0); // handled (by nobody in particular), not discarded
    frame->PostMessage(WM_APP + 1, 0, 7, CountDiscard);
    app.DestroyMainFrame();
    EXPECT_EQ(discarded, 7);
}

TEST(Platform, DocumentsViewsAndHints)
{
    TestApp app;
    ASSERT_TRUE(app.Start());
    auto* frame = dynamic_cast<CMainFrame*>(app.GetMainWnd());
    CDocTemplate* counting = app.AddDocTemplate(std::make_unique<CDocTemplate>(
        IDR_GAMETYPE, [] { return std::unique_ptr<CDocument>(new CTavoDoc); },
        [] { return new CMDIChildWnd; }, [] { return static_cast<CView*>(new CountingView); }));

    CDocument* first = counting->OpenDocumentFile(QString());
    CDocument* second = counting->OpenDocumentFile(QString());
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->GetTitle(), QStringLiteral("Game1"));
    EXPECT_EQ(second->GetTitle(), QStringLiteral("Game2"));
    EXPECT_EQ(frame->MDIArea()->subWindowList().size(), 2);

    // A theme change reaches every view of every document with its hint.
    auto* view1 = static_cast<CountingView*>(first->GetViews().front());
    auto* view2 = static_cast<CountingView*>(second->GetViews().front());
    view1->hints.clear();
    view2->hints.clear();
    frame->UpdateCommandUI();
    frame->GetCommandAction(ID_VIEW_THEME_WOOD)->trigger();
    frame->GetCommandAction(ID_VIEW_THEME_WOOD)->trigger(); // the current style again: nothing
    EXPECT_EQ(view1->hints, std::vector<LPARAM>{8});
    EXPECT_EQ(view2->hints, std::vector<LPARAM>{8});
    frame->GetCommandAction(ID_VIEW_MOVES_BEEP)->trigger(); // no redraw
    frame->GetCommandAction(ID_VIEW_EVALS)->trigger();
    EXPECT_EQ(view1->hints, (std::vector<LPARAM>{8, 7}));

    // The sender is skipped; the idle step sends hint 0.
    first->UpdateAllViews(view1, 3);
    EXPECT_EQ(view1->hints.size(), 2u);
    app.OnIdle(0);
    EXPECT_EQ(view1->hints.back(), 0);
    EXPECT_EQ(view2->hints.back(), 0);

    // Closing a game window deletes its document.
    ASSERT_EQ(counting->GetDocuments().size(), 2u);
    frame->MDIArea()->subWindowList().front()->close();
    ProcessEventsUntil([&] { return counting->GetDocuments().size() == 1; });
    EXPECT_EQ(counting->GetDocuments().size(), 1u);
}

TEST(Platform, RecentFileList)
{
    TestHome();
    CRecentFileList list(4);
    for (const char* file : {"a.ggf", "b.ggf", "c.ggf", "d.ggf", "e.ggf", "c.ggf"})
        list.Add(QString::fromLatin1(file));
    EXPECT_EQ(list.Files(), (QStringList{QStringLiteral("c.ggf"), QStringLiteral("e.ggf"),
                                         QStringLiteral("d.ggf"), QStringLiteral("b.ggf")}));
    QSettings profile = TestProfile();
    list.WriteList(profile);
    EXPECT_EQ(profile.value(QStringLiteral("Recent File List/File1")).toString(), QStringLiteral("c.ggf"));
    EXPECT_EQ(profile.value(QStringLiteral("Recent File List/File4")).toString(), QStringLiteral("b.ggf"));
    list.Remove(0);
    list.Remove(7);
    list.WriteList(profile);
    CRecentFileList read(4);
    read.ReadList(profile);
    EXPECT_EQ(read.Files(), (QStringList{QStringLiteral("e.ggf"), QStringLiteral("d.ggf"), QStringLiteral("b.ggf")}));
    EXPECT_FALSE(profile.contains(QStringLiteral("Recent File List/File4")));
}

TEST(Platform, ShellRegistrationWritesOnlyWhatDiffers)
{
    const QString data = TestHome() + QStringLiteral("/data");
    const QString xml = data + QStringLiteral("/mime/packages/shelltest-ggf.xml");
    const QString desktop = data + QStringLiteral("/applications/shelltest.desktop");
    const QString png = data + QStringLiteral("/icons/hicolor/16x16/apps/shelltest.png");
    ShellFileType type;
    type.typeId = QStringLiteral("GGF");
    type.typeName = QStringLiteral("Generic Game Format");
    type.extension = QStringLiteral(".ggf");
    type.program = QStringLiteral("/opt/shelltest/tavo");
    type.appName = QStringLiteral("ShellTest");
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(Qt::green);

    // Missing files are written.
    ASSERT_TRUE(RegisterShellFileType(type));
    ASSERT_TRUE(RegisterShellIcon(QStringLiteral("shelltest"), icon));
    const std::string written = ReadFile(desktop);
    EXPECT_NE(written.find("Exec=\"/opt/shelltest/tavo\" /dde %f"), std::string::npos);
    EXPECT_FALSE(ReadFile(xml).empty());
    EXPECT_FALSE(ReadFile(png).empty());

    // Files that hold what would be written are left untouched.
    const QDateTime old = QDateTime::currentDateTime().addDays(-3);
    for (const QString& path : {xml, desktop, png}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
    }
    EXPECT_TRUE(RegisterShellFileType(type));
    EXPECT_TRUE(RegisterShellIcon(QStringLiteral("shelltest"), icon));
    for (const QString& path : {xml, desktop, png})
        EXPECT_EQ(QFileInfo(path).lastModified(), old) << path.toStdString();

    // A file that differs is written again.
    {
        QFile file(desktop);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Append));
        file.write("Hidden=true\n");
    }
    EXPECT_TRUE(RegisterShellFileType(type));
    EXPECT_EQ(ReadFile(desktop), written);
    type.program = QStringLiteral("/opt/elsewhere/tavo");
    EXPECT_TRUE(RegisterShellFileType(type));
    EXPECT_NE(ReadFile(desktop).find("/opt/elsewhere/tavo"), std::string::npos);
    EXPECT_EQ(QFileInfo(xml).lastModified(), old);
}
