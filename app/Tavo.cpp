#include "Tavo.h"

#include "Bitmap2.h"
#include "ChildFrm.h"
#include "Console.h"
#include "DialogGGSConnect.h"
#include "DialogGetLogin.h"
#include "DialogOsMatchRequest.h"
#include "DialogReversiAutopass.h"
#include "DialogReversiAutosave.h"
#include "DialogServerName.h"
#include "DialogTalkTo.h"
#include "MainFrm.h"
#include "ServerOsTavo.h"
#include "TavoDoc.h"
#include "TavoGGSStream.h"
#include "TavoView.h"
#include "mfc/Doc.h"
#include "mfc/Shell.h"
#include "res/Icons.h"
#include "res/Resource.h"

#include <QPointer>
#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

// ---------------------------------------------------------------------------------
// Board styles

CBoardStyle CBoardStyle::standard(0x00FFFFFF, 0x00008000, 0x00000000, 0x00000000, 0, 1, "standard");
CBoardStyle CBoardStyle::space(0x00000000, 0x00000000, 0x0000FF00, 0x0000FF00, 1, 0, "space");
CBoardStyle CBoardStyle::wood(0x00406080, 0x00008000, 0x00000000, 0x00FFFFFF, 0, 1, "wood");

CBoardStyle::CBoardStyle(COLORREF background, COLORREF board, COLORREF frame, COLORREF text, BYTE outline,
                         BYTE usesBitmap, const std::string& name)
    : crBackground(background), crBoard(board), crFrame(frame), crText(text), fOutline(outline),
      sName(name), fUsesBitmap(usesBitmap)
{
}

CBoardStyle::~CBoardStyle() = default;

CBitmap2* CBoardStyle::GetBitmap()
{
    if (!pBitmap && !fBitmapFailed && LoadBitmap() != 0) {
        fBitmapFailed = 1;
        pBitmap.reset();
    }
    return pBitmap.get();
}

int CBoardStyle::LoadBitmap()
{
    CTavoApp* app = TavoApp();
    const std::string dir = app ? app->GetModuleDir() : std::string();
    if (dir.empty())
        return 1;
    if (!pBitmap)
        pBitmap = std::make_unique<CBitmap2>();
    const std::string path = dir + sName + ".bmp";
    return pBitmap->LoadFromFile(path.c_str()) ? 0 : 4;
}

bool CBoardStyle::UsesColours()
{
    return !fUsesBitmap || GetBitmap() == nullptr;
}

CBoardStyle* CBoardStyle::FromName(const std::string& name)
{
    if (name == standard.sName)
        return &standard;
    if (name == wood.sName)
        return &wood;
    return &space;
}

// ---------------------------------------------------------------------------------
// Application object

CTavoApp* TavoApp()
{
    return dynamic_cast<CTavoApp*>(AfxGetApp());
}

CTavoApp::CTavoApp() : pBoardStyle(&CBoardStyle::space)
{
    pStartLog = OpenLogFile("startlog.txt");
    if (pStartLog) {
        Log("CTavoApp::CTavoApp()\n");
    } else {
        AfxMessageBox(QStringLiteral("Could not open startlog!"), MB_OK, 0);
    }
    DeclareCommands();
}

CTavoApp::~CTavoApp()
{
    if (pStartLog)
        std::fclose(pStartLog);
}

void CTavoApp::Log(const char* text)
{
    if (pStartLog)
        std::fputs(text, pStartLog);
}

