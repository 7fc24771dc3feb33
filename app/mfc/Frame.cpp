#include "Frame.h"

#include "Dialog.h"
#include "Doc.h"
#include "KeyState.h"
#include "Resource.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimerEvent>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// A message posted to a frame; when it is destroyed without having been handled (its
// window went away), the discard function frees what lParam points to.
class CPostedMessage : public QEvent {
public:
    CPostedMessage(UINT message, WPARAM wParam, LPARAM lParam, void (*discard)(LPARAM))
        : QEvent(PostedMessageEvent), m_message(message), m_wParam(wParam), m_lParam(lParam),
          m_discard(discard)
    {
    }
    ~CPostedMessage() override
    {
        if (!m_handled && m_discard)
            m_discard(m_lParam);
    }
    UINT m_message;
    WPARAM m_wParam;
    LPARAM m_lParam;
    void (*m_discard)(LPARAM);
    bool m_handled = false;
};

// The text of a menu item without its accelerator hint, and the hint as a key.
QString MenuText(const char* text, QKeySequence* key)
{
    const QString full = QString::fromUtf8(text);
    const int tab = full.indexOf(QLatin1Char('\t'));
    if (tab < 0)
        return full;
    if (key)
        *key = QKeySequence(full.mid(tab + 1));
    return full.left(tab);
}

} // namespace

BOOL CToolBar::CreateEx(CFrameWnd* parent, DWORD style, UINT id)
{
    if (!parent)
        return FALSE;
    m_pParent = parent;
    m_dwStyle = style;
    m_pBar = new QToolBar(parent);
    m_pBar->setObjectName(QStringLiteral("toolbar%1").arg(id));
    m_pBar->setVisible((style & WS_VISIBLE) != 0);
    parent->addToolBar((style & CBRS_BOTTOM) == CBRS_BOTTOM ? Qt::BottomToolBarArea : Qt::TopToolBarArea,
                       m_pBar);
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT id)
{
    const std::vector<UINT>* buttons = FindToolBarResource(id);
    if (!m_pBar || !buttons)
        return FALSE;
    for (UINT command : *buttons) {
        if (command == ID_SEPARATOR) {
            m_pBar->addSeparator();
            continue;
        }
        QAction* action = m_pParent->GetCommandAction(command);
        if (action->icon().isNull())
            action->setIcon(LoadToolBarButtonImage(command));
        m_pBar->addAction(action);
    }
    return TRUE;
}

void CToolBar::EnableDocking(DWORD align)
{
    if (!m_pBar)
        return;
    Qt::ToolBarAreas areas;
    if (align & 0x1000) areas |= Qt::LeftToolBarArea;
    if (align & 0x2000) areas |= Qt::TopToolBarArea;
    if (align & 0x4000) areas |= Qt::RightToolBarArea;
    if (align & 0x8000) areas |= Qt::BottomToolBarArea;
    m_pBar->setAllowedAreas(areas);
    m_pBar->setMovable(areas != Qt::NoToolBarArea);
}

BOOL CStatusBar::Create(CFrameWnd* parent, DWORD style, UINT id)
{
    if (!parent)
        return FALSE;
    m_pParent = parent;
    m_pBar = new QStatusBar(parent);
    m_pBar->setObjectName(QStringLiteral("statusbar%1").arg(id));
    parent->setStatusBar(m_pBar);
    m_pBar->setVisible((style & WS_VISIBLE) != 0);
    parent->m_pStatusBar = this;
    return TRUE;
}

namespace {

unsigned LockOfIndicator(UINT id)
{
    switch (id) {
    case ID_INDICATOR_CAPS:
        return LOCK_CAPS;
    case ID_INDICATOR_NUM:
        return LOCK_NUM;
    case ID_INDICATOR_SCRL:
        return LOCK_SCROLL;
    default:
        return 0;
    }
}

} // namespace

