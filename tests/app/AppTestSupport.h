// Support for the client's tests: a private home for profile, data and logs, the one
// QApplication, an application object per test, and a driver that answers the modal
// dialogs and message boxes through their widgets.
#pragma once

#include "Tavo.h"
#include "TavoGGSStream.h"
#include "TestTime.h"
#include "mfc/Doc.h"

#include <QApplication>
#include <QPointer>
#include <QSettings>
#include <QString>
#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLineEdit;
class QMessageBox;
class CDialog;

// Sets up the process once: a private temporary home (XDG config and data folders,
// working directory) and the QApplication. Returns the temporary folder, which is
// removed when the program ends.
QString TestHome();

// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const QString& path);

// The application's profile, as the tests read and prepare it.
QSettings TestProfile();

// Processes events until the condition holds or the time is up; returns the condition.
// The time given is a plain build's: it is scaled to the build.
bool ProcessEventsUntil(const std::function<bool()>& condition,
                        std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));

// Handles every event that is due now, and what those bring in turn, until a pass finds
// nothing more to do: what the code has posted to the window thread (repaints, deferred
// calls and deletions, messages already queued) has all been handled. Events yet to come
// from elsewhere (another thread, the network, a timer not yet due) are not waited for.
void ProcessPendingEvents();

// Types text into a widget key by key, as a user would.
void TypeText(QWidget* widget, const QString& text);
void PressKey(QWidget* widget, int key);
QLineEdit* EditOf(CDialog* dialog, int id);
void ClickButton(CDialog* dialog, int id);
// Expects the text, the buttons and any scrolling view of the box in the dialog font.
void ExpectDialogFont(const QMessageBox* box);

// A modal window (a message box or a dialog) that shows while nothing of the test
// expects it fails the running test with its text and is closed, so that the test goes
// on and its failure names it. What answers modal windows says what it expects, for as
// long as it expects it, with one of these.
class ModalExpectation {
public:
    explicit ModalExpectation(std::function<bool(QWidget*)> expects);
    ~ModalExpectation();
    ModalExpectation(const ModalExpectation&) = delete;
    ModalExpectation& operator=(const ModalExpectation&) = delete;
    static bool Expected(QWidget* window);

private:
    std::function<bool(QWidget*)> m_expects;
};

// Answers modal windows in order: each step waits until the top modal window matches,
// then acts on it. Every message box that appears is recorded with its text.
class ModalDriver {
public:
    ModalDriver();
    ~ModalDriver();
    void OnDialog(std::function<void(CDialog*)> act);
    void OnMessageBox(std::function<void(QMessageBox*)> act);
    // Clicks OK on the next message box.
    void AcceptMessageBox();
    bool Done() const { return m_steps.empty() && m_lastStarted; }
    std::vector<QString> messageBoxes;

private:
    struct Step {
        std::function<bool(QWidget*)> match;
        std::function<void(QWidget*)> act;
    };
    void Poll();
    std::deque<Step> m_steps;
    bool m_lastStarted = true;
    std::unique_ptr<QObject> m_context;
    // The window that the next step answers.
    ModalExpectation m_expectation{[this](QWidget* w) { return !m_steps.empty() && m_steps.front().match(w); }};
};

// Prepares the home and empties the profile before the application object exists.
struct TestHomeSetup {
    TestHomeSetup();
};

// An application object with an empty profile, started or not.
class TestApp : private TestHomeSetup, public CTavoApp {
public:
    TestApp();
    ~TestApp() override;
    // InitInstance; false when it failed.
    bool Start();
    // Destroys the main frame as closing the program does (it takes "shutdown").
    void DestroyMainFrame();

    std::function<tavostream*()> streamFactory;

protected:
    tavostream* NewStream() override;
};

// Connects to the server on 127.0.0.1 as the user does, with the login and the password
// "pw" remembered: OK in the connect dialog. False when the dialog did not run or no
// connection was made.
bool ConnectAs(TestApp& app, const std::string& login);

// A stream that records what reaches the window thread and when it is deleted.
class RecordingStream : public tavostream {
public:
    explicit RecordingStream(std::shared_ptr<std::atomic<bool>> deleted) : m_deleted(std::move(deleted)) {}
    ~RecordingStream() override { *m_deleted = true; }
    void ParseMessage(const std::string& text) override;

    // Read and written on the window thread only.
    std::vector<std::string> texts;
    bool allOnWindowThread = true;

private:
    std::shared_ptr<std::atomic<bool>> m_deleted;
};
