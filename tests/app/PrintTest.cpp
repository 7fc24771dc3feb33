// Printing a game window: File > Print through the print dialog, Print Setup, the print
// preview with the number of pages it shows side by side, and the command line's print
// switches, which print a game file without showing a window. Jobs go to PDF files,
// which the tests read back.
#include "MainFrm.h"
#include "PaneTestSupport.h"
#include "TalkSupport.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

// Acts on the next modal window of class W once it shows.
template <class W>
class AnswerModal {
public:
    explicit AnswerModal(std::function<void(W*)> act) : m_act(std::move(act))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* window = qobject_cast<W*>(QApplication::activeModalWidget());
            if (!window || !window->isVisible())
                return;
            m_timer.stop();
            m_answered = true;
            m_act(window);
        });
        m_timer.start(5);
    }
    bool Answered() const { return m_answered; }

private:
    QTimer m_timer;
    std::function<void(W*)> m_act;
    bool m_answered = false;
    ModalExpectation m_expectation{[this](QWidget* w) { return !m_answered && qobject_cast<W*>(w); }};
};

// Chooses printing to the file in the print dialog and confirms.
void PrintToFile(QPrintDialog* dialog, const QString& path)
{
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("filename"));
    ASSERT_NE(name, nullptr);
    name->setText(path);
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

// A PDF file as the tests read it: its pages and the drawing of its pages.
struct PdfFile {
    explicit PdfFile(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return;
        text = file.readAll();
        // The drawing commands are in compressed streams (pictures are in streams of
        // their own kind).
        const QString all = QString::fromLatin1(text);
        const QRegularExpression compressed(QStringLiteral("/Filter /FlateDecode\\s*>>\\s*stream\\r?\\n"));
        for (const QRegularExpressionMatch& match : compressed.globalMatch(all)) {
            const qsizetype begin = match.capturedEnd();
            const qsizetype end = all.indexOf(QStringLiteral("endstream"), begin);
            if (end < 0)
                break;
            // qUncompress wants the expected size in front; it grows beyond it as needed.
            const QByteArray plain = qUncompress(QByteArray("\x00\x01\x00\x00", 4) + text.mid(begin, end - begin));
            drawing += plain;
        }
    }
    bool IsPdf() const { return text.startsWith("%PDF-"); }
    int Pages() const
    {
        return int(QString::fromLatin1(text).count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b(?!s)"))));
    }
    // Whether the page fills areas in that colour (components as the PDF writes them).
    bool Fills(QRgb colour) const
    {
        QString pattern;
        for (const int component : {qRed(colour), qGreen(colour), qBlue(colour)}) {
            if (component == 0 || component == 255)
                pattern += QString::number(component / 255);
            else
                pattern += QRegularExpression::escape(QString::number(component / 255.0, 'f', 5)) +
                           QStringLiteral("\\d*");
            pattern += QLatin1Char(' ');
        }
        pattern += QStringLiteral("scn");
        return QString::fromLatin1(drawing).contains(QRegularExpression(pattern));
    }
    bool Draws(const char* pattern) const
    {
        return QString::fromLatin1(drawing).contains(QRegularExpression(QString::fromLatin1(pattern)));
    }
    int Pictures() const { return int(text.count("/Subtype /Image")); }

    QByteArray text;
    QByteArray drawing;
};

// A game window of alice's game against bob, with moves and a comment.
struct PrintedGame : PaneWindow {
    PrintedGame()
    {
        doc = Join("7", MakeGame("alice", "bob", {"F5", "D6", "C3"}));
        doc->AddComment("good luck");
        frame = dynamic_cast<CMainFrame*>(app.GetMainWnd());
        frame->UpdateCommandUI();
    }
    CTavoDoc* doc = nullptr;
    CMainFrame* frame = nullptr;
};

QString FreshPath(const char* name)
{
    const QString path = TestHome() + QLatin1Char('/') + QLatin1String(name);
    QFile::remove(path);
    return path;
}

} // namespace