BOOL CTavoApp::InitInstance()
{
    if (pStartLog)
        std::setvbuf(pStartLog, nullptr, _IONBF, 0);
    Log("CTavoApp::InitInstance()\n");
    pStream = nullptr;

    // The widgets draw in the desktop's own style; there is nothing to switch on.
    Log("Enabled 3d controls\n");
    FetchModuleFileName();
    Log("Got MFN\n");
    SetRegistryKey(QStringLiteral("Deziduva"));
    if (pStartLog)
        std::fprintf(pStartLog, "Version: %s\n", LoadStdString(IDS_VERSION).c_str());
    LoadStdProfileSettings(4);
    LoadSettings();
    RegisterFileIcon();

    pGameTemplate = AddDocTemplate(MakeMultiDocTemplate<CTavoDoc, CChildFrame, CTavoView>(IDR_GAMETYPE));

    if (!sModulePath.empty()) {
        ShellFileType type;
        type.typeId = pGameTemplate->GetDocString(CDocTemplate::regFileTypeId);
        type.typeName = pGameTemplate->GetDocString(CDocTemplate::regFileTypeName);
        type.extension = pGameTemplate->GetDocString(CDocTemplate::filterExt);
        type.program = ToQ(sModulePath);
        type.appName = m_pszAppName;
        // Failures are ignored.
        RegisterShellIcon(m_pszAppName.toLower(), DrawProgramIcon(48));
        RegisterShellFileType(type);
    }
    EnableShellOpen();

    auto* mainFrame = new CMainFrame;
    if (!mainFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE)) {
        delete mainFrame;
        return FALSE;
    }
    m_pMainWnd = mainFrame;

    CCommandLineInfo cmdInfo;
    cmdInfo.m_nShellCommand = CCommandLineInfo::FileNothing;
    ParseCommandLine(cmdInfo);
    if (!ProcessShellCommand(cmdInfo))
        return FALSE;

    mainFrame->ShowWindow(m_nCmdShow);
    mainFrame->UpdateWindow();

    hShutdownMutex = CreateMutex(false, "shutdown");
    ASSERT(hShutdownMutex != nullptr);

    // The list windows' row clicks work with every toolkit version here.
    fComCtl471 = true;

    Log("Successfully completed startup\n");
    if (pStartLog) {
        std::fclose(pStartLog);
        pStartLog = nullptr;
    }
    return TRUE;
}

void CTavoApp::FetchModuleFileName()
{
    sModulePath.clear();
    for (DWORD size = 16; size < 32768 && sModulePath.empty(); size *= 2) {
        std::vector<char> buffer;
        try {
            buffer.resize(size);
        } catch (const std::bad_alloc&) {
            break;
        }
        const DWORD length = GetModuleFileName(buffer.data(), size);
        if (length == 0)
            break;
        if (length >= size - 2)
            continue; // the name may have been cut: try a larger buffer
        sModulePath.assign(buffer.data(), length);
    }
}

std::string CTavoApp::GetModuleDir() const
{
    const std::string::size_type slash = sModulePath.rfind('/');
    return slash == std::string::npos ? std::string() : sModulePath.substr(0, slash + 1);
}

void CTavoApp::RegisterFileIcon()
{
    if (sModulePath.empty())
        return;
    // The game files show the game window's icon.
    RegisterShellDocumentIcon(QStringLiteral(".ggf"), DrawDocumentIcon(48)); // a failure is ignored
}

void CTavoApp::LoadSettings()
{
    const QString display = QStringLiteral("Display");
    fShowValidMoves = GetProfileInt(display, QStringLiteral("fShowValidMoves"), 1) != 0;
    fShowLastMove = GetProfileInt(display, QStringLiteral("fShowLastMove"), 1) != 0;
    fShowNextMove = GetProfileInt(display, QStringLiteral("fShowNextMove"), 1) != 0;
    fMoveBeep = GetProfileInt(display, QStringLiteral("fMoveBeep"), 0) != 0;
    fShowEvals = GetProfileInt(display, QStringLiteral("fShowEvals"), 1) != 0;
    CDialogOsGameRequest::LoadDefaults();
    const QString reversi = QStringLiteral("Reversi");
    nAutopass = GetProfileInt(reversi, QStringLiteral("nAutopass"), 1);
    nAutoforce = GetProfileInt(reversi, QStringLiteral("nAutoforce"), 0);
    nAutosaveMine = GetProfileInt(reversi, QStringLiteral("nAutosaveMine"), 1);
    nAutosaveOthers = GetProfileInt(reversi, QStringLiteral("nAutosaveOthers"), 1);
    fnAutosave = ToStd(GetProfileString(reversi, QStringLiteral("fnAutosave")));
    fShowServers = GetProfileInt(QStringLiteral("WhoWindow"), QStringLiteral("fShowServers"), 0) != 0;
    fUnifiedChat = GetProfileInt(QStringLiteral("Chat"), QStringLiteral("fUnifiedChat"), 0) != 0;
    pBoardStyle = CBoardStyle::FromName(ToStd(GetProfileString(display, QStringLiteral("theme"))));
    sServerLogin = ToStd(GetProfileString(QStringLiteral("GGS"), QStringLiteral("sServerLogin"),
                                          QStringLiteral("/os")));
}

