// Frame windows: the main frame (a QMainWindow with an MDI area, menus built from the
// menu resources, toolbar, status bar with prompts), the MDI child frame of a view,
// messages posted from any thread, and window timers.
#pragma once

#include "WinApp.h"

#include <QEvent>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPointer>
#include <functional>
#include <map>

class QMdiArea;
class QLabel;
class QMenu;
class QToolBar;
class QStatusBar;
class CDocument;
class CView;

constexpr UINT WM_TIMER = 0x0113;
// The event that carries a message posted to a frame (PostMessage).
constexpr QEvent::Type PostedMessageEvent = QEvent::Type(QEvent::User + 1);

// Frame window ids and styles, as the resources and the frames use them.
constexpr UINT AFX_IDW_TOOLBAR = 59392;
constexpr UINT AFX_IDW_STATUS_BAR = 59393;
constexpr UINT ID_SEPARATOR = 0;
constexpr UINT ID_INDICATOR_CAPS = 59137;
constexpr UINT ID_INDICATOR_NUM = 59138;
constexpr UINT ID_INDICATOR_SCRL = 59139;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000;
constexpr DWORD FWS_ADDTOTITLE = 0x00008000;
constexpr DWORD CBRS_TOP = 0x2800;
constexpr DWORD CBRS_BOTTOM = 0x8200;
constexpr DWORD CBRS_TOOLTIPS = 0x0010;
constexpr DWORD CBRS_FLYBY = 0x0020;
constexpr DWORD CBRS_SIZE_DYNAMIC = 0x0004;
constexpr DWORD CBRS_ALIGN_ANY = 0xF000;

// The framework's own command ids.
constexpr UINT ID_FILE_NEW = 57600;
constexpr UINT ID_FILE_OPEN = 57601;
constexpr UINT ID_FILE_CLOSE = 57602;
constexpr UINT ID_FILE_SAVE = 57603;
constexpr UINT ID_FILE_SAVE_AS = 57604;
constexpr UINT ID_FILE_PRINT_SETUP = 57606;
constexpr UINT ID_FILE_PRINT = 57607;
constexpr UINT ID_FILE_PRINT_DIRECT = 57608;
constexpr UINT ID_FILE_PRINT_PREVIEW = 57609;
constexpr UINT ID_FILE_MRU_FILE1 = 57616;
constexpr UINT ID_APP_ABOUT = 57664;
constexpr UINT ID_APP_EXIT = 57665;
constexpr UINT ID_WINDOW_NEW = 57648;
constexpr UINT ID_WINDOW_ARRANGE = 57649;
constexpr UINT ID_WINDOW_CASCADE = 57650;
constexpr UINT ID_WINDOW_TILE_HORZ = 57651;
constexpr UINT ID_WINDOW_TILE_VERT = 57652;
constexpr UINT ID_VIEW_TOOLBAR = 59392;
constexpr UINT ID_VIEW_STATUS_BAR = 59393;

// The toolbar of a frame, its buttons the frame's command actions.
class CToolBar {
public:
    BOOL CreateEx(CFrameWnd* parent, DWORD style, UINT id);
    BOOL LoadToolBar(UINT id);
    void SetBarStyle(DWORD style) { m_dwStyle = style; }
    DWORD GetBarStyle() const { return m_dwStyle; }
    void EnableDocking(DWORD align);
    QToolBar* GetBar() const { return m_pBar; }

private:
    CFrameWnd* m_pParent = nullptr;
    QToolBar* m_pBar = nullptr;
    DWORD m_dwStyle = 0;
};

// The status bar: the message pane (prompts and the idle text) and the lock-key
// indicators. The indicators are left out where the window system cannot tell the
// keys' state; a key that is off leaves its pane empty.
class CStatusBar {
public:
    BOOL Create(CFrameWnd* parent, DWORD style, UINT id);
    BOOL SetIndicators(const UINT* ids, int count);
    QStatusBar* GetBar() const { return m_pBar; }
    int GetCount() const { return int(m_indicators.size()); }
    // Shows the keys' present state; the frame calls it with its command updates.
    void UpdateIndicators();

private:
    struct Indicator {
        QLabel* pane;
        UINT id;
    };
    CFrameWnd* m_pParent = nullptr;
    QStatusBar* m_pBar = nullptr;
    std::vector<Indicator> m_indicators;
};

class CFrameWnd : public QMainWindow, public CCmdTarget {
public:
    CFrameWnd();
    ~CFrameWnd() override;

    // Builds the frame from resource `id`: title, icon, menu and accelerators; then
    // OnCreate. False when OnCreate fails. With FWS_ADDTOTITLE the frame's title names
    // what it shows (OnUpdateFrameTitle).
    virtual BOOL LoadFrame(UINT id, DWORD style = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE);
    virtual int OnCreate() { return 0; }
    void ShowWindow(int cmdShow);
    void UpdateWindow() { update(); }

