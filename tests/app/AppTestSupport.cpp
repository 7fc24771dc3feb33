#include "AppTestSupport.h"

#include "MainFrm.h"
#include "TavoGGSStream.h"
#include "TestWatchdog.h"
#include "mfc/Dialog.h"

#include <QAbstractEventDispatcher>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <thread>
#include <unistd.h>

namespace {

std::vector<ModalExpectation*>& Expectations()
{
    static std::vector<ModalExpectation*> expectations;
    return expectations;
}

// Watches every window that shows for a modal one that no expectation takes.
class UnexpectedModalGuard : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() != QEvent::Show || !watched->isWidgetType())
            return false;
        auto* window = static_cast<QWidget*>(watched);
        if (!window->isWindow() || !window->isModal() || ModalExpectation::Expected(window))
            return false;
        const auto* box = qobject_cast<QMessageBox*>(window);
        ADD_FAILURE() << "A modal window that the test does not expect: \""
                      << (box ? box->text() : window->windowTitle()).toStdString() << "\"";
        QTimer::singleShot(0, window, [window] {
            if (auto* dialog = qobject_cast<QDialog*>(window))
                dialog->reject();
            else
                window->close();
        });
        return false;
    }
};

} // namespace

QString TestHome()
{
    // The home goes with the process: at its end, or when the watchdog ends it.
    struct Home {
        Home() { RemoveIfTheWatchdogEnds(QFile::encodeName(folder.path()).toStdString()); }
        ~Home() { ForgetForTheWatchdog(QFile::encodeName(folder.path()).toStdString()); }
        QTemporaryDir folder{QDir::tempPath() + QStringLiteral("/tavo-test-XXXXXX")};
    };
    static Home* home = nullptr;
    static QApplication* application = nullptr;
    if (!application) {
        static Home removedAtExit;
        home = &removedAtExit;
        const QByteArray root = QFile::encodeName(home->folder.path());
        ::setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
        ::setenv("XDG_DATA_HOME", (root + "/data").constData(), 1);
        ::setenv("XDG_RUNTIME_DIR", root.constData(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        if (::chdir(root.constData()) != 0)
            std::abort();
        static int argc = 1;
        static char name[] = "app_tests";
        static char* argv[] = {name, nullptr};
        application = new QApplication(argc, argv);
        application->setQuitOnLastWindowClosed(false);
        application->installEventFilter(new UnexpectedModalGuard);
    }
    return home->folder.path();
}

std::string ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

QSettings TestProfile()
{
    return QSettings(QStringLiteral("Deziduva"), QStringLiteral("Tavo"));
}

bool ProcessEventsUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + Scaled(timeout);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        // Outside a running event loop, windows closed with deleteLater go only here.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void ProcessPendingEvents()
{
    // Outside a running event loop, deferred deletions go only when asked for. The bound
    // on the passes only keeps a fault that posts without end from hanging here.
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    for (int pass = 0; pass < 100000; ++pass) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (!dispatcher->processEvents(QEventLoop::AllEvents))
            break;
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TypeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(widget, &release);
    }
}

void PressKey(QWidget* widget, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
}

QLineEdit* EditOf(CDialog* dialog, int id)
{
    return qobject_cast<QLineEdit*>(dialog->GetDlgItem(id));
}

void ClickButton(CDialog* dialog, int id)
{
    if (auto* button = qobject_cast<QPushButton*>(dialog->GetDlgItem(id)))
        button->click();
}

void ExpectDialogFont(const QMessageBox* box)
{
    const QFontInfo dialogFont(DialogFont());
    const auto expect = [&](const QWidget* w, const QString& what) {
        const QFontInfo shown(w->font());
        EXPECT_EQ(ToStd(shown.family()), ToStd(dialogFont.family())) << what.toStdString();
        EXPECT_EQ(shown.pixelSize(), dialogFont.pixelSize()) << what.toStdString();
    };
    const QLabel* text = nullptr;
    for (const QLabel* label : box->findChildren<QLabel*>())
        if (label->text() == box->text())
            text = label;
    ASSERT_NE(text, nullptr);
    expect(text, QStringLiteral("the text"));
    for (const QAbstractButton* button : box->buttons())
        expect(button, button->text());
    for (const QPlainTextEdit* view : box->findChildren<QPlainTextEdit*>())
        expect(view, QStringLiteral("the scrolling text"));
}

ModalExpectation::ModalExpectation(std::function<bool(QWidget*)> expects) : m_expects(std::move(expects))
{
    Expectations().push_back(this);
}

ModalExpectation::~ModalExpectation()
{
    auto& expectations = Expectations();
    expectations.erase(std::find(expectations.begin(), expectations.end(), this));
}

bool ModalExpectation::Expected(QWidget* window)
{
    for (const ModalExpectation* expectation : Expectations())
        if (expectation->m_expects(window))
            return true;
    return false;
}

ModalDriver::ModalDriver() : m_context(new QObject)
{
    auto* timer = new QTimer(m_context.get());
    QObject::connect(timer, &QTimer::timeout, m_context.get(), [this] { Poll(); });
    timer->start(5);
}

ModalDriver::~ModalDriver() = default;

void ModalDriver::OnDialog(std::function<void(CDialog*)> act)
{
    m_steps.push_back({[](QWidget* w) { return dynamic_cast<CDialog*>(w) != nullptr; },
                       [act](QWidget* w) { act(dynamic_cast<CDialog*>(w)); }});
}

void ModalDriver::OnMessageBox(std::function<void(QMessageBox*)> act)
{
    m_steps.push_back({[](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; },
                       [act](QWidget* w) { act(qobject_cast<QMessageBox*>(w)); }});
}

void ModalDriver::AcceptMessageBox()
{
    OnMessageBox([](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); });
}

