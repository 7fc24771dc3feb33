// The comment panes of a game window: typing a comment and pressing Enter, the game's
// comments in the output, clicks into it, and the style's colours and the shared font.
#include "PaneTestSupport.h"

#include "PaneComments.h"
#include "PaneMain.h"
#include "mfc/Frame.h"
#include "res/Resource.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextDocument>
#include <array>
#include <gtest/gtest.h>

namespace {

QLineEdit* InputOf(CTavoDoc* doc)
{
    CPaneCommentsIn* pane = ViewOf(doc)->GetRootPane()->m_pCommentsIn;
    return pane ? qobject_cast<QLineEdit*>(pane->GetWindow()) : nullptr;
}

// The output's edit, showing every comment that has come (as it does once the window
// thread has had time).
QPlainTextEdit* OutputOf(CTavoDoc* doc)
{
    CPaneCommentsOut* pane = ViewOf(doc)->GetRootPane()->m_pCommentsOut;
    if (!pane)
        return nullptr;
    pane->Flush();
    return qobject_cast<QPlainTextEdit*>(pane->GetWindow());
}

std::string Shown(CTavoDoc* doc)
{
    QPlainTextEdit* output = OutputOf(doc);
    return output ? ToStd(output->toPlainText()) : std::string("(no output)");
}

} // namespace

TEST(CommentPanes, PlaceFontAndFocus)
{
    PaneWindow w;
    CTavoDoc* doc = w.Join("1", MakeGame("alice", "bob"));
    QLineEdit* input = InputOf(doc);
    QPlainTextEdit* output = OutputOf(doc);
    ASSERT_NE(input, nullptr);
    ASSERT_NE(output, nullptr);
    // Real edits in the view, one pixel inside each pane's outline.
    EXPECT_EQ(input->parentWidget(), ViewOf(doc));
    EXPECT_EQ(output->parentWidget(), ViewOf(doc));
    EXPECT_EQ(output->geometry(), QRect(391, 191, 203, 188));
    EXPECT_EQ(input->geometry(), QRect(391, 411, 203, 18));
    EXPECT_TRUE(output->isVisible());
    EXPECT_TRUE(input->isVisible());
    EXPECT_TRUE(output->isReadOnly());
    // One 9-point font (12 pixels) for both, and for every window's.
    EXPECT_EQ(input->font().pixelSize(), 12);
    EXPECT_EQ(output->font(), input->font());
    EXPECT_EQ(InputOf(w.Look(MakeGame("amy", "bob")))->font(), input->font());
    // Showing them takes no focus from the window.
    EXPECT_NE(input->window()->focusWidget(), input);
    EXPECT_NE(output->window()->focusWidget(), output);
    // The outlines in the style's frame colour.
    const QImage image = Grab(doc);
    EXPECT_TRUE(AllIn(image, QRect(390, 190, 205, 1), 0xFF000000));
    EXPECT_TRUE(AllIn(image, QRect(390, 379, 205, 1), 0xFF000000));
    EXPECT_TRUE(AllIn(image, QRect(390, 410, 1, 20), 0xFF000000));
    EXPECT_TRUE(AllIn(image, QRect(594, 410, 1, 20), 0xFF000000));
    EXPECT_EQ(At(image, 389, 420), 0xFFFFFFFF);
    // The outline is their only border: just inside it lies the edits' background, with
    // the focus in the input or not (the output's right side is its scroll bar).
    for (const bool focused : {false, true}) {
        ASSERT_TRUE(!focused || GiveFocus(input));
        const QImage inside = Grab(doc);
        EXPECT_TRUE(AllIn(inside, QRect(391, 411, 203, 1), 0xFFFFFFFF)) << focused;
        EXPECT_TRUE(AllIn(inside, QRect(391, 428, 203, 1), 0xFFFFFFFF)) << focused;
        EXPECT_TRUE(AllIn(inside, QRect(391, 411, 1, 18), 0xFFFFFFFF)) << focused;
        EXPECT_TRUE(AllIn(inside, QRect(593, 411, 1, 18), 0xFFFFFFFF)) << focused;
        EXPECT_TRUE(AllIn(inside, QRect(391, 191, 180, 1), 0xFFFFFFFF)) << focused;
        EXPECT_TRUE(AllIn(inside, QRect(391, 378, 180, 1), 0xFFFFFFFF)) << focused;
        EXPECT_TRUE(AllIn(inside, QRect(391, 191, 1, 188), 0xFFFFFFFF)) << focused;
    }
}

