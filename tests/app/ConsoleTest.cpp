// The text windows themselves: what they show, what they send, their bound and their
// sizes. Their places are the placement tests'.
#include "TalkSupport.h"

#include "res/Resource.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace {

// A line of `length` characters that counts length + 2 in the output (CR LF).
std::string Line(int number, int length)
{
    std::string line = std::to_string(number);
    line.resize(size_t(length), '.');
    return line + "\n";
}

} // namespace

TEST(Console, ConvertToCRLF)
{
    EXPECT_EQ(ConvertToCRLF("a\nb"), "a\r\nb");
    EXPECT_EQ(ConvertToCRLF("a\r\nb"), "a\r\nb");
    EXPECT_EQ(ConvertToCRLF("\n\n"), "\r\n\r\n");
    EXPECT_EQ(ConvertToCRLF("\r\r\n"), "\r\r\n");
    EXPECT_EQ(ConvertToCRLF(""), "");
}

TEST(Console, OutputBoundCountsLineEndsAsTwo)
{
    TestApp app;
    ASSERT_TRUE(app.Start());
    tavostream stream;
    // The same whether the box shows each text before the next comes or not.
    for (const std::string name : {"shown each time", "in a burst"}) {
        CConsole* console = stream.GetWindow(name);
        ASSERT_NE(console, nullptr);
        const auto add = [&](const std::string& text) {
            console->AddText(text);
            if (name == "shown each time")
                OutputText(console);
        };

        // 190 lines of 98 characters and their line ends: 19000.
        std::string text;
        for (int i = 0; i < 190; ++i)
            text += Line(i, 98);
        add(text);
        EXPECT_EQ(console->m_editOutput.GetWindowTextLength(), 19000);
        // Up to 24000: nothing is trimmed while the output was within the bound.
        text.clear();
        for (int i = 190; i < 240; ++i)
            text += Line(i, 98);
        add(text);
        EXPECT_EQ(console->m_editOutput.GetWindowTextLength(), 24000);

        // Past the bound the first 10000 go first: exactly the first hundred lines.
        add(Line(240, 98));
        EXPECT_EQ(console->m_editOutput.GetWindowTextLength(), 14100);
        EXPECT_TRUE(OutputText(console).startsWith(QStringLiteral("100....")));
        EXPECT_TRUE(OutputText(console).endsWith(ToQ(Line(240, 98))));
        EXPECT_EQ(console->m_editOutput.GetWindowTextLength(), 14100);

        // A cut between the CR and the LF of a line end takes the whole line end.
        CConsole* split = stream.GetWindow("split " + name);
        const auto addSplit = [&](const std::string& text) {
            split->AddText(text);
            if (name == "shown each time")
                OutputText(split);
        };
        addSplit(std::string(9999, 'y') + "\n");
        text.clear();
        for (int i = 0; i < 101; ++i)
            text += Line(i, 98);
        addSplit(text);
        EXPECT_EQ(split->m_editOutput.GetWindowTextLength(), 20101);
        addSplit(Line(500, 98));
        EXPECT_EQ(split->m_editOutput.GetWindowTextLength(), 10200) << name;
        EXPECT_TRUE(OutputText(split).startsWith(ToQ(Line(0, 98)))) << name;
    }
}

TEST(Console, HugeTextsKeepTheOutputBounded)
{
    TestApp app;
    ASSERT_TRUE(app.Start());
    tavostream stream;
    // A tell of a megabyte in one line, then in many: the output never holds more than
    // the bound and one bound's worth of new text, and shows the newest text.
    stream.ParseMessage("bob " + std::string(1 << 20, 'x') + "END");
    CConsole* console = ConsoleTitled("bob");
    ASSERT_NE(console, nullptr);
    EXPECT_LE(console->m_editOutput.GetWindowTextLength(), 2 * CConsole::kBound);
    EXPECT_TRUE(OutputText(console).endsWith(QStringLiteral("xEND\n")));
    std::string lines;
    for (int i = 0; lines.size() < (1u << 20); ++i)
        lines += "\n|line " + std::to_string(i);
    for (int round = 0; round < 3; ++round) {
        stream.ParseMessage("bob" + lines);
        EXPECT_LE(console->m_editOutput.GetWindowTextLength(), 2 * CConsole::kBound);
    }
    EXPECT_EQ(OutputText(console).count(QLatin1Char('\r')), 0);
}

