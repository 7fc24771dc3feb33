#include "WinApp.h"

#include "Doc.h"
#include "Frame.h"
#include "Shell.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QThread>
#include <algorithm>

namespace {

CWinApp* theApp = nullptr;

// The framework's idle processing. Input from the window system and messages posted by
// the program make the idle step due; it runs when the event loop is about to wait
// for the next event, that is once the queue has emptied. Painting and timers do not
// make it due, so an idle step that repaints does not start another one. Only the
// outermost loop idles: within the loop of a modal dialog or a popup menu the caller
// of that loop is still at work, and the main frame's idle timer goes on instead.
class CIdleWatch : public QObject {
public:
    explicit CIdleWatch(CWinApp* app) : m_app(app)
    {
        QCoreApplication::instance()->installEventFilter(this);
        connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
                [this] { OnQueueEmpty(); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (!m_inIdle && MakesIdleDue(e))
            m_pending = true;
        return QObject::eventFilter(watched, e);
    }

private:
    static bool MakesIdleDue(const QEvent* e)
    {
        if (e->type() == PostedMessageEvent)
            return true;
        return e->spontaneous() && e->type() != QEvent::Expose && e->type() != QEvent::Paint;
    }

    void OnQueueEmpty()
    {
        if (!m_pending || !m_app->GetMainWnd() || QThread::currentThread()->loopLevel() > 1)
            return;
        m_pending = false;
        m_inIdle = true;
        m_app->OnIdle(0);
        m_inIdle = false;
    }

    CWinApp* m_app;
    bool m_pending = true; // the first idle step follows the start
    bool m_inIdle = false;
};

} // namespace

CWinApp* AfxGetApp()
{
    return theApp;
}

void CCmdUI::Enable(bool on)
{
    m_bEnabled = on;
    if (m_pAction)
        m_pAction->setEnabled(on);
}

void CCmdUI::SetCheck(int check)
{
    if (m_pAction) {
        m_pAction->setCheckable(true);
        m_pAction->setChecked(check != 0);
    }
}

void CCmdUI::SetRadio(bool on)
{
    // Menus draw radio marks for the actions of an exclusive group: the radio items of
    // one popup menu form one group.
    if (m_pAction && !m_pAction->actionGroup()) {
        for (QObject* object : m_pAction->associatedObjects())
            if (auto* menu = qobject_cast<QMenu*>(object)) {
                auto* group = menu->findChild<QActionGroup*>(QString(), Qt::FindDirectChildrenOnly);
                if (!group)
                    group = new QActionGroup(menu);
                group->addAction(m_pAction);
                break;
            }
    }
    SetCheck(on ? 1 : 0);
}

void CCmdUI::SetText(const QString& text)
{
    if (m_pAction)
        m_pAction->setText(text);
}

bool CCmdTarget::OnCmdMsg(UINT id, CCmdUI* update)
{
    if (update) {
        const auto u = m_updates.find(id);
        if (u != m_updates.end()) {
            update->Enable(true);
            u->second(update);
            return true;
        }
        if (m_commands.count(id)) {
            update->Enable(true);
            return true;
        }
        return false;
    }
    const auto c = m_commands.find(id);
    if (c == m_commands.end())
        return false;
    c->second();
    return true;
}

void CCmdTarget::OnCommand(UINT id, std::function<void()> handler)
{
    m_commands[id] = std::move(handler);
}

void CCmdTarget::OnUpdateCommandUI(UINT id, std::function<void(CCmdUI*)> handler)
{
    m_updates[id] = std::move(handler);
}

void CRecentFileList::Add(const QString& path)
{
    m_files.removeAll(path);
    m_files.prepend(path);
    while (m_files.size() > m_nSize)
        m_files.removeLast();
}

void CRecentFileList::Remove(int index)
{
    if (index >= 0 && index < m_files.size())
        m_files.removeAt(index);
}

void CRecentFileList::ReadList(QSettings& profile)
{
    m_files.clear();
    profile.beginGroup(QStringLiteral("Recent File List"));
    for (int i = 1; i <= m_nSize; ++i) {
        const QString file = profile.value(QStringLiteral("File%1").arg(i)).toString();
        if (!file.isEmpty())
            m_files.append(file);
    }
    profile.endGroup();
}

void CRecentFileList::WriteList(QSettings& profile) const
{
    profile.beginGroup(QStringLiteral("Recent File List"));
    for (int i = 1; i <= m_nSize; ++i) {
        const QString key = QStringLiteral("File%1").arg(i);
        if (i <= m_files.size())
            profile.setValue(key, m_files[i - 1]);
        else
            profile.remove(key);
    }
    profile.endGroup();
}

void CRecentFileList::UpdateMenu(CCmdUI* ui)
{
    ui->Enable(!m_files.isEmpty());
    QAction* first = ui->m_pAction;
    if (!first)
        return;
    std::vector<QMenu*> menus;
    for (QObject* object : first->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(object))
            menus.push_back(menu);
    // The menus are updated often (at every idle step): they are rebuilt only when the
    // list or the menus have changed.
    const bool itemsAlive = std::all_of(m_menuItems.begin(), m_menuItems.end(),
                                        [](const QPointer<QAction>& item) { return !item.isNull(); });
    if (itemsAlive && m_shownFiles == m_files && m_shownMenus == menus)
        return;
    for (const QPointer<QAction>& item : m_menuItems)
        delete item.data();
    m_menuItems.clear();
    m_shownFiles = m_files;
    m_shownMenus = menus;
    if (m_files.isEmpty()) {
        first->setText(QStringLiteral("Recent File"));
        return;
    }
    const auto entry = [this](int i) {
        return QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(m_files[i]));
    };
    first->setText(entry(0));
    for (QMenu* menu : menus) {
        const QList<QAction*> actions = menu->actions();
        const int at = int(actions.indexOf(first));
        QAction* before = at + 1 < actions.size() ? actions[at + 1] : nullptr;
        for (int i = 1; i < m_files.size(); ++i) {
            auto* item = new QAction(entry(i), menu);
            const UINT id = ID_FILE_MRU_FILE1 + UINT(i);
            QObject::connect(item, &QAction::triggered, item, [id] {
                if (CWinApp* app = AfxGetApp())
                    app->OnOpenRecentFile(id);
            });
            menu->insertAction(before, item);
            m_menuItems.push_back(item);
        }
    }
}

