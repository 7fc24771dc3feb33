#include "TalkSupport.h"

#include "MainFrm.h"
#include "res/Resource.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

TalkSession::TalkSession(const std::string& script) : deleted(std::make_shared<std::atomic<bool>>(false))
{
    if (script.empty())
        server.ServeGGS();
    else
        server.SetScript(script);
    app.nServerPort = server.Start();
    app.streamFactory = [this] { return new RecordingStream(deleted); };
    app.Start();
    app.WriteProfileString(QStringLiteral("GGS"), QStringLiteral("server"), QStringLiteral("127.0.0.1"));
}

TalkSession::~TalkSession()
{
    // The connection ends as the user would end it, and its windows go with it.
    if (app.pStream) {
        Command(ID_GGS_CONNECT);
        ProcessEventsUntil([this] { return bool(*deleted); });
    }
    server.Stop();
}

bool TalkSession::LogIn(const std::string& login)
{
    client = server.GetClientCount();
    return ConnectAs(app, login) && app.pStream->IsLoggedIn() && Sent("alias .log_off\n");
}

bool TalkSession::Sent(const std::string& text) const
{
    return ProcessEventsUntil(
        [&] { return server.WaitForClientText(text, std::chrono::milliseconds(0), client); }, kWait);
}

void TalkSession::Command(UINT id)
{
    auto* frame = dynamic_cast<CMainFrame*>(app.GetMainWnd());
    frame->UpdateCommandUI();
    frame->GetCommandAction(id)->trigger();
}

bool TalkSession::Enabled(UINT id)
{
    auto* frame = dynamic_cast<CMainFrame*>(app.GetMainWnd());
    frame->UpdateCommandUI();
    return frame->GetCommandAction(id)->isEnabled();
}

MessageBoxes::MessageBoxes() : m_context(new QObject)
{
    auto* timer = new QTimer(m_context.get());
    QObject::connect(timer, &QTimer::timeout, m_context.get(), [this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || box->property("closed").toBool())
            return;
        box->setProperty("closed", true);
        m_texts.push_back(box->text());
        box->button(QMessageBox::Ok)->click();
    });
    timer->start(5);
}

MessageBoxes::~MessageBoxes() = default;

std::vector<QString> MessageBoxes::Texts()
{
    ProcessPendingEvents();
    return m_texts;
}

CConsole* ConsoleTitled(const std::string& title)
{
    CConsole* console = FindWindowTitled<CConsole>(ToQ(title));
    return console && console->m_pStream ? console : nullptr;
}

CDialogGGSWho* WhoWindow()
{
    CDialogGGSWho* who = FindWindowTitled<CDialogGGSWho>(QStringLiteral("GGS Who"));
    return who && who->m_pStream ? who : nullptr;
}

QPlainTextEdit* OutputOf(CConsole* console)
{
    return qobject_cast<QPlainTextEdit*>(console->GetDlgItem(IDC_CONSOLE_OUTPUT));
}

QLineEdit* InputOf(CConsole* console)
{
    return qobject_cast<QLineEdit*>(console->GetDlgItem(IDC_CONSOLE_INPUT));
}

QString OutputText(CConsole* console)
{
    // What the box shows once the window thread has had time for all of it: its
    // document, counted with two characters a line end, is the whole text.
    const QTextDocument* shown = OutputOf(console)->document();
    ProcessEventsUntil([&] {
        return shown->characterCount() + shown->blockCount() - 2 == console->m_editOutput.GetWindowTextLength();
    });
    return OutputOf(console)->toPlainText();
}

void TypeLine(CConsole* console, const QString& line)
{
    TypeText(InputOf(console), line);
    PressKey(InputOf(console), Qt::Key_Return);
}

void PasteText(QWidget* edit, const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
}

CListCtrl* ListOf(CDialogGGSWho* who)
{
    return dynamic_cast<CListCtrl*>(who->GetDlgItem(IDC_WHO_LIST));
}

std::vector<std::string> Rows(CDialogGGSWho* who)
{
    return ListRows(ListOf(who), " ");
}

std::vector<std::string> ListRows(const CListCtrl* list, const std::string& separator)
{
    std::vector<std::string> rows;
    for (int row = 0; list && row < list->GetItemCount(); ++row) {
        std::string text;
        for (int column = 0; column < list->columnCount(); ++column)
            text += (column ? separator : "") + ToStd(list->GetItemText(row, column));
        rows.push_back(text);
    }
    return rows;
}

void ClickCell(CListCtrl* list, int row, int column, Qt::MouseButton button)
{
    QPoint point;
    if (row >= 0) {
        point = list->GetSubItemRect(row, column).center();
    } else {
        // Below the last row.
        const int last = list->GetItemCount() - 1;
        point = QPoint(5, last >= 0 ? list->GetSubItemRect(last, 0).bottom() + 20 : 5);
    }
    QWidget* viewport = list->viewport();
    const QPointF local(point);
    const QPointF global(viewport->mapToGlobal(point));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, button, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &release);
}

void DoubleClickCell(CListCtrl* list, int row, int column)
{
    QWidget* viewport = list->viewport();
    const QPoint point = viewport->mapTo(viewport->window(), list->GetSubItemRect(row, column).center());
    QTest::mouseDClick(viewport->window()->windowHandle(), Qt::LeftButton, Qt::NoModifier, point);
}

std::vector<std::string> CutTexts(const CListCtrl* list)
{
    std::vector<std::string> cut;
    const QHeaderView* header = list->header();
    const QFontMetrics titles(header->font());
    const int headerMargin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int column = 0; column < list->columnCount(); ++column) {
        const QString title = list->headerItem()->text(column);
        if (titles.horizontalAdvance(title) + 2 * headerMargin > header->sectionSize(column))
            cut.push_back(ToStd(title));
        else if (!title.isEmpty()
                 && header->sectionViewportPosition(column) + header->sectionSize(column) > list->viewport()->width())
            cut.push_back(ToStd(title) + " (beyond the window)");
    }
    const QFontMetrics cells(list->font());
    const int cellMargin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    for (int row = 0; row < list->GetItemCount(); ++row)
        for (int column = 0; column < list->columnCount(); ++column) {
            const QString text = list->GetItemText(row, column);
            if (cells.horizontalAdvance(text) + 2 * cellMargin > list->GetSubItemRect(row, column).width())
                cut.push_back(std::to_string(row) + "," + std::to_string(column) + " " + ToStd(text));
        }
    return cut;
}

QMenu* OpenMenu()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* menu = qobject_cast<QMenu*>(widget); menu && menu->isVisible())
            return menu;
    return nullptr;
}

void ChooseMenuItem(const QString& text)
{
    QMenu* menu = OpenMenu();
    if (!menu)
        return;
    for (QAction* action : menu->actions()) {
        if (action->text() == text && action->isEnabled()) {
            action->trigger();
            menu->close();
            return;
        }
    }
}