BOOL CStatusBar::SetIndicators(const UINT* ids, int count)
{
    if (!m_pBar || !ids)
        return FALSE;
    unsigned locks = 0;
    const bool known = GetLockKeyState(&locks);
    for (int i = 0; i < count; ++i) {
        if (ids[i] == ID_SEPARATOR)
            continue; // the message pane: the status bar's own message area
        if (LockOfIndicator(ids[i]) && !known)
            continue;
        // The pane keeps the width of its text while it shows none.
        const QString text = LoadStringResource(ids[i]);
        auto* pane = new QLabel(m_pBar);
        pane->setObjectName(QStringLiteral("indicator%1").arg(ids[i]));
        pane->setAlignment(Qt::AlignCenter);
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(text) + 8);
        m_pBar->addPermanentWidget(pane);
        m_indicators.push_back({pane, ids[i]});
    }
    UpdateIndicators();
    // The message pane shows the idle text whenever no prompt is shown.
    const QString idle = LoadStringResource(57345);
    m_pBar->showMessage(idle);
    QStatusBar* bar = m_pBar;
    QObject::connect(bar, &QStatusBar::messageChanged, bar, [bar, idle](const QString& text) {
        if (text.isEmpty())
            bar->showMessage(idle);
    });
    return TRUE;
}

void CStatusBar::UpdateIndicators()
{
    unsigned locks = 0;
    GetLockKeyState(&locks);
    for (const Indicator& indicator : m_indicators) {
        const unsigned lock = LockOfIndicator(indicator.id);
        indicator.pane->setText(!lock || (locks & lock) ? LoadStringResource(indicator.id) : QString());
    }
}

CFrameWnd::CFrameWnd()
{
    OnCommand(ID_VIEW_TOOLBAR, [this] { OnViewBar(ID_VIEW_TOOLBAR); });
    OnCommand(ID_VIEW_STATUS_BAR, [this] { OnViewBar(ID_VIEW_STATUS_BAR); });
    OnUpdateCommandUI(ID_VIEW_TOOLBAR, [this](CCmdUI* ui) {
        const QList<QToolBar*> bars = findChildren<QToolBar*>();
        ui->SetCheck(!bars.isEmpty() && bars.front()->isVisible());
    });
    OnUpdateCommandUI(ID_VIEW_STATUS_BAR, [this](CCmdUI* ui) {
        QStatusBar* bar = findChild<QStatusBar*>();
        ui->SetCheck(bar && bar->isVisible());
    });
}

CFrameWnd::~CFrameWnd()
{
    // The frame owns the stacking of the windows it owns, not the windows: a dialog or
    // another of the program's windows belongs to whoever made it (the stack of a
    // command, or the object that keeps a modeless one), so they are let go here
    // rather than deleted with the frame's children.
    const QObjectList owned = children();
    for (QObject* child : owned) {
        auto* window = qobject_cast<QWidget*>(child);
        if (window && window->isWindow()
            && (qobject_cast<QDialog*>(window) || dynamic_cast<CCmdTarget*>(window))) {
            window->hide();
            window->setParent(nullptr, window->windowFlags());
        }
    }
}

void CFrameWnd::OnViewBar(UINT id)
{
    if (id == ID_VIEW_TOOLBAR) {
        for (QToolBar* bar : findChildren<QToolBar*>())
            bar->setVisible(!bar->isVisible());
    } else if (QStatusBar* bar = findChild<QStatusBar*>()) {
        bar->setVisible(!bar->isVisible());
    }
}

BOOL CFrameWnd::LoadFrame(UINT id, DWORD style)
{
    m_nIDResource = id;
    m_dwStyle = style;
    m_strTitle = LoadStringResource(id).section(QLatin1Char('\n'), 0, 0);
    setWindowTitle(m_strTitle);
    setWindowIcon(LoadIconResource(id));
    SetMenuResource(id);
    ApplyAccelerators(id);
    auto* help = new QAction(this);
    help->setShortcut(QKeySequence(QKeySequence::HelpContents));
    help->setShortcutContext(Qt::WindowShortcut);
    connect(help, &QAction::triggered, this, &CFrameWnd::OnHelpKey);
    addAction(help);
    return OnCreate() == 0;
}

void CFrameWnd::ShowWindow(int cmdShow)
{
    switch (cmdShow) {
    case SW_HIDE:
        hide();
        break;
    case SW_RESTORE:
        showNormal();
        break;
    default:
        show();
        break;
    }
}

BOOL CFrameWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam, void (*discard)(LPARAM))
{
    QCoreApplication::postEvent(this, new CPostedMessage(message, wParam, lParam, discard));
    return TRUE;
}

LRESULT CFrameWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto handler = m_messageMap.find(message);
    return handler == m_messageMap.end() ? 0 : handler->second(wParam, lParam);
}

void CFrameWnd::OnMessage(UINT message, std::function<LRESULT(WPARAM, LPARAM)> handler)
{
    m_messageMap[message] = std::move(handler);
}