void CCommandLineInfo::ParseParam(const QString& param, bool isFlag, bool isLast)
{
    (void)isLast;
    if (isFlag) {
        const QString flag = param.toLower();
        if (flag == QStringLiteral("p"))
            m_nShellCommand = FilePrint;
        else if (flag == QStringLiteral("pt"))
            m_nShellCommand = FilePrintTo;
        else if (flag == QStringLiteral("dde"))
            m_nShellCommand = FileDDE;
        return;
    }
    if (m_strFileName.isEmpty()) {
        m_strFileName = param;
        // A plain file name asks for it to be opened, unless a switch said otherwise
        // or the command was set to nothing beforehand.
        if (m_nShellCommand == FileNew)
            m_nShellCommand = FileOpen;
    } else if (m_nShellCommand == FilePrintTo && m_strPrinterName.isEmpty()) {
        m_strPrinterName = param;
    }
}

CWinApp::CWinApp()
{
    ASSERT(theApp == nullptr);
    theApp = this;
    m_pszAppName = LoadStringResource(57344);
    if (m_pszAppName.isEmpty())
        m_pszAppName = QStringLiteral("Tavo");
    OnCommand(ID_APP_EXIT, [this] { OnAppExit(); });
    OnCommand(ID_FILE_MRU_FILE1, [this] { OnOpenRecentFile(ID_FILE_MRU_FILE1); });
    OnUpdateCommandUI(ID_FILE_MRU_FILE1, [this](CCmdUI* ui) {
        if (m_pRecentFileList)
            m_pRecentFileList->UpdateMenu(ui);
        else
            ui->Enable(false);
    });
    if (QCoreApplication::instance())
        m_pIdleWatch = std::make_unique<CIdleWatch>(this);
}

CWinApp::~CWinApp()
{
    m_templates.clear();
    if (theApp == this)
        theApp = nullptr;
}

int CWinApp::ExitInstance()
{
    SaveStdProfileSettings();
    if (m_profile)
        m_profile->sync();
    return 0;
}

BOOL CWinApp::OnIdle(long count)
{
    (void)count;
    if (m_pMainWnd)
        m_pMainWnd->UpdateCommandUI();
    return FALSE;
}

