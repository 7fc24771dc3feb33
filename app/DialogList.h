// A list window over one kind of the service's records: a vector kept in the records'
// order, whose element i the list shows in row i.
#pragma once

#include "DialogResizableList.h"
#include "mfc/ListCtrl.h"

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

// A value's text as its writer gives it (match types, results).
template <class T>
QString WrittenText(const T& value)
{
    std::ostringstream os;
    os << value;
    return ToQ(os.str());
}

template <class T>
class CDialogList : public CDialogResizableList {
public:
    CDialogList(UINT templateId, QWidget* parent) : CDialogResizableList(templateId, parent) {}
    ~CDialogList() override = default;

    // Every row replaced: the records are added in the order given.
    virtual void SetItems(const std::vector<T>& items)
    {
        ClearItems();
        for (const T& item : items)
            AddItem(item);
    }

    // A record equal to one shown takes its place; any other gets a row of its own.
    virtual void AddItem(const T& item)
    {
        const auto place = std::lower_bound(m_items.begin(), m_items.end(), item);
        const int row = int(place - m_items.begin());
        if (place != m_items.end() && *place == item) {
            ASSERT(false);
            *place = item;
            if (m_list)
                SetSubItems(row, item);
            return;
        }
        m_items.insert(place, item);
        if (m_list) {
            m_list->InsertItem(row, ToQ(GetItemLabel(item)));
            SetSubItems(row, item);
        }
    }

    // The row of a record equal to this one goes; without one nothing changes.
    virtual void RemoveItem(const T& item)
    {
        const auto place = std::lower_bound(m_items.begin(), m_items.end(), item);
        if (place == m_items.end() || !(*place == item))
            return;
        const int row = int(place - m_items.begin());
        m_items.erase(place);
        if (m_list)
            m_list->DeleteItem(row);
    }

    virtual void ClearItems()
    {
        m_items.clear();
        if (m_list)
            m_list->DeleteAllItems();
    }

    // The text of column 0, and of the others.
    virtual std::string GetItemLabel(const T& item) = 0;
    virtual void SetSubItems(int row, const T& item) = 0;

    std::vector<T> m_items;
};