void CTavoApp::SaveSettings()
{
    const QString display = QStringLiteral("Display");
    WriteProfileInt(display, QStringLiteral("fShowValidMoves"), fShowValidMoves);
    WriteProfileInt(display, QStringLiteral("fShowLastMove"), fShowLastMove);
    WriteProfileInt(display, QStringLiteral("fShowNextMove"), fShowNextMove);
    WriteProfileInt(display, QStringLiteral("fShowEvals"), fShowEvals);
    WriteProfileInt(display, QStringLiteral("fMoveBeep"), fMoveBeep);
    WriteProfileString(display, QStringLiteral("theme"), ToQ(pBoardStyle->sName));
    CDialogOsGameRequest::SaveDefaults();
    const QString reversi = QStringLiteral("Reversi");
    WriteProfileInt(reversi, QStringLiteral("nAutopass"), nAutopass);
    WriteProfileInt(reversi, QStringLiteral("nAutoforce"), nAutoforce);
    WriteProfileInt(reversi, QStringLiteral("nAutosaveMine"), nAutosaveMine);
    WriteProfileInt(reversi, QStringLiteral("nAutosaveOthers"), nAutosaveOthers);
    WriteProfileString(reversi, QStringLiteral("fnAutosave"), ToQ(fnAutosave));
    WriteProfileInt(QStringLiteral("WhoWindow"), QStringLiteral("fShowServers"), fShowServers);
    WriteProfileInt(QStringLiteral("Chat"), QStringLiteral("fUnifiedChat"), fUnifiedChat);
    WriteProfileString(QStringLiteral("GGS"), QStringLiteral("sServerLogin"), ToQ(sServerLogin));
}

BOOL CTavoApp::OnIdle(long count)
{
    CWinApp::OnIdle(count);
    UpdateAllDocuments(0);
    auto* mainFrame = dynamic_cast<CMainFrame*>(m_pMainWnd);
    if (mainFrame && mainFrame->StartIdleTimer() != 0)
        return FALSE;
    ASSERT(false);
    return TRUE;
}

void CTavoApp::UpdateAllDocuments(LPARAM hint)
{
    for (const auto& docTemplate : GetDocTemplates()) {
        ASSERT(docTemplate != nullptr);
        // A view may close its window while it updates; walk a copy of the list.
        std::vector<CDocument*> documents;
        for (const auto& document : docTemplate->GetDocuments())
            documents.push_back(document.get());
        for (CDocument* document : documents)
            document->UpdateAllViews(nullptr, hint, nullptr);
    }
}

CServerOsTavo* CTavoApp::FindServiceObject() const
{
    return pStream ? dynamic_cast<CServerOsTavo*>(pStream->FindService(sServerLogin)) : nullptr;
}

CTavoDoc* CTavoApp::OpenGameWindow(CServerOsTavo* server, const std::string& id)
{
    auto* doc = pGameTemplate ? dynamic_cast<CTavoDoc*>(pGameTemplate->OpenDocumentFile(QString())) : nullptr;
    if (doc)
        doc->Attach(server, id);
    return doc;
}

CTavoDoc* CTavoApp::OpenGameWindow1(const COsGame& game)
{
    auto* doc = pGameTemplate ? dynamic_cast<CTavoDoc*>(pGameTemplate->OpenDocumentFile(QString())) : nullptr;
    if (doc)
        doc->Update(game);
    return doc;
}