void CWinApp::WinHelp(DWORD data, UINT command)
{
    (void)data;
    (void)command;
}

int CWinApp::Run()
{
    if (!InitInstance()) {
        // The main window (hidden, when a print switch was carried out) goes first.
        delete m_pMainWnd;
        m_pMainWnd = nullptr;
        ExitInstance();
        return m_nExitCode;
    }
    // The program ends when its main window goes, whatever other windows are open.
    if (m_pMainWnd)
        QObject::connect(m_pMainWnd, &QObject::destroyed, QCoreApplication::instance(), &QCoreApplication::quit);
    QApplication::exec();
    delete m_pMainWnd; // when it has not gone yet; its destructor clears the pointer
    m_pMainWnd = nullptr;
    return ExitInstance();
}

void CWinApp::SetRegistryKey(const QString& company)
{
    m_profile = std::make_unique<QSettings>(company, m_pszAppName);
    m_profile->setFallbacksEnabled(false);
}

int CWinApp::GetProfileInt(const QString& section, const QString& entry, int defaultValue) const
{
    if (!m_profile)
        return defaultValue;
    // Another run of the program may have written the value since: read it afresh.
    m_profile->sync();
    bool ok = false;
    const int value = m_profile->value(section + QStringLiteral("/") + entry).toInt(&ok);
    return ok ? value : defaultValue;
}

QString CWinApp::GetProfileString(const QString& section, const QString& entry,
                                  const QString& defaultValue) const
{
    if (!m_profile)
        return defaultValue;
    m_profile->sync();
    const QVariant value = m_profile->value(section + QStringLiteral("/") + entry);
    return value.isValid() ? value.toString() : defaultValue;
}

namespace {
// The profile may hold a password: its file is created readable by the owner only
// before anything is written, and the later atomic rewrites keep those permissions.
void RestrictToOwner(const QString& path)
{
    if (path.isEmpty())
        return;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.exists()) {
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.close();
    }
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}
} // namespace

BOOL CWinApp::WriteProfileValue(const QString& section, const QString& entry, const QVariant& value)
{
    if (!m_profile)
        return FALSE;
    RestrictToOwner(m_profile->fileName());
    m_profile->setValue(section + QStringLiteral("/") + entry, value);
    m_profile->sync();
    return m_profile->status() == QSettings::NoError;
}

BOOL CWinApp::WriteProfileInt(const QString& section, const QString& entry, int value)
{
    return WriteProfileValue(section, entry, value);
}

BOOL CWinApp::WriteProfileString(const QString& section, const QString& entry, const QString& value)
{
    return WriteProfileValue(section, entry, value);
}

namespace {
const QString kPreviewSection = QStringLiteral("Settings");
const QString kPreviewEntry = QStringLiteral("PreviewPages");
} // namespace

void CWinApp::LoadStdProfileSettings(int maxMRU)
{
    m_pRecentFileList = std::make_unique<CRecentFileList>(maxMRU);
    if (m_profile)
        m_pRecentFileList->ReadList(*m_profile);
    m_nNumPreviewPages = GetProfileInt(kPreviewSection, kPreviewEntry, 0);
}

void CWinApp::SaveStdProfileSettings()
{
    if (!m_profile || !m_pRecentFileList)
        return;
    RestrictToOwner(m_profile->fileName());
    m_pRecentFileList->WriteList(*m_profile);
    if (m_nNumPreviewPages != 0)
        m_profile->setValue(kPreviewSection + QStringLiteral("/") + kPreviewEntry, m_nNumPreviewPages);
    m_profile->sync();
}