TEST(Printing, FilePrintGoesThroughThePrintDialog)
{
    PrintedGame game;
    MessageBoxes boxes;
    QAction* print = game.frame->GetCommandAction(ID_FILE_PRINT);
    ASSERT_TRUE(print->isEnabled());
    EXPECT_EQ(print->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));

    // Cancelled: nothing is printed and nothing is said.
    const QString pdf = FreshPath("dialog.pdf");
    AnswerModal<QPrintDialog> cancel([](QPrintDialog* dialog) { dialog->reject(); });
    print->trigger();
    EXPECT_TRUE(cancel.Answered());
    EXPECT_FALSE(QFile::exists(pdf));

    AnswerModal<QPrintDialog> answer([&pdf](QPrintDialog* dialog) { PrintToFile(dialog, pdf); });
    print->trigger();
    ASSERT_TRUE(answer.Answered());
    const PdfFile file(pdf);
    ASSERT_TRUE(file.IsPdf());
    EXPECT_EQ(file.Pages(), 1);
    // The board in the style's colour, and the move list and the two comment edits as
    // pictures of what they show.
    EXPECT_TRUE(file.Fills(qRgb(0, 128, 0)));
    EXPECT_GE(file.Pictures(), 3);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST(Printing, PrintSetupKeepsThePrinterForLaterJobs)
{
    PrintedGame game;
    QAction* setup = game.frame->GetCommandAction(ID_FILE_PRINT_SETUP);
    ASSERT_TRUE(setup->isEnabled());
    const QString pdf = FreshPath("setup.pdf");
    QString title;
    QString okText;
    AnswerModal<QPrintDialog> answer([&](QPrintDialog* dialog) {
        title = dialog->windowTitle();
        okText = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->text();
        PrintToFile(dialog, pdf);
    });
    setup->trigger();
    ASSERT_TRUE(answer.Answered());
    EXPECT_EQ(title, QStringLiteral("Print Setup"));
    EXPECT_EQ(okText, QStringLiteral("OK"));
    // Setting up prints nothing; a direct job then goes there without asking.
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(game.app.GetPrinter()->outputFileName(), pdf);
    ViewOf(game.doc)->OnCmdMsg(ID_FILE_PRINT_DIRECT, nullptr);
    EXPECT_EQ(PdfFile(pdf).Pages(), 1);
}

TEST(Printing, PreviewKeepsItsPagesSideBySideInTheProfile)
{
    {
        PrintedGame game;
        QAction* preview = game.frame->GetCommandAction(ID_FILE_PRINT_PREVIEW);
        ASSERT_TRUE(preview->isEnabled());
        int pages = 0;
        AnswerModal<QPrintPreviewDialog> answer([&pages](QPrintPreviewDialog* dialog) {
            auto* widget = dialog->findChild<QPrintPreviewWidget*>();
            pages = widget->pageCount();
            EXPECT_EQ(widget->viewMode(), QPrintPreviewWidget::SinglePageView);
            dialog->findChild<QAction*>(QStringLiteral("facingModeAction"))->trigger();
            dialog->reject();
        });
        preview->trigger();
        ASSERT_TRUE(answer.Answered());
        EXPECT_EQ(pages, 1);
        EXPECT_EQ(game.app.m_nNumPreviewPages, 2);
        game.app.ExitInstance();
    }
    EXPECT_EQ(TestProfile().value(QStringLiteral("Settings/PreviewPages")).toInt(), 2);

    // The next run opens the preview as it was left. TestApp starts from an empty
    // profile: the value is put back first.
    PrintedGame game;
    game.app.WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("PreviewPages"), 2);
    game.app.LoadStdProfileSettings(4);
    QPrintPreviewWidget::ViewMode mode = QPrintPreviewWidget::AllPagesView;
    AnswerModal<QPrintPreviewDialog> answer([&mode](QPrintPreviewDialog* dialog) {
        mode = dialog->findChild<QPrintPreviewWidget*>()->viewMode();
        dialog->findChild<QAction*>(QStringLiteral("singleModeAction"))->trigger();
        // Close, the last button of the preview's bar, leaves it.
        const QList<QToolButton*> buttons = dialog->findChild<QToolBar*>()->findChildren<QToolButton*>();
        const auto close = std::find_if(buttons.begin(), buttons.end(), [](QToolButton* button) {
            return button->text() == QStringLiteral("Close") && button->isVisible();
        });
        if (close == buttons.end()) {
            ADD_FAILURE() << "the preview has no Close button";
            dialog->reject();
            return;
        }
        QTest::mouseClick(*close, Qt::LeftButton);
    });
    game.frame->GetCommandAction(ID_FILE_PRINT_PREVIEW)->trigger();
    ASSERT_TRUE(answer.Answered());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(mode, QPrintPreviewWidget::FacingPagesView);
    EXPECT_EQ(game.app.m_nNumPreviewPages, 1);
}

namespace {

// The application started with the given arguments after the program's name.
class CommandLineApp : public CGameTestApp {
public:
    explicit CommandLineApp(QStringList arguments) : m_arguments(std::move(arguments)) {}
    void ParseCommandLine(CCommandLineInfo& info) const override
    {
        CWinApp::ParseCommandLine(info, QStringList{QStringLiteral("tavo")} + m_arguments);
    }

private:
    QStringList m_arguments;
};

QString WriteGame(const char* name)
{
    const QString path = FreshPath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::fromStdString(GgfText(MakeGame("carol", "dave", {"F5", "F6"}))));
    return path;
}

} // namespace