int CTavoApp::ExitInstance()
{
    SaveSettings();
    if (pStream) {
        if (pStream->IsLoggedIn())
            pStream->Logout();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    return CWinApp::ExitInstance();
}

void CTavoApp::WinHelp(DWORD data, UINT command)
{
    if (command != HELP_CONTEXT) {
        ASSERT(false);
        return;
    }
    UINT id = data & 0xFFFF;
    if (id == IDR_MAINFRAME || id == IDR_GAMETYPE)
        id = IDH_INDEX;
    const std::string path = GetModuleDir() + LoadStdString(id);
    const int result = ShellExecuteOpen(QString::fromLocal8Bit(path.c_str()));
    if (result > 31)
        return;
    UINT message;
    switch (result) {
    case 0:
    case 8:
        message = IDS_HELP_NO_MEMORY;
        break;
    case 2:
        message = IDS_HELP_NOT_FOUND;
        break;
    case 5:
        message = IDS_HELP_ACCESS_DENIED;
        break;
    case 31:
        message = IDS_HELP_NO_BROWSER;
        break;
    case 26:
        message = IDS_HELP_SHARING;
        break;
    default:
        ASSERT(false);
        message = IDS_HELP_UNKNOWN;
        break;
    }
    AfxMessageBox(LoadStringResource(message), MB_OK, 0);
}

void CTavoApp::ShowError(int code)
{
    AfxMessageBox(LoadStringResource(UINT(code)), MB_OK, UINT(code));
}

void CTavoApp::ShowConnectionLost(int cause)
{
    QString text = LoadStringResource(IDS_CONNECTION_LOST);
    const QString reason = cause != 0 ? LoadStringResource(UINT(cause)) : QString();
    if (!reason.isEmpty())
        text += QStringLiteral("\n\n") + reason;
    // Not from within the handler of the connection's end: the box runs a loop of its own.
    // A main window that has closed meanwhile (the program is ending) shows nothing more.
    const QPointer<CFrameWnd> main(GetMainWnd());
    AfxRunModalLater([text, main] {
        if (main && main->isVisible())
            AfxMessageBox(text, MB_OK, IDS_CONNECTION_LOST);
    });
}

// ---------------------------------------------------------------------------------
// Connection

void CTavoApp::Connect()
{
    ASSERT(pStream == nullptr);
    if (pStream)
        return;
    int code = 0;
    try {
        pStream = NewStream();
    } catch (const std::bad_alloc&) {
        pStream = nullptr;
        code = 33024;
    }
    if (pStream) {
        const std::string host = ToStd(GetProfileString(QStringLiteral("GGS"), QStringLiteral("server"),
                                                        LoadStringResource(IDS_DEFAULT_SERVER)));
        code = pStream->Connect(host, nServerPort);
        if (code == 0) {
            CDialogGGSConnect dialog(pStream);
            switch (dialog.DoModal()) {
            case IDOK:
                code = dialog.m_nResult;
                break;
            case IDCANCEL:
                code = 33287;
                break;
            default:
                code = 33280;
                break;
            }
            if (code != 0)
                pStream->Disconnect();
        }
        if (code != 0) {
            delete pStream;
            pStream = nullptr;
        } else if (BeginReaderThread(pStream) == -1) {
            const int error = errno;
            code = error == EAGAIN ? 33027 : error == EINVAL ? 33026 : 33025;
            ASSERT(code != 33025);
            // Nobody would ever read this connection or release it: give it up like
            // one whose login failed (logged out and closed), so that the user can
            // connect again.
            delete pStream;
            pStream = nullptr;
        }
    }
    if (code != 0 && code != 33287)
        ShowError(code);
}

tavostream* CTavoApp::NewStream()
{
    return new tavostream;
}

std::intptr_t CTavoApp::BeginReaderThread(tavostream* stream)
{
    return BeginThread(tavostream::ReaderThreadProc, 0, stream);
}

void CTavoApp::ReleaseStream(tavostream* stream)
{
    if (stream != pStream) {
        ASSERT(false);
        return;
    }
    tavostream::Finished(stream, 1);
    pStream = nullptr;
}

// ---------------------------------------------------------------------------------
// About box

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX), m_strVersion(LoadStringResource(IDS_VERSION))
{
}

void CAboutDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_VERSION, m_strVersion);
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    return TRUE;
}

// ---------------------------------------------------------------------------------
// Commands

void CTavoApp::SetStyle(CBoardStyle* style)
{
    if (pBoardStyle->sName == style->sName)
        return;
    pBoardStyle = style;
    UpdateAllDocuments(8);
}

void CTavoApp::DeclareCommands()
{
    OnCommand(ID_GGS_CONNECT, [this] {
        if (!pStream) {
            Connect();
        } else {
            if (pStream->IsLoggedIn())
                pStream->Logout();
            if (pStream->IsConnected())
                pStream->Disconnect();
        }
    });
    OnUpdateCommandUI(ID_GGS_CONNECT, [this](CCmdUI* ui) {
        ui->SetText(pStream && pStream->IsConnected() ? QStringLiteral("Disconnect")
                                                      : QStringLiteral("&Connect..."));
    });
    OnCommand(ID_GGS_SERVER, [] {
        CDialogServerName dialog;
        dialog.DoModal();
    });

    // The talk commands: the who window and the text windows of the connection.
    const auto loggedIn = [this](CCmdUI* ui) { ui->Enable(pStream && pStream->IsLoggedIn()); };
    OnCommand(ID_GGS_WHO, [this] {
        ASSERT(pStream);
        if (!pStream)
            return;
        *pStream << "who\n";
        pStream->flush();
        pStream->ShowWhoDialog();
    });
    OnUpdateCommandUI(ID_GGS_WHO, loggedIn);
    OnCommand(ID_GGS_TALKTO, [this] {
        CDialogTalkTo dialog;
        if (dialog.DoModal() != IDOK)
            return;
        // A login has no blanks: those around a pasted name (a line break turns into
        // one) would make a window that none of the person's tells reach.
        const QString login = dialog.m_strLogin.trimmed();
        if (login.isEmpty()) {
            AfxMessageBox(QStringLiteral("You must enter the name of someone to talk to"), MB_OK, 0);
            return;
        }
        // The connection may have ended while the dialog was open.
        ASSERT(pStream);
        if (pStream)
            pStream->ShowWindowFor(ToStd(login), false);
    });
    OnUpdateCommandUI(ID_GGS_TALKTO, loggedIn);
    OnCommand(ID_GGS_CHAT, [this] {
        ASSERT(pStream);
        if (pStream)
            pStream->ShowWindowFor(".chat", false);
    });
    OnUpdateCommandUI(ID_GGS_CHAT, loggedIn);
    OnCommand(ID_GGS_REGISTER, [this] {
        ASSERT(pStream);
        if (!pStream)
            return;
        *pStream << "g _admin\n";
        pStream->flush();
    });
    OnUpdateCommandUI(ID_GGS_REGISTER, [this](CCmdUI* ui) {
        ui->Enable(pStream && pStream->IsLoggedIn() && pStream->IsUnregistered());
    });
    OnCommand(ID_GGS_CONSOLE, [this] {
        ASSERT(pStream);
        if (pStream)
            pStream->ShowWindowFor(std::string(), false);
    });
    OnUpdateCommandUI(ID_GGS_CONSOLE, loggedIn);
    OnCommand(ID_VIEW_UNIFIEDCHAT, [this] {
        fUnifiedChat = !fUnifiedChat;
        if (fUnifiedChat && pStream)
            if (CConsole* chat = pStream->GetWindow(".chat"))
                chat->PrefillInput();
    });
    OnUpdateCommandUI(ID_VIEW_UNIFIEDCHAT, [this](CCmdUI* ui) { ui->SetCheck(fUnifiedChat); });
    OnCommand(ID_REVERSI_AUTOPLAY, [] {
        CDialogReversiAutopass dialog;
        dialog.DoModal();
    });
    OnCommand(ID_REVERSI_AUTOSAVE, [] {
        CDialogReversiAutosave dialog;
        dialog.DoModal();
    });

    OnCommand(ID_REVERSI_NEWGAME, [this] {
        if (CServerOsTavo* service = FindServiceObject()) {
            CDialogOsGameRequest dialog(service);
            dialog.DoModal();
        }
    });
    OnUpdateCommandUI(ID_REVERSI_NEWGAME, [this](CCmdUI* ui) { ui->Enable(FindServiceObject() != nullptr); });
    OnCommand(ID_REVERSI_WATCH, [this] {
        if (CServerOsTavo* service = FindServiceObject())
            service->ShowMatchesDialog();
    });
    OnUpdateCommandUI(ID_REVERSI_WATCH, [this](CCmdUI* ui) { ui->Enable(FindServiceObject() != nullptr); });

    // The service's list commands: "tell", the service, two blanks and the request.
    const auto serviceCommand = [this](UINT id, auto text) {
        OnCommand(id, [this, text] {
            if (!pStream || !pStream->FindService(sServerLogin))
                return;
            const std::string request = text();
            // The connection may have ended while a dialog asked for the request.
            if (request.empty() || !pStream || !pStream->FindService(sServerLogin))
                return;
            *pStream << "tell " << sServerLogin << "  " << request << "\n";
            pStream->flush();
        });
        OnUpdateCommandUI(id, [this](CCmdUI* ui) {
            ui->Enable(pStream && pStream->FindService(sServerLogin) != nullptr);
        });
    };
    serviceCommand(ID_REVERSI_STORED, [] { return std::string("stored"); });
    serviceCommand(ID_REVERSI_RATINGS, [] { return std::string("who 8"); });
    serviceCommand(ID_REVERSI_RANK, [] { return std::string("rank 8"); });
    serviceCommand(ID_REVERSI_TOPLIST, [] { return std::string("top 8"); });
    const auto askLogin = [this](const char* request) {
        CDialogGetLogin dialog;
        dialog.m_strLogin = ToQ(pStream->GetLogin());
        if (dialog.DoModal() != IDOK)
            return std::string();
        return std::string(request) + ToStd(dialog.m_strLogin);
    };
    serviceCommand(ID_REVERSI_HISTORY, [askLogin] { return askLogin("history "); });
    serviceCommand(ID_REVERSI_INFO, [askLogin] { return askLogin("finger "); });

    const auto toggle = [this](UINT id, bool& setting, LPARAM hint) {
        OnCommand(id, [this, &setting, hint] {
            setting = !setting;
            if (hint)
                UpdateAllDocuments(hint);
        });
        OnUpdateCommandUI(id, [&setting](CCmdUI* ui) { ui->SetCheck(setting); });
    };
    toggle(ID_VIEW_MOVES_NEXT, fShowNextMove, 7);
    toggle(ID_VIEW_MOVES_LAST, fShowLastMove, 7);
    toggle(ID_VIEW_MOVES_VALID, fShowValidMoves, 7);
    toggle(ID_VIEW_MOVES_BEEP, fMoveBeep, 0);
    toggle(ID_VIEW_EVALS, fShowEvals, 7);

    const auto theme = [this](UINT id, CBoardStyle* style) {
        OnCommand(id, [this, style] { SetStyle(style); });
        OnUpdateCommandUI(id, [this, style](CCmdUI* ui) { ui->SetRadio(pBoardStyle->sName == style->sName); });
    };
    theme(ID_VIEW_THEME_STANDARD, &CBoardStyle::standard);
    theme(ID_VIEW_THEME_SPACE, &CBoardStyle::space);
    theme(ID_VIEW_THEME_WOOD, &CBoardStyle::wood);

    OnCommand(ID_APP_ABOUT, [] {
        CAboutDlg dialog;
        dialog.DoModal();
    });
    OnCommand(ID_HELP_USERGUIDE, [this] { WinHelp(IDR_MAINFRAME, HELP_CONTEXT); });
    OnCommand(ID_FILE_PRINT_SETUP, [this] { OnFilePrintSetup(); });
    OnCommand(ID_FILE_NEW, [this] { OnFileNew(); });
    OnCommand(ID_FILE_OPEN, [this] { OnFileOpen(); });
}