TEST(CommentPanes, EnterSendsTheLineOnce)
{
    PaneWindow w;
    CTavoDoc* doc = w.Join("12", MakeGame("alice", "bob"));
    QLineEdit* input = InputOf(doc);
    ASSERT_NE(input, nullptr);
    w.Sent();
    // Typing repaints the field alone, not the window below it.
    PaintRecorder paints(ViewOf(doc));
    paints.Take();
    QTest::keyClicks(input, QStringLiteral("good luck!"));
    EXPECT_TRUE(paints.Take().isEmpty());
    EXPECT_EQ(w.Sent(), "");
    QTest::keyClick(input, Qt::Key_Return);
    EXPECT_EQ(w.Sent(), "t /os tell 12 good luck!\n");
    EXPECT_EQ(input->text(), QString());
    EXPECT_EQ(Shown(doc), "alice: good luck!");
    // Enter on the empty field sends nothing; so does the keypad's Enter.
    QTest::keyClick(input, Qt::Key_Return);
    QTest::keyClick(input, Qt::Key_Enter);
    EXPECT_EQ(w.Sent(), "");
    QTest::keyClicks(input, QStringLiteral("gg"));
    QTest::keyClick(input, Qt::Key_Enter);
    EXPECT_EQ(w.Sent(), "t /os tell 12 gg\n");
    EXPECT_EQ(Shown(doc), "alice: good luck!\nalice: gg");

    // Text pasted with line breaks goes out as one line: no part of it reaches the
    // server as a command of its own.
    QGuiApplication::clipboard()->setText(QStringLiteral("one\ntwo\r\nt /os resign 12"));
    input->paste();
    QTest::keyClick(input, Qt::Key_Return);
    EXPECT_EQ(w.Sent(), "t /os tell 12 one two  t /os resign 12\n");

    // A game from a file is on no server: Enter sends nothing and empties the field.
    CTavoDoc* file = w.Look(MakeGame("amy", "bob"));
    QTest::keyClicks(InputOf(file), QStringLiteral("hello"));
    QTest::keyClick(InputOf(file), Qt::Key_Return);
    EXPECT_EQ(w.Sent(), "");
    EXPECT_EQ(InputOf(file)->text(), QString());
    EXPECT_TRUE(file->GetComments().empty());
}