bool CFrameWnd::event(QEvent* e)
{
    if (e->type() == PostedMessageEvent) {
        auto* posted = static_cast<CPostedMessage*>(e);
        posted->m_handled = true;
        SendMessage(posted->m_message, posted->m_wParam, posted->m_lParam);
        return true;
    }
    return QMainWindow::event(e);
}

UINT CFrameWnd::SetTimer(UINT id, UINT elapse)
{
    for (const auto& timer : m_qtTimers)
        if (timer.second == id) {
            killTimer(timer.first);
            m_qtTimers.erase(timer.first);
            break;
        }
    const int qtId = startTimer(int(elapse));
    if (qtId == 0)
        return 0;
    m_qtTimers[qtId] = id;
    return id;
}

void CFrameWnd::timerEvent(QTimerEvent* e)
{
    const auto timer = m_qtTimers.find(e->timerId());
    if (timer == m_qtTimers.end()) {
        QMainWindow::timerEvent(e);
        return;
    }
    SendMessage(WM_TIMER, timer->second, 0);
}

QAction* CFrameWnd::GetCommandAction(UINT id)
{
    QAction*& action = m_actions[id];
    if (!action) {
        action = new QAction(this);
        action->setData(id);
        // The prompt before "\n" shows in the status bar, the text after it as a tooltip.
        const QString prompt = LoadStringResource(id);
        const int newline = prompt.indexOf(QLatin1Char('\n'));
        action->setStatusTip(newline < 0 ? prompt : prompt.left(newline));
        if (newline >= 0)
            action->setToolTip(prompt.mid(newline + 1));
        action->setEnabled(false);
        connect(action, &QAction::triggered, this, [this, id] {
            RouteCommand(id);
            UpdateCommandUI();
        });
    }
    return action;
}

bool CFrameWnd::RouteCommand(UINT id, CCmdUI* update)
{
    if (CView* view = GetActiveView()) {
        if (view->OnCmdMsg(id, update))
            return true;
        if (CDocument* document = view->GetDocument())
            if (document->OnCmdMsg(id, update))
                return true;
        for (QWidget* w = view->parentWidget(); w; w = w->parentWidget())
            if (auto* child = dynamic_cast<CMDIChildWnd*>(w)) {
                if (child->OnCmdMsg(id, update))
                    return true;
                break;
            }
    }
    if (OnCmdMsg(id, update))
        return true;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(id, update);
}

void CFrameWnd::UpdateCommandUI()
{
    for (const auto& entry : m_actions) {
        CCmdUI ui(entry.first, entry.second);
        // A command that nobody handles is disabled.
        if (!RouteCommand(entry.first, &ui))
            ui.Enable(false);
    }
    if (m_pStatusBar)
        m_pStatusBar->UpdateIndicators();
}

void CFrameWnd::BuildMenu(QMenu* menu, const MenuResource& resource)
{
    for (const MenuResource& item : resource.items) {
        if (!item.items.empty()) {
            QMenu* popup = menu->addMenu(MenuText(item.text, nullptr));
            BuildMenu(popup, item);
        } else if (item.id == 0) {
            menu->addSeparator();
        } else {
            QKeySequence key;
            QAction* action = GetCommandAction(item.id);
            action->setText(MenuText(item.text, &key));
            if (!key.isEmpty())
                action->setShortcut(key);
            menu->addAction(action);
        }
    }
    connect(menu, &QMenu::aboutToShow, this, &CFrameWnd::UpdateCommandUI);
}

void CFrameWnd::SetMenuResource(UINT id)
{
    const MenuResource* resource = FindMenuResource(id);
    if (!resource || id == m_nMenuId)
        return;
    m_nMenuId = id;
    QMenuBar* bar = menuBar();
    // The old popups go with their items; later, since the command that changed the
    // menus may have come from one of them.
    for (QAction* popup : bar->actions())
        if (QMenu* menu = popup->menu())
            menu->deleteLater();
    bar->clear();
    for (const MenuResource& popup : resource->items) {
        QMenu* menu = bar->addMenu(MenuText(popup.text, nullptr));
        BuildMenu(menu, popup);
    }
}

void CFrameWnd::ApplyAccelerators(UINT id)
{
    const std::vector<AcceleratorResource>* table = FindAcceleratorResource(id);
    if (!table)
        return;
    for (const AcceleratorResource& accelerator : *table) {
        QAction* action = GetCommandAction(accelerator.id);
        QList<QKeySequence> keys = action->shortcuts();
        if (!keys.contains(accelerator.key))
            keys.append(accelerator.key);
        action->setShortcuts(keys);
        addAction(action);
    }
}

