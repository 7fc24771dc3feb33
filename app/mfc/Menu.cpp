#include "Menu.h"

#include "Resource.h"

#include <QMenu>
#include <QWidget>

namespace {

void AddItems(QMenu* menu, const MenuResource& resource, QWidget* window, CCmdTarget* owner)
{
    for (const MenuResource& item : resource.items) {
        if (!item.items.empty()) {
            AddItems(menu->addMenu(QString::fromUtf8(item.text)), item, window, owner);
            continue;
        }
        if (item.id == 0) {
            menu->addSeparator();
            continue;
        }
        // The accelerator hint after a tab is not shown in a context menu.
        QAction* action = menu->addAction(QString::fromUtf8(item.text).section(QLatin1Char('\t'), 0, 0));
        CCmdUI ui(item.id, action);
        action->setEnabled(owner->OnCmdMsg(item.id, &ui) && ui.m_bEnabled);
        const UINT id = item.id;
        QObject::connect(action, &QAction::triggered, window, [owner, id] { owner->OnCmdMsg(id, nullptr); });
    }
}

} // namespace

BOOL CMenu::LoadMenu(UINT id)
{
    m_pResource = FindMenuResource(id);
    m_subMenus.clear();
    return m_pResource != nullptr;
}

CMenu* CMenu::GetSubMenu(int position)
{
    if (!m_pResource || position < 0 || size_t(position) >= m_pResource->items.size()
        || m_pResource->items[size_t(position)].items.empty())
        return nullptr;
    auto sub = std::make_unique<CMenu>();
    sub->m_pResource = &m_pResource->items[size_t(position)];
    m_subMenus.push_back(std::move(sub));
    return m_subMenus.back().get();
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CCmdTarget* owner)
{
    (void)flags; // either mouse button chooses an item
    auto* window = dynamic_cast<QWidget*>(owner);
    if (!m_pResource || !window)
        return FALSE;
    // Not run in a loop of its own: what the owner does while the menu is open (the
    // connection may end and take the window with it) cannot pull the ground from under
    // a caller that waits for the menu.
    auto* menu = new QMenu(window);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    AddItems(menu, *m_pResource, window, owner);
    menu->popup(QPoint(x, y));
    return TRUE;
}
