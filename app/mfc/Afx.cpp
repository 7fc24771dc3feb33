#include "Afx.h"

#include "Dialog.h"
#include "Frame.h"
#include "WinApp.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <algorithm>
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

namespace {

// At most kBoxChars characters of the text, and a note at the end when some are cut.
QString BoxText(const QString& text)
{
    if (text.size() <= kBoxChars)
        return text;
    qsizetype cut = kBoxChars;
    if (text[cut].isLowSurrogate())
        --cut;
    return text.left(cut) + QStringLiteral("\n[... %1 more characters not shown]").arg(text.size() - cut);
}

// A text taller than the screen leaves room for is shown in a scrolling view in the
// label's place (the label keeps the text, hidden), so that the box fits the screen
// and its buttons stay in reach.
void FitToScreen(QMessageBox& box, const QString& text, const QWidget* owner)
{
    const QScreen* screen = owner ? owner->screen() : box.screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const int width = std::min(area.width() / 2, 500);
    const int height = std::max(100, area.height() - 200);
    const QFontMetrics metrics(box.font());
    const QRect column(0, 0, width, height);
    const int needed = std::max(metrics.boundingRect(column, Qt::TextWordWrap, text).height(),
                                metrics.boundingRect(column, Qt::TextWrapAnywhere, text).height());
    if (needed <= height)
        return;
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    QLabel* label = nullptr;
    for (QLabel* each : box.findChildren<QLabel*>())
        if (each->text() == text)
            label = each;
    if (!grid || !label)
        return;
    int row = 0, col = 0, rows = 1, columns = 1;
    grid->getItemPosition(grid->indexOf(label), &row, &col, &rows, &columns);
    auto* view = new QPlainTextEdit(&box);
    view->setReadOnly(true);
    view->setPlainText(text);
    view->setMinimumSize(width, height);
    label->hide();
    grid->addWidget(view, row, col, rows, columns);
}

// The box itself, its text already within kBoxChars.
int ShowBox(const QString& text, UINT type, UINT helpId)
{
    // A modal window in front runs a loop of its own, so it outlives the box. Any other
    // window might be closed (and deleted) while the box waits for its answer.
    QWidget* owner = AfxGetSafeOwner(QApplication::activeModalWidget());
    QMessageBox box(owner);
    // A box speaks in the font of the dialogs, its text and its buttons alike.
    box.setFont(DialogFont());
    CWinApp* app = AfxGetApp();
    box.setWindowTitle(app ? app->m_pszAppName : QStringLiteral("Tavo"));
    box.setTextFormat(Qt::PlainText);
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
    FitToScreen(box, text, owner);
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

} // namespace

int AfxMessageBox(const QString& text, UINT type, UINT helpId)
{
    return ShowBox(BoxText(text), type, helpId);
}

int AfxMessageBox(UINT idPrompt, UINT type, UINT helpId)
{
    return AfxMessageBox(LoadStringResource(idPrompt), type, helpId == UINT(-1) ? idPrompt : helpId);
}

namespace {

struct ModalStep {
    std::function<void()> run;
    // A box raised by the server, and its text.
    bool isBox = false;
    QString text;
};

struct ModalSteps {
    std::deque<ModalStep> waiting;
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
        const ModalStep step = std::move(steps.waiting.front());
        steps.waiting.pop_front();
        step.run();
    }
    steps.running = false;
}

void Enqueue(ModalStep step)
{
    ModalSteps& steps = Steps();
    steps.waiting.push_back(std::move(step));
    // The first one waiting starts the queue; the others follow it there.
    if (steps.waiting.size() == 1 && !steps.running)
        QTimer::singleShot(0, QCoreApplication::instance(), RunModalSteps);
}

} // namespace

void AfxRunModalLater(std::function<void()> step)
{
    Enqueue({std::move(step), false, QString()});
}

void AfxMessageBoxLater(const QString& text)
{
    ModalSteps& steps = Steps();
    const QString shown = BoxText(text);
    // A box the same as one waiting takes that one's place at the end of the queue, so
    // that notices of a state that changes back and forth keep their order.
    const auto same = std::find_if(steps.waiting.begin(), steps.waiting.end(),
                                   [&](const ModalStep& step) { return step.isBox && step.text == shown; });
    if (same != steps.waiting.end())
        steps.waiting.erase(same);
    const auto boxes = std::count_if(steps.waiting.begin(), steps.waiting.end(),
                                     [](const ModalStep& step) { return step.isBox; });
    if (boxes >= kMaxWaitingBoxes)
        return;
    Enqueue({[shown] { ShowBox(shown, MB_OK, 0); }, true, shown});
}