TEST(CommentPanes, OutputShowsTheComments)
{
    PaneWindow w;
    CTavoDoc* doc = w.Join("1", MakeGame("carol", "dave"));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(Shown(doc), "");
    // Three comments: three lines, CR LF between them and none after the last.
    doc->AddComment("carol: hi");
    doc->AddComment("dave: hello");
    doc->AddComment("carol: gl");
    EXPECT_EQ(Shown(doc), "carol: hi\ndave: hello\ncarol: gl");
    CPaneCommentsOut* pane = ViewOf(doc)->GetRootPane()->m_pCommentsOut;
    EXPECT_EQ(pane->GetWindowTextLength(), int(std::string("carol: hi\r\ndave: hello\r\ncarol: gl").size()));
    // A comment with LF line ends shows as several lines; a CR LF is not doubled.
    doc->AddComment("two\nlines");
    doc->AddComment("crlf\r\nkept");
    EXPECT_EQ(Shown(doc), "carol: hi\ndave: hello\ncarol: gl\ntwo\nlines\ncrlf\nkept");
    EXPECT_EQ(OutputOf(doc)->document()->blockCount(), 7);
    // The caret after the last comment.
    EXPECT_TRUE(OutputOf(doc)->textCursor().atEnd());

    // A move does not touch the output; the comments hint refills it.
    doc->CGameLive::AddComment("quiet");
    w.connection->Feed("/os: update 1 F5");
    EXPECT_EQ(OutputOf(doc)->document()->blockCount(), 7);
    doc->AddComment("loud");
    EXPECT_EQ(OutputOf(doc)->document()->blockCount(), 9);

    // Detached: the input hides for good, and the focus it had goes to the window; the
    // output still follows the comments.
    ASSERT_TRUE(GiveFocus(InputOf(doc)));
    doc->Detach();
    EXPECT_FALSE(InputOf(doc)->isVisible());
    EXPECT_EQ(ViewOf(doc)->window()->focusWidget(), ViewOf(doc));
    doc->AddComment("after");
    EXPECT_EQ(OutputOf(doc)->document()->blockCount(), 10);
    ViewOf(doc)->OnUpdate(nullptr, CTavoDoc::kHintCurrent, nullptr);
    EXPECT_FALSE(InputOf(doc)->isVisible());

    // Many comments: the last one in view.
    for (int i = 0; i < 60; ++i)
        doc->AddComment("line " + std::to_string(i));
    QPlainTextEdit* output = OutputOf(doc);
    EXPECT_GT(output->verticalScrollBar()->maximum(), 0);
    EXPECT_TRUE(output->textCursor().atEnd());
    EXPECT_TRUE(output->viewport()->rect().contains(output->cursorRect()));
}

TEST(CommentPanes, AFloodOfCommentsStaysBoundedAndEachIsAddedAtTheEnd)
{
    PaneWindow w;
    CTavoDoc* doc = w.Join(".1", MakeGame("carol", "dave"));
    // A new comment is added after the others: nothing of the text before it changes.
    w.Feed("/os: .1 > 1600 bob: first");
    QPlainTextEdit* output = OutputOf(doc);
    ASSERT_NE(output, nullptr);
    std::vector<std::array<int, 3>> changes;
    QObject::connect(output->document(), &QTextDocument::contentsChange,
                     [&](int at, int removed, int added) { changes.push_back({at, removed, added}); });
    const int before = output->document()->characterCount() - 1;
    w.Feed("/os: .1 > 1600 bob: second");
    ASSERT_TRUE(ProcessEventsUntil([&] { return !changes.empty(); }));
    for (const auto& change : changes) {
        EXPECT_GE(change[0], before);
        EXPECT_EQ(change[1], 0);
    }
    EXPECT_EQ(Shown(doc), "bob: first\nbob: second");

    // Thousands of comments: the game keeps the latest within the bound, the output shows
    // exactly those, and the list is cut only now and then.
    std::string last;
    size_t trims = 0;
    for (int i = 0; i < 2000; ++i) {
        last = "bob: " + std::to_string(i) + std::string(200, 'c');
        const size_t dropped = doc->GetCommentsDropped();
        w.Feed("/os: .1 > 1600 " + last);
        trims += doc->GetCommentsDropped() != dropped;
    }
    EXPECT_EQ(doc->GetCommentsDropped() + doc->GetComments().size(), 2002u);
    EXPECT_LT(trims, 50u);
    size_t kept = 0;
    std::string joined;
    for (const std::string& comment : doc->GetComments()) {
        kept += comment.size() + 2;
        joined += (joined.empty() ? "" : "\n") + comment;
    }
    EXPECT_LE(kept, CGameLive::kCommentBound);
    EXPECT_GE(kept, CGameLive::kCommentBound / 2 - 300);
    EXPECT_EQ(doc->GetComments().back(), last);
    EXPECT_EQ(Shown(doc), joined);
    EXPECT_TRUE(output->textCursor().atEnd());
    // The replay's hints show the same.
    ViewOf(doc)->OnUpdate(nullptr, CTavoDoc::kHintStart, nullptr);
    EXPECT_EQ(Shown(doc), joined);

    // One comment of a megabyte keeps its beginning, cut between two characters.
    std::string huge = "bob: ";
    while (huge.size() < 1000000)
        huge += "\xC3\xA9"; // é
    w.Feed("/os: .1 > 1600 " + huge);
    const std::string& cut = doc->GetComments().back();
    EXPECT_LE(cut.size() + 2, CGameLive::kCommentBound / 2);
    EXPECT_EQ(cut.substr(0, 7), "bob: \xC3\xA9");
    EXPECT_EQ(ToStd(ToQ(cut)), cut);
    EXPECT_EQ(doc->GetComments().size(), 1u);
    EXPECT_EQ(Shown(doc), ToStd(ToQ(cut)));
    // The user's own comment counts as well.
    w.Sent();
    QTest::keyClicks(InputOf(doc), QStringLiteral("gg"));
    QTest::keyClick(InputOf(doc), Qt::Key_Return);
    EXPECT_EQ(doc->GetComments().back(), "alice: gg");
    EXPECT_EQ(Shown(doc), ToStd(ToQ(cut)) + "\nalice: gg");
}

