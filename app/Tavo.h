// The application object: start-up, the user's settings and their profile, the
// current server connection, the idle step, help pages and the application's
// commands; and the board styles it chooses among.
#pragma once

#include "mfc/Dialog.h"
#include "mfc/Sync.h"
#include "mfc/WinApp.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

class CBitmap2;
class CDocTemplate;
class COsGame;
class CServerOsTavo;
class CTavoDoc;
class tavostream;

// The colours and optional bitmap texture in which game windows paint.
class CBoardStyle {
public:
    CBoardStyle(COLORREF background, COLORREF board, COLORREF frame, COLORREF text, BYTE outline,
                BYTE usesBitmap, const std::string& name);
    ~CBoardStyle();
    CBoardStyle(const CBoardStyle&) = delete;
    CBoardStyle& operator=(const CBoardStyle&) = delete;

    // The texture, loaded from "<program folder><name>.bmp" on first use; null when
    // it did not load (then never tried again).
    CBitmap2* GetBitmap();
    // 0 loaded, 1 the program's folder is unknown, 4 the file did not load.
    int LoadBitmap();
    bool UsesColours();

    COLORREF crBackground;
    COLORREF crBoard;
    COLORREF crFrame;
    COLORREF crText;
    BYTE fOutline;
    std::string sName;
    BYTE fBitmapFailed = 0;
    BYTE fUsesBitmap;
    std::unique_ptr<CBitmap2> pBitmap;

    // The three styles of the program.
    static CBoardStyle standard;
    static CBoardStyle space;
    static CBoardStyle wood;
    // The style of that name: "standard" and "wood" by exact name, "space" otherwise.
    static CBoardStyle* FromName(const std::string& name);
};

class CTavoApp : public CWinApp {
public:
    CTavoApp();
    ~CTavoApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;
    BOOL OnIdle(long count) override;
    void WinHelp(DWORD data, UINT command) override;

    void LoadSettings();
    void SaveSettings();
    void Connect();
    void ShowError(int code);
    // Tells the user, once the event at hand is done, that the connection ended without
    // being asked to; `cause` is the socket's code of what ended it, 0 when unknown.
    // Nothing is shown once the main window has closed.
    void ShowConnectionLost(int cause);
    std::string GetModulePath() const { return sModulePath; }
    std::string GetModuleDir() const;
    void UpdateAllDocuments(LPARAM hint);
    // A new game window attached to the service's game of that id; null when none opened.
    CTavoDoc* OpenGameWindow(CServerOsTavo* server, const std::string& id);
    // A new game window holding a copy of the game, attached to no service.
    CTavoDoc* OpenGameWindow1(const COsGame& game);
    std::string GetServerLogin() const { return sServerLogin; }
    // The client's object for the service named `sServerLogin`, or null.
    CServerOsTavo* FindServiceObject() const;
    CBoardStyle* GetBoardStyle() const { return pBoardStyle; }
    void ReleaseStream(tavostream* stream);
    bool IsCurrentStream(const tavostream* stream) const { return stream && stream == pStream; }
    const HANDLE& GetShutdownMutex() const { return hShutdownMutex; }

    bool fShowValidMoves = true;
    bool fShowLastMove = true;
    bool fShowNextMove = true;
    bool fShowEvals = true;
    bool fMoveBeep = false;
    CBoardStyle* pBoardStyle;
    int nAutopass = 1;
    int nAutoforce = 0;
    int nAutosaveMine = 1;
    int nAutosaveOthers = 1;
    std::string fnAutosave;
    bool fShowServers = false;
    bool fUnifiedChat = false;
    bool fComCtl471 = true;
    std::FILE* pStartLog = nullptr;
    HANDLE hShutdownMutex;
    CDocTemplate* pGameTemplate = nullptr;
    std::string sModulePath;
    tavostream* pStream = nullptr;
    std::string sServerLogin = "/os";
    // The server's port: 5000, the only one tried (tests point it at a stand-in).
    unsigned short nServerPort = 5000;

protected:
    // Makes the stream of a new connection.
    virtual tavostream* NewStream();
    // Starts the reader thread of a new connection: -1 with errno set when it cannot.
    virtual std::intptr_t BeginReaderThread(tavostream* stream);

private:
    void FetchModuleFileName();
    void RegisterFileIcon();
    void Log(const char* text);
    void SetStyle(CBoardStyle* style);
    void DeclareCommands();
};

// The About box: the program's icon, its version and a notice.
class CAboutDlg : public CDialog {
public:
    CAboutDlg();
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

    QString m_strVersion;
};

// The application object, as the other windows reach it.
CTavoApp* TavoApp();