TEST(Console, ResizingMovesTheBoxesAndStopsAtTheMinimum)
{
    TestApp app;
    ASSERT_TRUE(app.Start());
    tavostream stream;
    CConsole* console = stream.GetWindow("bob");
    ASSERT_TRUE(ProcessEventsUntil([&] { return console->isVisible() && console->m_bSized; }));
    QWidget* output = OutputOf(console);
    QWidget* input = InputOf(console);
    const QRect outputBefore = output->geometry();
    const QRect inputBefore = input->geometry();
    // Dialog units of the dialog font, 8-point Liberation Sans: 6 x 12 pixels.
    EXPECT_EQ(outputBefore, QRect(0, 0, 278, 120));
    EXPECT_EQ(inputBefore, QRect(0, 122, 278, 19));

    console->resize(console->size() + QSize(40, 20));
    ProcessEventsUntil([&] { return output->width() != outputBefore.width(); }, std::chrono::milliseconds(2000));
    EXPECT_EQ(output->geometry(), outputBefore.adjusted(0, 0, 40, 20));
    EXPECT_EQ(input->geometry(), inputBefore.adjusted(0, 20, 40, 20));

    console->resize(50, 50);
    EXPECT_EQ(console->size(), QSize(100, 100));
    EXPECT_EQ(console->minimumSize(), QSize(100, 100));
}

TEST(Console, RawConsoleAndUserWindowsSendTheirLines)
{
    TalkSession session(": hello\nREADY\n");
    ASSERT_TRUE(session.LogIn());
    tavostream* stream = session.Stream();

    // The raw console (opened by the server's text) sends the line as it was typed.
    ASSERT_TRUE(ProcessEventsUntil([] { return ConsoleTitled("GGS Console") != nullptr; }));
    CConsole* console = stream->GetWindow(std::string());
    ASSERT_EQ(console, ConsoleTitled("GGS Console"));
    TypeLine(console, QStringLiteral("who"));
    ASSERT_TRUE(session.Sent("alias .log_off\nwho\n")) << session.server.GetClientBytes(session.client);
    EXPECT_EQ(OutputText(console), QStringLiteral("Unknown GGS Message:\n: hello\nwho\n"));
    EXPECT_EQ(InputOf(console)->text(), QString());

    // There each pasted line goes out as a command of its own.
    PasteText(InputOf(console), QStringLiteral("c + .x\r\nc - .x"));
    PressKey(InputOf(console), Qt::Key_Return);
    ASSERT_TRUE(session.Sent("who\nc + .x\nc - .x\n"));
    EXPECT_TRUE(OutputText(console).endsWith(QStringLiteral("\nwho\nc + .x\nc - .x\n")));

    // A user's window tells the user; the output echoes the line.
    CConsole* bob = stream->GetWindow("bob");
    ASSERT_EQ(bob, ConsoleTitled("bob"));
    TypeLine(bob, QStringLiteral("hello there"));
    ASSERT_TRUE(session.Sent("c - .x\nt bob hello there\n"));
    EXPECT_EQ(OutputText(bob), QStringLiteral("hello there\n"));
    // Two lines pasted into its input are one tell, the line break a blank.
    PasteText(InputOf(bob), QStringLiteral("two\nlines"));
    EXPECT_EQ(InputOf(bob)->text(), QStringLiteral("two lines"));
    PressKey(InputOf(bob), Qt::Key_Return);
    ASSERT_TRUE(session.Sent("t bob hello there\nt bob two lines\n"));

    // Chats separate: ".chat" is a channel like any other.
    CConsole* chat = stream->GetWindow(".chat");
    EXPECT_EQ(InputOf(chat)->text(), QString());
    TypeLine(chat, QStringLiteral("hi"));
    EXPECT_TRUE(session.Sent("t bob two lines\nt .chat hi\n"));
}