TEST(CommentPanes, ClicksInTheOutputDoNothing)
{
    PaneWindow w;
    CTavoDoc* doc = w.Join("1", MakeGame("carol", "dave"));
    doc->AddComment("carol: the first comment");
    doc->AddComment("dave: the second comment");
    QPlainTextEdit* output = OutputOf(doc);
    QTextCursor caret = output->textCursor();
    caret.setPosition(3);
    caret.setPosition(7, QTextCursor::KeepAnchor);
    output->setTextCursor(caret);
    QWidget* text = output->viewport();
    // Through the window, as the mouse's clicks come.
    QWindow* window = text->window()->windowHandle();
    ASSERT_NE(window, nullptr);
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, text->mapTo(text->window(), QPoint(60, 25)));
    QTest::mouseClick(text, Qt::LeftButton, Qt::NoModifier, QPoint(60, 25));
    QTest::mouseDClick(text, Qt::LeftButton, Qt::NoModifier, QPoint(60, 8));
    QTest::mousePress(text, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseMove(text, QPoint(100, 25));
    QTest::mouseRelease(text, Qt::LeftButton, Qt::NoModifier, QPoint(100, 25));
    EXPECT_EQ(output->textCursor().anchor(), 3);
    EXPECT_EQ(output->textCursor().position(), 7);
    EXPECT_NE(output->window()->focusWidget(), output);
}

TEST(CommentPanes, StyleColours)
{
    PaneWindow w;
    CTavoDoc* doc = w.Join("1", MakeGame("carol", "dave"));
    doc->AddComment("carol: WWWWWWWW");
    OutputOf(doc);
    QTest::keyClicks(InputOf(doc), QStringLiteral("MMMMMMMM"));
    const auto check = [&](QRgb background, QRgb text, QRgb frame) {
        const QImage image = Grab(doc);
        // The outputs' first line and the input's text, each in a band of its own.
        const QRect outputLine(392, 193, 150, 14);
        const QRect inputLine(392, 412, 100, 16);
        EXPECT_TRUE(AnyIn(image, outputLine, text));
        EXPECT_TRUE(AnyIn(image, inputLine, text));
        EXPECT_EQ(At(image, 500, 300), background);
        EXPECT_EQ(At(image, 560, 420), background);
        EXPECT_EQ(At(image, 390, 300), frame);
        EXPECT_EQ(At(image, 500, 410), frame);
    };
    check(0xFFFFFFFF, 0xFF000000, 0xFF000000);
    w.app.GetMainWnd()->RouteCommand(ID_VIEW_THEME_SPACE);
    check(0xFF000000, 0xFF00FF00, 0xFF00FF00);
    w.app.GetMainWnd()->RouteCommand(ID_VIEW_THEME_WOOD);
    check(0xFF806040, 0xFFFFFFFF, 0xFF000000);
}