    // Posts a message to this window from any thread; `discard` frees lParam when the
    // message is destroyed unhandled (the window went away first).
    BOOL PostMessage(UINT message, WPARAM wParam, LPARAM lParam, void (*discard)(LPARAM) = nullptr);
    // Handles a message synchronously through the message map.
    LRESULT SendMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // A window timer: WM_TIMER with the id every `elapse` ms; 0 when it cannot be set.
    UINT SetTimer(UINT id, UINT elapse);

    // The action that stands for a command id in menus, toolbar and accelerators.
    QAction* GetCommandAction(UINT id);
    // Runs a command along the routing: active view, its document, its frame, this
    // frame, the application. False when no target handles it.
    bool RouteCommand(UINT id, CCmdUI* update = nullptr);
    // Brings every command action's enabling, check and text up to date.
    void UpdateCommandUI();
    // Shows a menu resource as the menu bar.
    virtual void SetMenuResource(UINT id);

    virtual CView* GetActiveView() const { return nullptr; }
    // The resource id of the active child frame, or 0.
    virtual UINT GetActiveChildResource() const { return 0; }
    // The toolbar's own allowed areas decide where it docks.
    void EnableDocking(DWORD align) { (void)align; }
    void DockControlBar(CToolBar* bar);
    // The help key: the help of the active game window's frame, else of this one.
    void OnHelpKey();
    UINT GetResourceId() const { return m_nIDResource; }
    // The frame's own title, from its resource.
    const QString& GetTitle() const { return m_strTitle; }
    // Sets the window's title: here the frame's own.
    virtual void OnUpdateFrameTitle();

protected:
    void OnMessage(UINT message, std::function<LRESULT(WPARAM, LPARAM)> handler);
    bool AddsToTitle() const { return (m_dwStyle & FWS_ADDTOTITLE) != 0; }
    bool event(QEvent* e) override;
    void timerEvent(QTimerEvent* e) override;

private:
    void BuildMenu(QMenu* menu, const struct MenuResource& resource);
    void ApplyAccelerators(UINT id);
    void OnViewBar(UINT id);

    friend class CStatusBar;
    CStatusBar* m_pStatusBar = nullptr;
    UINT m_nIDResource = 0;
    UINT m_nMenuId = 0;
    DWORD m_dwStyle = 0;
    QString m_strTitle;
    std::map<UINT, QAction*> m_actions;
    std::map<UINT, std::function<LRESULT(WPARAM, LPARAM)>> m_messageMap;
    std::map<int, UINT> m_qtTimers; // Qt timer id to window timer id
};

// The MDI main frame: children in a QMdiArea; the menu follows the active child's
// template. The menu's Window popup (the one that starts with a window command) ends
// with the open child windows, listed afresh each time it opens.
class CMDIFrameWnd : public CFrameWnd {
public:
    CMDIFrameWnd();
    ~CMDIFrameWnd() override;
    QMdiArea* MDIArea() const { return m_pMdiArea; }
    class CMDIChildWnd* MDIGetActive() const;
    CView* GetActiveView() const override;
    UINT GetActiveChildResource() const override;
    void SetMenuResource(UINT id) override;
    // Lines the minimised child windows up along the bottom of the area.
    void ArrangeIcons();
    // The frame's title and the active child's: "Tavo - g12.ggf" (the document's title)
    // while the child is not maximised, "Tavo - [g12.ggf:2]" (the window's own) while it
    // is, "Tavo" with no child. Kept up to date as children come, go, change their state
    // or their title.
    void OnUpdateFrameTitle() override;

protected:
    // Closing the main window asks the documents to save their changes first.
    void closeEvent(QCloseEvent* e) override;

private:
    // "&1 title" ... "&9 title" after a bar, the active one checked, then "&More
    // Windows..." when there are more than nine.
    void ListWindows(QMenu* menu);
    // Makes the child the active one, restoring it when it is minimised.
    void ActivateChild(QMdiSubWindow* child);
    // "Select Window": every child by its title, the chosen one activated.
    void OnMoreWindows();

    QMdiArea* m_pMdiArea;
    QPointer<QMenu> m_pWindowMenu;
    std::vector<QPointer<QAction>> m_windowItems; // owned by the menu they were added to
};

// An MDI child frame that holds one view.
class CMDIChildWnd : public QMdiSubWindow, public CCmdTarget {
public:
    CMDIChildWnd();
    void SetView(CView* view);
    CView* GetActiveView() const { return m_pView; }
    CDocument* GetActiveDocument() const;
    // Shows the frame (SW_SHOWMAXIMIZED, SW_SHOWMINIMIZED, else normally; -1 the
    // default) and makes it the active child.
    virtual void ActivateFrame(int nCmdShow = -1);
    UINT m_nMenuId = 0;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    CView* m_pView = nullptr;
};
