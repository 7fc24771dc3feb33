// The main window's title: the program's name, with the game that is active.
#include "GameTestSupport.h"

#include "MainFrm.h"
#include "mfc/Frame.h"
#include "res/Resource.h"

#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <gtest/gtest.h>

namespace {

struct Titles {
    Titles() { EXPECT_TRUE(app.Start()); }
    CMainFrame* Frame() const { return dynamic_cast<CMainFrame*>(app.GetMainWnd()); }
    QMdiArea* Area() const { return Frame()->MDIArea(); }
    QString Title() const { return Frame()->windowTitle(); }
    // Whether the main window's title comes to be `expected`; the title it has if not.
    ::testing::AssertionResult TitleBecomes(const QString& expected) const
    {
        if (ProcessEventsUntil([&] { return Title() == expected; }))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the title is \"" << ToStd(Title()) << "\"";
    }
    CDocument* NewGame() { return app.pGameTemplate->OpenDocumentFile(QString()); }
    CGameTestApp app;
};

QMdiSubWindow* FrameOf(CDocument* document)
{
    return ViewOf(document)->GetParentFrame();
}

void Close(QMdiSubWindow* frame)
{
    QPointer<QMdiSubWindow> closing(frame);
    frame->close();
    ASSERT_TRUE(ProcessEventsUntil([&] { return closing.isNull(); }));
}

} // namespace

TEST(FrameTitle, NamesTheActiveGameInBracketsWhenMaximisedElseAfterADash)
{
    Titles t;
    EXPECT_EQ(t.Title(), QStringLiteral("Tavo"));

    // The first game window opens maximised.
    CDocument* first = t.NewGame();
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(first->GetTitle(), QStringLiteral("Game1"));
    ASSERT_TRUE(FrameOf(first)->isMaximized());
    EXPECT_TRUE(t.TitleBecomes(QStringLiteral("Tavo - [Game1]")));

    // Restored, and minimised, it is named after a dash.
    FrameOf(first)->showNormal();
    EXPECT_TRUE(t.TitleBecomes(QStringLiteral("Tavo - Game1")));
    FrameOf(first)->showMinimized();
    EXPECT_TRUE(t.TitleBecomes(QStringLiteral("Tavo - Game1")));
    FrameOf(first)->showNormal();

    // A second window opens like the active one; the title follows the active window.
    CDocument* second = t.NewGame();
    ASSERT_NE(second, nullptr);
    ASSERT_FALSE(FrameOf(second)->isMaximized());
    EXPECT_TRUE(t.TitleBecomes(QStringLiteral("Tavo - Game2")));
    t.Area()->setActiveSubWindow(FrameOf(first));
    EXPECT_TRUE(t.TitleBecomes(QStringLiteral("Tavo - Game1")));

    // Maximised and restored again.
    FrameOf(first)->showMaximized();
    EXPECT_TRUE(t.TitleBecomes(QStringLiteral("Tavo - [Game1]")));
    t.Area()->setActiveSubWindow(FrameOf(second));
    EXPECT_TRUE(t.TitleBecomes(QStringLiteral("Tavo - [Game2]")));
    FrameOf(second)->showNormal();
    EXPECT_TRUE(t.TitleBecomes(QStringLiteral("Tavo - Game2")));

    // A second view of a game: the window's own title (numbered) in brackets, the
    // document's after a dash.
    t.Frame()->UpdateCommandUI();
    t.Frame()->GetCommandAction(ID_WINDOW_NEW)->trigger();
    QMdiSubWindow* view2 = t.Area()->currentSubWindow();
    ASSERT_EQ(view2->windowTitle(), QStringLiteral("Game2:2"));
    EXPECT_TRUE(t.TitleBecomes(QStringLiteral("Tavo - Game2")));
    view2->showMaximized();
    EXPECT_TRUE(t.TitleBecomes(QStringLiteral("Tavo - [Game2:2]")));
    view2->showNormal();

    // The windows close one by one; with none left, the program's name alone.
    Close(view2);
    ASSERT_NE(t.Area()->currentSubWindow(), nullptr);
    const QString next = QStringLiteral("Tavo - ") + t.Area()->currentSubWindow()->windowTitle();
    EXPECT_TRUE(t.TitleBecomes(next));
    Close(FrameOf(second));
    EXPECT_TRUE(t.TitleBecomes(QStringLiteral("Tavo - Game1")));
    FrameOf(first)->showMaximized();
    EXPECT_TRUE(t.TitleBecomes(QStringLiteral("Tavo - [Game1]")));
    Close(FrameOf(first));
    EXPECT_TRUE(t.TitleBecomes(QStringLiteral("Tavo")));

    // A window that opens maximised when none is open: the brackets at once.
    CDocument* third = t.NewGame();
    ASSERT_NE(third, nullptr);
    EXPECT_TRUE(t.TitleBecomes(QStringLiteral("Tavo - [Game3]")));
}

TEST(FrameTitle, FollowsTheGamesNewName)
{
    Titles t;
    const QString folder = TestHome() + QStringLiteral("/titles/");
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("g12.ggf");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(GgfText(MakeGame("amy", "bob", {"F5"}))));
    }
    CDocument* doc = t.app.OpenDocumentFile(path);
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(t.TitleBecomes(QStringLiteral("Tavo - [g12.ggf]")));
    FrameOf(doc)->showNormal();
    EXPECT_TRUE(t.TitleBecomes(QStringLiteral("Tavo - g12.ggf")));

    // Save As: the new name at once, in either form.
    t.app.fileAnswers = {folder + QStringLiteral("g13.ggf")};
    t.Frame()->RouteCommand(ID_FILE_SAVE_AS);
    ASSERT_EQ(doc->GetTitle(), QStringLiteral("g13.ggf"));
    EXPECT_TRUE(t.TitleBecomes(QStringLiteral("Tavo - g13.ggf")));
    FrameOf(doc)->showMaximized();
    EXPECT_TRUE(t.TitleBecomes(QStringLiteral("Tavo - [g13.ggf]")));
    t.app.fileAnswers = {folder + QStringLiteral("g14.ggf")};
    t.Frame()->RouteCommand(ID_FILE_SAVE_AS);
    EXPECT_TRUE(t.TitleBecomes(QStringLiteral("Tavo - [g14.ggf]")));
    Close(FrameOf(doc));
    EXPECT_TRUE(t.TitleBecomes(QStringLiteral("Tavo")));
    QDir(folder).removeRecursively();
}