void CFrameWnd::OnHelpKey()
{
    const UINT child = GetActiveChildResource();
    if (CWinApp* app = AfxGetApp())
        app->WinHelp(HID_BASE_RESOURCE + (child ? child : m_nIDResource), HELP_CONTEXT);
}

void CFrameWnd::OnUpdateFrameTitle()
{
    if (windowTitle() != m_strTitle)
        setWindowTitle(m_strTitle);
}

void CFrameWnd::DockControlBar(CToolBar* bar)
{
    if (bar && bar->GetBar())
        addToolBar(Qt::TopToolBarArea, bar->GetBar());
}

CMDIFrameWnd::CMDIFrameWnd() : m_pMdiArea(new QMdiArea(this))
{
    setCentralWidget(m_pMdiArea);
    // The menus follow the current child, which stays current while the program is in
    // the background (the area then announces no active child).
    connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, [this] {
        CMDIChildWnd* child = MDIGetActive();
        SetMenuResource(child && child->m_nMenuId ? child->m_nMenuId : GetResourceId());
        OnUpdateFrameTitle();
    });
    OnCommand(ID_WINDOW_CASCADE, [this] { m_pMdiArea->cascadeSubWindows(); });
    OnCommand(ID_WINDOW_TILE_HORZ, [this] { m_pMdiArea->tileSubWindows(); });
    OnCommand(ID_WINDOW_TILE_VERT, [this] { m_pMdiArea->tileSubWindows(); });
    OnCommand(ID_WINDOW_ARRANGE, [this] { ArrangeIcons(); });
}

void CMDIFrameWnd::ArrangeIcons()
{
    // Rows from the bottom up, each filled from the left as far as the area is wide.
    const QSize area = m_pMdiArea->viewport()->size();
    int x = 0;
    int bottom = area.height();
    int rowHeight = 0;
    for (QMdiSubWindow* window : m_pMdiArea->subWindowList()) {
        if (!window->isMinimized())
            continue;
        const QSize icon = window->size();
        if (x > 0 && x + icon.width() > area.width()) {
            x = 0;
            bottom -= rowHeight;
            rowHeight = 0;
        }
        window->move(x, bottom - icon.height());
        x += icon.width();
        rowHeight = std::max(rowHeight, icon.height());
    }
}

void CMDIFrameWnd::OnUpdateFrameTitle()
{
    if (!AddsToTitle())
        return;
    QString title = GetTitle();
    if (CMDIChildWnd* child = MDIGetActive()) {
        // While maximised, the form that the window area itself writes (the child's own
        // title, numbered when the game has several windows): finding it there, the area
        // adds nothing more.
        CDocument* document = child->isMaximized() ? nullptr : child->GetActiveDocument();
        const QString name = document ? document->GetTitle() : child->windowTitle();
        if (!name.isEmpty())
            title += child->isMaximized() ? QStringLiteral(" - [%1]").arg(name) : QStringLiteral(" - ") + name;
    }
    if (windowTitle() != title)
        setWindowTitle(title);
}

void CMDIFrameWnd::SetMenuResource(UINT id)
{
    CFrameWnd::SetMenuResource(id);
    // The Window popup is the last one whose first item is a window command.
    QMenu* windowMenu = nullptr;
    for (QAction* popup : menuBar()->actions()) {
        QMenu* menu = popup->menu();
        if (!menu || menu->actions().isEmpty())
            continue;
        const UINT first = menu->actions().front()->data().toUInt();
        if (first >= ID_WINDOW_NEW && first <= ID_WINDOW_NEW + 15)
            windowMenu = menu;
    }
    if (!windowMenu || windowMenu == m_pWindowMenu)
        return;
    m_pWindowMenu = windowMenu;
    connect(windowMenu, &QMenu::aboutToShow, this, [this, windowMenu] { ListWindows(windowMenu); });
}