void ModalDriver::Poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    // Each box is recorded once (boxes made on the stack may reuse one address).
    if (auto* box = qobject_cast<QMessageBox*>(modal); box && !box->property("recorded").toBool()) {
        box->setProperty("recorded", true);
        messageBoxes.push_back(box->text());
    }
    // The next step waits until the previous action has begun: it may open the very
    // window that the next step answers, from inside its own modal loop.
    if (!modal || m_steps.empty() || !m_lastStarted || !modal->isVisible() || !m_steps.front().match(modal))
        return;
    Step step = std::move(m_steps.front());
    m_steps.pop_front();
    m_lastStarted = false;
    QPointer<QWidget> target(modal);
    QTimer::singleShot(0, m_context.get(), [this, step, target] {
        m_lastStarted = true;
        if (target)
            step.act(target);
    });
}

TestHomeSetup::TestHomeSetup()
{
    TestHome();
    TestProfile().clear();
}

TestApp::TestApp() = default;

TestApp::~TestApp()
{
    DestroyMainFrame();
    // The shutdown mutex is process-wide; the next test of this process starts afresh.
    const HANDLE shutdown = CreateMutex(false, "shutdown");
    while (ReleaseMutex(shutdown)) {
    }
}

bool TestApp::Start()
{
    return InitInstance() != FALSE;
}

void TestApp::DestroyMainFrame()
{
    delete m_pMainWnd;
    m_pMainWnd = nullptr;
}

tavostream* TestApp::NewStream()
{
    return streamFactory ? streamFactory() : CTavoApp::NewStream();
}

void RecordingStream::ParseMessage(const std::string& text)
{
    if (QThread::currentThread() != QCoreApplication::instance()->thread())
        allOnWindowThread = false;
    if (!text.empty()) // the text before a first "READY", which routing ignores
        texts.push_back(text);
    tavostream::ParseMessage(text);
}

// Libraries below Qt keep caches for the whole process that the leak checker would
// report at exit; they are not this program's leaks.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

bool ConnectAs(TestApp& app, const std::string& login)
{
    app.WriteProfileString(QStringLiteral("GGS"), QStringLiteral("server"), QStringLiteral("127.0.0.1"));
    app.WriteProfileString(QStringLiteral("GGS"), QStringLiteral("login"), ToQ(login));
    app.WriteProfileString(QStringLiteral("GGS"), QStringLiteral("password"), QStringLiteral("pw"));
    ModalDriver driver;
    driver.OnDialog([](CDialog* d) { ClickButton(d, IDOK); });
    app.Connect();
    return driver.Done() && app.pStream;
}
