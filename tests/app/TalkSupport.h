// Support for the tests of the text windows and the who window: a client application
// logged in to the stand-in, and the windows found by their titles and driven through
// their widgets.
#pragma once

#include "AppTestSupport.h"
#include "Console.h"
#include "DialogGGSWho.h"
#include "mfc/ListCtrl.h"

#include "StandinServer.h"

#include <QMessageBox>
#include <QPointer>
#include <string>
#include <vector>

class QMenu;
class QPlainTextEdit;

constexpr std::chrono::milliseconds kWait{10000};

// Failing checks print the text of a QString.
void PrintTo(const QString& text, std::ostream* os);

// The client application with a connection to a stand-in server: the live GGS server
// with its service "/os", or a script of server texts.
class TalkSession {
public:
    // Live server unless a script is given.
    explicit TalkSession(const std::string& script = std::string());
    ~TalkSession();

    // Connects and logs in through the connect dialog, and waits until the commands that
    // follow the login are out; false when that failed.
    bool LogIn(const std::string& login = "alice");
    // Waits until the server has received the text from the application, handling the
    // window thread's events meanwhile.
    bool Sent(const std::string& text) const;
    tavostream* Stream() const { return app.pStream; }
    // Runs a command of the main window as its menu item does.
    void Command(UINT id);
    bool Enabled(UINT id);

    CStandinServer server;
    TestApp app;
    size_t client = 0;   // the application's connection among the server's clients
    std::shared_ptr<std::atomic<bool>> deleted;
};

// Closes with OK every message box that opens while it lives and keeps their texts, so
// that a box a test does not expect fails the test instead of waiting for a click.
class MessageBoxes {
public:
    MessageBoxes();
    ~MessageBoxes();
    // The texts of the boxes so far, once the window thread has had time for those due.
    std::vector<QString> Texts();

private:
    std::unique_ptr<QObject> m_context;
    std::vector<QString> m_texts;
    ModalExpectation m_expectation{[](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; }};
};

// The top-level window of that title and class, null when there is none.
template <class W>
W* FindWindowTitled(const QString& title)
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = dynamic_cast<W*>(widget); window && window->windowTitle() == title)
            return window;
    return nullptr;
}
CConsole* ConsoleTitled(const std::string& title);
CDialogGGSWho* WhoWindow();

// A console's boxes and what they show.
QPlainTextEdit* OutputOf(CConsole* console);
QLineEdit* InputOf(CConsole* console);
QString OutputText(CConsole* console);
// Types a line into the input and presses Enter.
void TypeLine(CConsole* console, const QString& line);
// Puts the text on the clipboard and pastes it into the edit with Ctrl+V.
void PasteText(QWidget* edit, const QString& text);

// The list of the who window and its rows as "login status idle online".
CListCtrl* ListOf(CDialogGGSWho* who);
std::vector<std::string> Rows(CDialogGGSWho* who);
// The rows of a list, each as its cells joined by the separator.
std::vector<std::string> ListRows(const CListCtrl* list, const std::string& separator = "|");
// Clicks a cell of the list (a row of -1: beside the rows) with a mouse button.
void ClickCell(CListCtrl* list, int row, int column, Qt::MouseButton button);
// Double-clicks a cell with the left button as the window system reports it: press,
// release, press, release, the second press a double click.
void DoubleClickCell(CListCtrl* list, int row, int column);
// The texts of a list that do not show whole: the column titles that the header cuts or
// that stand beyond the window's edge, and the cells that the rows cut ("row,column
// text").
std::vector<std::string> CutTexts(const CListCtrl* list);
// The context menu open now, null when there is none.
QMenu* OpenMenu();
// Chooses the item of that text in the open context menu.
void ChooseMenuItem(const QString& text);
