// The application object of the framework: command routing with enabling and check
// marks, the profile (QSettings), document templates, the recent-file list, the
// command line, help and the run loop with idle processing.
#pragma once

#include "Afx.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QAction;
class QMenu;
class QObject;
class QPrinter;
class QSettings;
class QVariant;
class CDocTemplate;
class CDocument;
class CFrameWnd;

// The state of one command's user interface while it is being updated: a menu item
// or toolbar button (an action), or nothing when only the routing is asked.
class CCmdUI {
public:
    explicit CCmdUI(UINT id, QAction* action = nullptr) : m_nID(id), m_pAction(action) {}
    void Enable(bool on = true);
    void SetCheck(int check = 1);
    void SetRadio(bool on = true);
    void SetText(const QString& text);

    UINT m_nID;
    QAction* m_pAction;
    bool m_bEnabled = false;
};

// Receives commands by id, with an optional update handler per id that sets the
// command's enabling, check mark or text.
class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    // Runs the command (update null) or its update handler; false when this target
    // handles neither. A command without an update handler is enabled.
    virtual bool OnCmdMsg(UINT id, CCmdUI* update);

protected:
    void OnCommand(UINT id, std::function<void()> handler);
    void OnUpdateCommandUI(UINT id, std::function<void(CCmdUI*)> handler);

private:
    std::map<UINT, std::function<void()>> m_commands;
    std::map<UINT, std::function<void(CCmdUI*)>> m_updates;
};

// The most recently used files, most recent first, kept in the profile section
// "Recent File List" as "File1" to "FileN".
class CRecentFileList {
public:
    explicit CRecentFileList(int size) : m_nSize(size) {}
    void Add(const QString& path);
    void Remove(int index);
    const QStringList& Files() const { return m_files; }
    void ReadList(QSettings& profile);
    void WriteList(QSettings& profile) const;
    // Shows the list in the menu of the first entry's command: "&1 path" and so on after
    // it, or the entry disabled with its own text when the list is empty.
    void UpdateMenu(CCmdUI* ui);

private:
    int m_nSize;
    QStringList m_files;
    std::vector<QPointer<QAction>> m_menuItems; // the entries after the first
    QStringList m_shownFiles;
    std::vector<QMenu*> m_shownMenus; // compared, never dereferenced
};

// What the command line asks the framework to do.
class CCommandLineInfo {
public:
    enum { FileNew = 0, FileOpen, FilePrint, FilePrintTo, FileDDE, FileNothing = -1 };
    virtual ~CCommandLineInfo() = default;
    virtual void ParseParam(const QString& param, bool isFlag, bool isLast);

    int m_nShellCommand = FileNew;
    QString m_strFileName;
    QString m_strPrinterName;
};

class CWinApp : public CCmdTarget {
public:
    CWinApp();
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance();
    // The idle step: runs whenever the window thread's event loop has handled input or
    // a posted message and its queue has emptied (once per burst), in the outermost
    // loop only, while there is a main window.
    virtual BOOL OnIdle(long count);
    virtual void WinHelp(DWORD data, UINT command);
    // InitInstance, the event loop until the main window goes, then ExitInstance.
    int Run();

    // Profile: the section and entry names are the profile's own; a missing value
    // gives the default. Writes reach the disk at once, readable by the owner only, and
    // reads see what another run of the program has written meanwhile.
    void SetRegistryKey(const QString& company);
    int GetProfileInt(const QString& section, const QString& entry, int defaultValue) const;
    QString GetProfileString(const QString& section, const QString& entry,
                             const QString& defaultValue = QString()) const;
    BOOL WriteProfileInt(const QString& section, const QString& entry, int value);
    BOOL WriteProfileString(const QString& section, const QString& entry, const QString& value);

    void LoadStdProfileSettings(int maxMRU);
    void SaveStdProfileSettings();
    CRecentFileList* GetRecentFileList() { return m_pRecentFileList.get(); }
    // Runs the file dialog for opening or saving; the name is the default in and the
    // choice out. FALSE when the user cancelled.
    virtual BOOL DoPromptFileName(QString& fileName, BOOL openFileDialog, CDocTemplate* docTemplate);
    // The document of that file: the open one, or a new one read from it; null when the
    // file cannot be read.
    virtual CDocument* OpenDocumentFile(const QString& path);
    // Asks every modified document whether to save it; FALSE when one was cancelled.
    BOOL SaveAllModified();
    void CloseAllDocuments();

    CDocTemplate* AddDocTemplate(std::unique_ptr<CDocTemplate> docTemplate);
    const std::vector<std::unique_ptr<CDocTemplate>>& GetDocTemplates() const { return m_templates; }

    // Reads the program's arguments into `info`: "/" or "-" starts a switch, unless the
    // argument names a file that exists.
    virtual void ParseCommandLine(CCommandLineInfo& info) const;
    // The same with the given arguments, the program's name first.
    void ParseCommandLine(CCommandLineInfo& info, const QStringList& arguments) const;
    // Opens, prints or does nothing as the command line asks. A print switch prints the
    // file without showing the main window and returns FALSE: the program then ends.
    BOOL ProcessShellCommand(CCommandLineInfo& info);
    // The shell's open request arrives as the "/dde" switch: nothing to switch on.
    void EnableShellOpen() {}

    CFrameWnd* GetMainWnd() const { return m_pMainWnd; }
    void OnAppExit();
    void OnFileNew();
    void OnFileOpen();
    // The recent file of the command (the first entry's command and those after it).
    void OnOpenRecentFile(UINT id);
    // The printer dialog; its choices stay with the application's printer.
    void OnFilePrintSetup();
    // The printer that print jobs use unless the command line names another.
    QPrinter* GetPrinter();
    // Runs the print dialog on the printer (for Print Setup only the choice of printer
    // and its options, nothing is printed): IDOK or IDCANCEL.
    int DoPrintDialog(QPrinter* printer, BOOL setupOnly);

    QString m_pszAppName;
    CFrameWnd* m_pMainWnd = nullptr;
    int m_nCmdShow = 1;
    // The command line while one of its print switches is carried out, else null.
    const CCommandLineInfo* m_pCmdInfo = nullptr;
    // The pages that the print preview shows side by side (0 until it has been used):
    // kept in the profile as "Settings" "PreviewPages".
    int m_nNumPreviewPages = 0;
    // What Run returns when InitInstance fails; a command-line print that went out
    // ends the program with 0.
    int m_nExitCode = 1;

private:
    BOOL WriteProfileValue(const QString& section, const QString& entry, const QVariant& value);

    std::unique_ptr<QObject> m_pIdleWatch;
    std::unique_ptr<QSettings> m_profile;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<CRecentFileList> m_pRecentFileList;
    std::vector<std::unique_ptr<CDocTemplate>> m_templates;
};

// The one application object of the process, null when there is none.
CWinApp* AfxGetApp();

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_RESTORE = 9;
