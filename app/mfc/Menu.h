// A menu from a menu resource, shown as a context menu at a screen point. Its commands
// go to the window that owns it; items that the owner has no handler for are disabled.
#pragma once

#include "WinApp.h"

#include <memory>
#include <vector>

struct MenuResource;

constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_RIGHTBUTTON = 0x0002;

class CMenu {
public:
    BOOL LoadMenu(UINT id);
    // The popup at that position of the menu; null when there is none.
    CMenu* GetSubMenu(int position);
    // Opens the menu at the screen point and returns at once; the command chosen later
    // reaches `owner`, which must be a window (a menu never outlives its owner).
    BOOL TrackPopupMenu(UINT flags, int x, int y, CCmdTarget* owner);

private:
    const MenuResource* m_pResource = nullptr;
    std::vector<std::unique_ptr<CMenu>> m_subMenus;
};