TEST(Console, JoinedChatKeepsItsRecipient)
{
    TalkSession session(": hello\nREADY\n");
    ASSERT_TRUE(session.LogIn());
    session.app.fUnifiedChat = true;
    tavostream* stream = session.Stream();

    // First use: the channel ".chat" is the recipient.
    session.Command(ID_GGS_CHAT);
    CConsole* chat = ConsoleTitled(".chat");
    ASSERT_NE(chat, nullptr);
    EXPECT_EQ(stream->GetWindow("bob"), chat); // every name lands here
    EXPECT_EQ(InputOf(chat)->text(), QStringLiteral(".chat "));
    TypeText(InputOf(chat), QStringLiteral("hi"));
    PressKey(InputOf(chat), Qt::Key_Return);
    ASSERT_TRUE(session.Sent("alias .log_off\nt .chat hi\n")) << session.server.GetClientBytes(session.client) << ToStd(OutputText(chat));
    EXPECT_EQ(InputOf(chat)->text(), QStringLiteral(".chat "));

    // A line names its recipient, who is kept for the next line.
    InputOf(chat)->clear();
    TypeLine(chat, QStringLiteral("bob how are you"));
    ASSERT_TRUE(session.Sent("t .chat hi\nt bob how are you\n"));
    EXPECT_EQ(stream->lastTellPartner, "bob");
    EXPECT_EQ(InputOf(chat)->text(), QStringLiteral("bob "));
    EXPECT_EQ(InputOf(chat)->cursorPosition(), 4);

    // Two lines pasted after the recipient are one tell to that recipient.
    PasteText(InputOf(chat), QStringLiteral("one\r\nquit"));
    PressKey(InputOf(chat), Qt::Key_Return);
    ASSERT_TRUE(session.Sent("t bob how are you\nt bob one  quit\n"));
    EXPECT_EQ(InputOf(chat)->text(), QStringLiteral("bob "));

    // A line without a blank is not sent: the window says why.
    InputOf(chat)->clear();
    TypeLine(chat, QStringLiteral("lonely"));
    EXPECT_TRUE(OutputText(chat).endsWith(
        QStringLiteral("lonely\nPlease enter the user name or channel, then a space, then your message\n")));
    EXPECT_EQ(InputOf(chat)->text(), QStringLiteral("bob "));
    EXPECT_TRUE(session.Sent("t bob one  quit\n"));
    EXPECT_EQ(session.server.GetClientBytes(session.client).find("lonely"), std::string::npos);

    // Chats joined later: the menu item refreshes the prefill of the existing window.
    session.Command(ID_VIEW_UNIFIEDCHAT);
    EXPECT_FALSE(session.app.fUnifiedChat);
    session.Command(ID_VIEW_UNIFIEDCHAT);
    EXPECT_TRUE(session.app.fUnifiedChat);
    InputOf(chat)->clear();
    session.Command(ID_VIEW_UNIFIEDCHAT);
    session.Command(ID_VIEW_UNIFIEDCHAT);
    EXPECT_EQ(InputOf(chat)->text(), QStringLiteral("bob "));
}

TEST(Console, ClosingHidesAndNewTextShowsAgain)
{
    TestApp app;
    ASSERT_TRUE(app.Start());
    tavostream stream;
    stream.ParseMessage("bob: one");
    CConsole* bob = ConsoleTitled("bob");
    ASSERT_NE(bob, nullptr);
    EXPECT_TRUE(bob->isVisible());
    PressKey(InputOf(bob), Qt::Key_Escape);
    EXPECT_FALSE(bob->isVisible());
    stream.ParseMessage("bob: two");
    EXPECT_EQ(ConsoleTitled("bob"), bob);
    EXPECT_TRUE(bob->isVisible());
    EXPECT_EQ(OutputText(bob), QStringLiteral("bob: one\nbob: two\n"));
    bob->close();
    EXPECT_FALSE(bob->isVisible());
    EXPECT_EQ(ConsoleTitled("bob"), bob);

    // New text scrolls into view.
    std::string lines = "bob";
    for (int i = 0; i < 100; ++i)
        lines += "\nline " + std::to_string(i);
    stream.ParseMessage(lines);
    OutputText(bob);
    ProcessPendingEvents();
    const QScrollBar* bar = OutputOf(bob)->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST(Console, WithoutAConnectionNothingIsSent)
{
    TestApp app;
    ASSERT_TRUE(app.Start());
    CConsole console("bob", nullptr, false);
    TypeLine(&console, QStringLiteral("anyone?"));
    EXPECT_EQ(OutputText(&console), QStringLiteral("[ERR not connected]\n"));
    EXPECT_EQ(InputOf(&console)->text(), QStringLiteral("anyone?"));
}