CDocTemplate* CWinApp::AddDocTemplate(std::unique_ptr<CDocTemplate> docTemplate)
{
    m_templates.push_back(std::move(docTemplate));
    return m_templates.back().get();
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) const
{
    ParseCommandLine(info, QCoreApplication::arguments());
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info, const QStringList& args) const
{
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool isFlag = arg.size() > 1 && (arg[0] == QLatin1Char('/') || arg[0] == QLatin1Char('-'))
                            && !QFileInfo::exists(arg);
        info.ParseParam(isFlag ? arg.mid(1) : arg, isFlag, i + 1 == args.size());
    }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& info)
{
    switch (info.m_nShellCommand) {
    case CCommandLineInfo::FileNothing:
        return TRUE;
    case CCommandLineInfo::FileNew:
        OnFileNew();
        return TRUE;
    case CCommandLineInfo::FileOpen:
    case CCommandLineInfo::FileDDE:
        if (!info.m_strFileName.isEmpty())
            OpenDocumentFile(info.m_strFileName);
        return TRUE;
    case CCommandLineInfo::FilePrint:
    case CCommandLineInfo::FilePrintTo: {
        // The file is printed without a window on the screen, and the program ends.
        m_nCmdShow = SW_HIDE;
        ASSERT(m_pCmdInfo == nullptr);
        CDocument* document = info.m_strFileName.isEmpty() ? nullptr : OpenDocumentFile(info.m_strFileName);
        if (document && !document->GetViews().empty()) {
            m_pCmdInfo = &info;
            if (document->GetViews().front()->OnFilePrint(TRUE))
                m_nExitCode = 0;
            m_pCmdInfo = nullptr;
        }
        return FALSE;
    }
    default:
        return TRUE;
    }
}

void CWinApp::OnAppExit()
{
    if (m_pMainWnd)
        m_pMainWnd->close();
}

QPrinter* CWinApp::GetPrinter()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return m_printer.get();
}

int CWinApp::DoPrintDialog(QPrinter* printer, BOOL setupOnly)
{
    QPrintDialog dialog(printer, AfxGetSafeOwner());
    // A job is one page: no range to choose.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    if (setupOnly) {
        dialog.setWindowTitle(QStringLiteral("Print Setup"));
        if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
            if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
                ok->setText(QStringLiteral("OK"));
    }
    return dialog.exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

void CWinApp::OnFilePrintSetup()
{
    DoPrintDialog(GetPrinter(), TRUE);
}

void CWinApp::OnFileNew()
{
    if (!m_templates.empty())
        m_templates.front()->OpenDocumentFile(QString());
}

BOOL CWinApp::DoPromptFileName(QString& fileName, BOOL openFileDialog, CDocTemplate* docTemplate)
{
    if (!docTemplate && !m_templates.empty())
        docTemplate = m_templates.front().get();
    QString filter;
    if (docTemplate) {
        const QString ext = docTemplate->GetDocString(CDocTemplate::filterExt);
        filter = QStringLiteral("%1 (*%2);;").arg(docTemplate->GetDocString(CDocTemplate::filterName), ext);
    }
    filter += QStringLiteral("All Files (*)");
    const QString chosen =
        openFileDialog
            ? QFileDialog::getOpenFileName(m_pMainWnd, QStringLiteral("Open"), fileName, filter)
            : QFileDialog::getSaveFileName(m_pMainWnd, QStringLiteral("Save As"), fileName, filter);
    if (chosen.isEmpty())
        return FALSE;
    fileName = chosen;
    return TRUE;
}

CDocument* CWinApp::OpenDocumentFile(const QString& path)
{
    const QString full = QFileInfo(path).absoluteFilePath();
    for (const auto& docTemplate : m_templates)
        for (const auto& document : docTemplate->GetDocuments())
            if (document->GetPathName() == full) {
                // Already open: its window comes to the front.
                const std::vector<CView*>& views = document->GetViews();
                if (!views.empty())
                    if (CMDIChildWnd* frame = views.front()->GetParentFrame())
                        frame->ActivateFrame();
                return document.get();
            }
    return m_templates.empty() ? nullptr : m_templates.front()->OpenDocumentFile(full);
}

void CWinApp::OnFileOpen()
{
    QString name;
    if (DoPromptFileName(name, TRUE, nullptr))
        OpenDocumentFile(name);
}

void CWinApp::OnOpenRecentFile(UINT id)
{
    if (!m_pRecentFileList)
        return;
    const int index = int(id - ID_FILE_MRU_FILE1);
    const QStringList& files = m_pRecentFileList->Files();
    if (index < 0 || index >= files.size())
        return;
    // A file that no longer opens leaves the list.
    if (!OpenDocumentFile(files[index]))
        m_pRecentFileList->Remove(index);
}

BOOL CWinApp::SaveAllModified()
{
    for (const auto& docTemplate : m_templates)
        if (!docTemplate->SaveAllModified())
            return FALSE;
    return TRUE;
}

void CWinApp::CloseAllDocuments()
{
    for (const auto& docTemplate : m_templates)
        docTemplate->CloseAllDocuments();
}
