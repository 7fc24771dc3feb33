#include "Afx.h"

#include "Frame.h"
#include "WinApp.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>

void AfxAssertFailed(const char* file, int line)
{
    std::fprintf(stderr, "Assertion failed: %s, line %d\n", file, line);
}

void AfxTrace(const char* text)
{
#ifndef NDEBUG
    std::fputs(text, stderr);
#else
    (void)text;
#endif
}

DWORD GetTickCount()
{
    using namespace std::chrono;
    return DWORD(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// The string table itself lives with the resources.
const char* FindStringResource(UINT id);

QString LoadStringResource(UINT id)
{
    const char* text = FindStringResource(id);
    return text ? QString::fromUtf8(text) : QString();
}

std::string LoadStdString(UINT id)
{
    const char* text = FindStringResource(id);
    return text ? std::string(text) : std::string();
}

namespace {

void ToolkitBeep()
{
    QApplication::beep();
}

std::atomic<BeepSound> beepSound{ToolkitBeep};
// Set while a beep asked for by another thread waits for the window thread.
std::atomic<bool> beepPending{false};

} // namespace

BOOL MessageBeep(UINT type)
{
    (void)type;
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return FALSE;
    if (QThread::currentThread() == application->thread()) {
        beepSound.load()();
        return TRUE;
    }
    // One beep waiting is enough: the beeps asked for before it has sounded join it, so
    // that a flood of them costs the window thread one call and holds one in its queue.
    // The flag is cleared before the sound, so a beep asked for during it is not lost.
    if (beepPending.exchange(true))
        return TRUE;
    const bool queued = QMetaObject::invokeMethod(application, [] {
        beepPending = false;
        beepSound.load()();
    }, Qt::QueuedConnection);
    if (!queued)
        beepPending = false;
    return queued ? TRUE : FALSE;
}

void SetBeepSound(BeepSound sound)
{
    beepSound = sound ? sound : ToolkitBeep;
}

QWidget* AfxGetSafeOwner(QWidget* parent)
{
    if (parent)
        return parent;
    CWinApp* app = AfxGetApp();
    return app ? app->GetMainWnd() : nullptr;
}

int AfxMessageBox(const QString& text, UINT type, UINT helpId)
{
    // A modal window in front runs a loop of its own, so it outlives the box. Any other
    // window might be closed (and deleted) while the box waits for its answer.
    QMessageBox box(AfxGetSafeOwner(QApplication::activeModalWidget()));
    CWinApp* app = AfxGetApp();
    box.setWindowTitle(app ? app->m_pszAppName : QStringLiteral("Tavo"));
    box.setText(text);
    if (type & MB_ICONEXCLAMATION)
        box.setIcon(QMessageBox::Warning);
    QAbstractButton* yes = nullptr;
    QAbstractButton* no = nullptr;
    QAbstractButton* cancel = nullptr;
    QAbstractButton* ok = nullptr;
    switch (type & 0x0F) {
    case MB_YESNO:
        yes = box.addButton(QMessageBox::Yes);
        no = box.addButton(QMessageBox::No);
        break;
    case MB_YESNOCANCEL:
        yes = box.addButton(QMessageBox::Yes);
        no = box.addButton(QMessageBox::No);
        cancel = box.addButton(QMessageBox::Cancel);
        break;
    case MB_OKCANCEL:
        ok = box.addButton(QMessageBox::Ok);
        cancel = box.addButton(QMessageBox::Cancel);
        break;
    default:
        ok = box.addButton(QMessageBox::Ok);
        break;
    }
    QAbstractButton* help = (type & MB_HELP) ? box.addButton(QMessageBox::Help) : nullptr;
    // A Help button opens the page and leaves the question open, as the platform does.
    for (;;) {
        box.exec();
        QAbstractButton* clicked = box.clickedButton();
        if (help && clicked == help) {
            if (app)
                app->WinHelp(HID_BASE_PROMPT + helpId, HELP_CONTEXT);
            continue;
        }
        if (clicked == yes)
            return IDYES;
        if (clicked == no)
            return IDNO;
        if (clicked == cancel || (!clicked && cancel))
            return IDCANCEL;
        if (!clicked && no)
            return IDNO;
        return ok ? IDOK : IDCANCEL;
    }
}

int AfxMessageBox(UINT idPrompt, UINT type, UINT helpId)
{
    return AfxMessageBox(LoadStringResource(idPrompt), type, helpId == UINT(-1) ? idPrompt : helpId);
}

namespace {

struct ModalSteps {
    std::deque<std::function<void()>> waiting;
    bool running = false;
};

ModalSteps& Steps()
{
    static ModalSteps steps;
    return steps;
}

void RunModalSteps()
{
    ModalSteps& steps = Steps();
    if (steps.running)
        return;
    steps.running = true;
    while (!steps.waiting.empty()) {
        const std::function<void()> step = std::move(steps.waiting.front());
        steps.waiting.pop_front();
        step();
    }
    steps.running = false;
}

} // namespace

void AfxRunModalLater(std::function<void()> step)
{
    ModalSteps& steps = Steps();
    steps.waiting.push_back(std::move(step));
    // The first one waiting starts the queue; the others follow it there.
    if (steps.waiting.size() == 1 && !steps.running)
        QTimer::singleShot(0, QCoreApplication::instance(), RunModalSteps);
}

void AfxMessageBoxLater(const QString& text)
{
    AfxRunModalLater([text] { AfxMessageBox(text, MB_OK, 0); });
}
