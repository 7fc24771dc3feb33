// The root of a game window's pane tree: it covers the whole window and lays out the
// other panes at their fixed places.
#pragma once

#include "PaneGame.h"

class CPaneCommentsIn;
class CPaneCommentsOut;

class CPaneMain : public CPaneGame {
public:
    CPaneMain(QWidget* owner, CPane* parent, int left, int top, int right, int bottom);
    ~CPaneMain() override;

    // The first pane of that class among the root's own panes; null when there is none.
    template <class T>
    T* FindPane() const
    {
        for (const auto& child : m_children)
            if (auto* pane = dynamic_cast<T*>(child.get()))
                return pane;
        return nullptr;
    }

    // The comment panes, also among the children.
    CPaneCommentsIn* m_pCommentsIn = nullptr;
    CPaneCommentsOut* m_pCommentsOut = nullptr;
};