void CMDIFrameWnd::ListWindows(QMenu* menu)
{
    for (const QPointer<QAction>& item : m_windowItems)
        delete item.data();
    m_windowItems.clear();
    const QList<QMdiSubWindow*> children = m_pMdiArea->subWindowList(QMdiArea::CreationOrder);
    if (children.isEmpty())
        return;
    m_windowItems.push_back(menu->addSeparator());
    QMdiSubWindow* active = m_pMdiArea->currentSubWindow();
    QList<QMdiSubWindow*> shown = children.mid(0, 9);
    // The active window is always listed: beyond the ninth it takes the ninth place.
    if (children.indexOf(active) >= 9)
        shown.back() = active;
    for (int i = 0; i < shown.size(); ++i) {
        QString title = shown[i]->windowTitle();
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(title));
        // Only the active one shows a mark; the others are plain items.
        item->setCheckable(shown[i] == active);
        item->setChecked(shown[i] == active);
        QPointer<QMdiSubWindow> child(shown[i]);
        connect(item, &QAction::triggered, this, [this, child] {
            if (child)
                ActivateChild(child);
        });
        m_windowItems.push_back(item);
    }
    if (children.size() > 9) {
        QAction* more = menu->addAction(QStringLiteral("&More Windows..."));
        connect(more, &QAction::triggered, this, &CMDIFrameWnd::OnMoreWindows);
        m_windowItems.push_back(more);
    }
}

void CMDIFrameWnd::ActivateChild(QMdiSubWindow* child)
{
    if (child->isMinimized())
        child->showNormal();
    m_pMdiArea->setActiveSubWindow(child);
}

void CMDIFrameWnd::OnMoreWindows()
{
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Select Window"));
    dialog.setFont(DialogFont());
    auto* list = new QListWidget(&dialog);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(list);
    layout->addWidget(buttons);
    std::vector<QPointer<QMdiSubWindow>> children;
    for (QMdiSubWindow* child : m_pMdiArea->subWindowList(QMdiArea::CreationOrder)) {
        list->addItem(child->windowTitle());
        if (child == m_pMdiArea->currentSubWindow())
            list->setCurrentRow(int(children.size()));
        children.emplace_back(child);
    }
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // A window may have closed while the list was open.
    const int row = list->currentRow();
    if (row >= 0 && size_t(row) < children.size() && children[size_t(row)])
        ActivateChild(children[size_t(row)]);
}

CMDIFrameWnd::~CMDIFrameWnd()
{
    // The children are closed after this part of the frame has gone: no more menu
    // switching on their activation.
    m_pMdiArea->disconnect(this);
}

void CMDIFrameWnd::closeEvent(QCloseEvent* e)
{
    CWinApp* app = AfxGetApp();
    if (app && app->GetMainWnd() == this) {
        if (!app->SaveAllModified()) {
            e->ignore();
            return;
        }
        app->CloseAllDocuments();
    }
    CFrameWnd::closeEvent(e);
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive() const
{
    return dynamic_cast<CMDIChildWnd*>(m_pMdiArea->currentSubWindow());
}

UINT CMDIFrameWnd::GetActiveChildResource() const
{
    CMDIChildWnd* child = MDIGetActive();
    return child ? child->m_nMenuId : 0;
}

CView* CMDIFrameWnd::GetActiveView() const
{
    CMDIChildWnd* child = MDIGetActive();
    return child ? child->GetActiveView() : nullptr;
}

CMDIChildWnd::CMDIChildWnd()
{
    setAttribute(Qt::WA_DeleteOnClose);
    // The main frame's title names the active child.
    const auto updateTitle = [this] {
        QMdiArea* area = mdiArea();
        if (auto* frame = area ? dynamic_cast<CMDIFrameWnd*>(area->window()) : nullptr)
            frame->OnUpdateFrameTitle();
    };
    connect(this, &QMdiSubWindow::windowStateChanged, this, updateTitle);
    connect(this, &QWidget::windowTitleChanged, this, updateTitle);
}

void CMDIChildWnd::SetView(CView* view)
{
    m_pView = view;
    setWidget(view);
}

void CMDIChildWnd::ActivateFrame(int nCmdShow)
{
    switch (nCmdShow) {
    case SW_SHOWMAXIMIZED:
        showMaximized();
        break;
    case SW_SHOWMINIMIZED:
        showMinimized();
        break;
    default:
        show();
        break;
    }
    if (QMdiArea* area = mdiArea())
        area->setActiveSubWindow(this);
}

CDocument* CMDIChildWnd::GetActiveDocument() const
{
    return m_pView ? m_pView->GetDocument() : nullptr;
}

void CMDIChildWnd::closeEvent(QCloseEvent* e)
{
    CDocument* document = GetActiveDocument();
    if (document && document->GetViews().size() == 1 && !document->CanCloseFrame(this)) {
        e->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(e);
}