TEST(Printing, CommandLinePrintsTheFileWithoutAWindow)
{
    const QString game = WriteGame("printed.ggf");
    const QString pdf = FreshPath("commandline.pdf");
    CommandLineApp app({QStringLiteral("/p"), game});
    // The printer that this job finds: a file, as if chosen in Print Setup.
    app.GetPrinter()->setOutputFileName(pdf);
    // Done once the page is out: start-up reports that the program is to end.
    EXPECT_FALSE(app.Start());
    EXPECT_EQ(app.m_nExitCode, 0);
    EXPECT_EQ(app.m_nCmdShow, SW_HIDE);
    ASSERT_NE(app.GetMainWnd(), nullptr);
    EXPECT_FALSE(app.GetMainWnd()->isVisible());
    const PdfFile file(pdf);
    ASSERT_TRUE(file.IsPdf());
    EXPECT_EQ(file.Pages(), 1);
    // The window's area in the "space" style of an empty profile, 96 of its pixels to
    // the inch (the printer has 1200 dots to the inch).
    EXPECT_TRUE(file.Fills(qRgb(0, 0, 0)));
    EXPECT_TRUE(file.Draws("12\\.50* 0 0 12\\.50* 0 0 cm\\s+0 0 605 440 re"));
}

TEST(Printing, CommandLineFailuresPrintNothing)
{
    const QString pdf = FreshPath("failed.pdf");
    const QString game = WriteGame("printto.ggf");
    {
        // A printer that the system does not know: said once, nothing goes out.
        MessageBoxes boxes;
        CommandLineApp app({QStringLiteral("/pt"), game, QStringLiteral("No Such Printer")});
        app.GetPrinter()->setOutputFileName(pdf);
        EXPECT_FALSE(app.Start());
        EXPECT_EQ(app.m_nExitCode, 1);
        EXPECT_EQ(boxes.Texts(), std::vector<QString>{QStringLiteral("Failed to start print job.")});
        EXPECT_FALSE(app.GetMainWnd()->isVisible());
    }
    {
        // A file that is missing, or no file at all.
        MessageBoxes boxes;
        CommandLineApp missing({QStringLiteral("/p"), TestHome() + QStringLiteral("/missing.ggf")});
        missing.GetPrinter()->setOutputFileName(pdf);
        EXPECT_FALSE(missing.Start());
        EXPECT_EQ(missing.m_nExitCode, 1);
        CommandLineApp none({QStringLiteral("/p")});
        none.GetPrinter()->setOutputFileName(pdf);
        EXPECT_FALSE(none.Start());
        EXPECT_TRUE(boxes.Texts().empty());
    }
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST(Printing, WindowsOnPaperAreDrawnWhereTheySitAtThePrintersScale)
{
    TestHome();
    QLabel control;
    control.setAutoFillBackground(true);
    QPalette palette = control.palette();
    palette.setColor(QPalette::Window, Qt::red);
    control.setPalette(palette);
    control.resize(20, 10);

    // A device at three times the view's pixels, as a printer is.
    QImage page(120, 90, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        painter.scale(3, 3);
        CDC dc(&painter, TRUE);
        dc.SetViewportOrg(5, 5); // the rectangle is placed by the origin
        EXPECT_TRUE(dc.DrawWindow(&control, CRect(5, 10, 25, 20)));
    }
    const QRgb red = qRgb(255, 0, 0);
    EXPECT_TRUE(AllIn(page, QRect(30, 45, 60, 30), red));
    EXPECT_FALSE(AnyIn(page, QRect(0, 0, 120, 44), red));
    EXPECT_FALSE(AnyIn(page, QRect(0, 0, 29, 90), red));
    EXPECT_FALSE(AnyIn(page, QRect(90, 0, 30, 90), red));
}

TEST(Printing, PaneControlsOnPaperShowWhatTheyShowOnScreen)
{
    PrintedGame game;
    CTavoView* view = ViewOf(game.doc);
    // The page as a printer gets it, here a picture at twice the view's pixels.
    QImage page(view->sizeHint() * 2, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        painter.scale(2, 2);
        CDC dc(&painter, TRUE);
        view->OnDraw(&dc);
    }
    // The style is black on white: what is not white is ink. The move list and the
    // comments carry about as much ink on paper (four pixels for each) as on screen.
    const QImage screen = Grab(game.doc);
    const auto ink = [](const QImage& image, const QRect& area) {
        return area.width() * area.height() - CountIn(image, area, qRgb(255, 255, 255));
    };
    for (const QRect& area : {QRect(391, 31, 203, 148), QRect(391, 191, 203, 188)}) {
        const int shown = ink(screen, area);
        const int printed = ink(page, QRect(area.topLeft() * 2, area.size() * 2));
        EXPECT_GT(shown, 100);
        EXPECT_GT(printed, shown * 2);
        EXPECT_LT(printed, shown * 8);
    }
}
