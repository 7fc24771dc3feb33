// What the framework reads from the program's resources; the program's res/ folder
// supplies each lookup.
#pragma once

#include "Afx.h"

#include <QIcon>
#include <QKeySequence>
#include <vector>

// One menu item: a popup (items not empty), a separator (no text, id 0) or a command
// (its text may hold a tab followed by the accelerator hint).
struct MenuResource {
    const char* text;
    UINT id;
    std::vector<MenuResource> items;
};

struct AcceleratorResource {
    QKeySequence key;
    UINT id;
};

// The string table entry, or null.
const char* FindStringResource(UINT id);
// Menu bar resource: its popups in order; null when there is none.
const MenuResource* FindMenuResource(UINT id);
// Toolbar resource: command ids with 0 for a separator; null when there is none.
const std::vector<UINT>* FindToolBarResource(UINT id);
const std::vector<AcceleratorResource>* FindAcceleratorResource(UINT id);
// Icon resource, or the image of a toolbar button of that command id.
QIcon LoadIconResource(UINT id);
QIcon LoadToolBarButtonImage(UINT commandId);
