#include "DialogOsHistory.h"

#include "ServerOsTavo.h"
#include "res/Resource.h"

CDialogOsHistory::CDialogOsHistory(QWidget* parent) : CDialogList(IDD_OS_HISTORY, parent)
{
}

CDialogOsHistory::~CDialogOsHistory() = default;

bool CDialogOsHistory::Create(CServerOsTavo* server)
{
    m_pServer = server;
    return CDialog::Create() != FALSE;
}

BOOL CDialogOsHistory::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_list) {
        m_list->InsertColumn(0, QStringLiteral("Id"), LVCFMT_LEFT, 45);
        m_list->InsertColumn(1, QStringLiteral("Date/Time"), LVCFMT_LEFT, 120);
        m_list->InsertColumn(2, QStringLiteral("Black"), LVCFMT_LEFT, 60);
        m_list->InsertColumn(3, QStringLiteral("White"), LVCFMT_LEFT, 60);
        m_list->InsertColumn(4, QStringLiteral("Game type"), LVCFMT_LEFT, 40);
        m_list->InsertColumn(5, QStringLiteral("Result"), LVCFMT_RIGHT, 30);
    }
    return TRUE;
}

std::string CDialogOsHistory::GetItemLabel(const CGGHistoryItem<COsMatchType>& item)
{
    return item.id;
}

void CDialogOsHistory::SetSubItems(int row, const CGGHistoryItem<COsMatchType>& item)
{
    m_list->SetItemText(row, 1, ToQ(item.date.Text()));
    m_list->SetItemText(row, 2, ToQ(item.players[0].login));
    m_list->SetItemText(row, 3, ToQ(item.players[1].login));
    m_list->SetItemText(row, 4, WrittenText(item.matchType));
    m_list->SetItemText(row, 5, WrittenText(item.result));
}

void CDialogOsHistory::OnItemClick(int row)
{
    if (row < 0 || size_t(row) >= m_items.size() || !m_pServer || !m_pServer->connection)
        return;
    m_pServer->Tell() << "look " << m_items[size_t(row)].id << '\n';
    m_pServer->connection->flush();
}
