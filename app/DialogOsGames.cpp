#include "DialogOsGames.h"

#include "ServerOsTavo.h"
#include "res/Resource.h"

CDialogOsMatches::CDialogOsMatches(QWidget* parent) : CDialogList(IDD_OS_MATCHES, parent)
{
}

CDialogOsMatches::~CDialogOsMatches() = default;

bool CDialogOsMatches::Create(CServerOsTavo* server)
{
    m_pServer = server;
    return CDialog::Create() != FALSE;
}

BOOL CDialogOsMatches::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_list) {
        m_list->InsertColumn(0, QStringLiteral("Id"), LVCFMT_LEFT, 30);
        m_list->InsertColumn(1, QStringLiteral("Black"), LVCFMT_LEFT, 60);
        m_list->InsertColumn(2, QStringLiteral("White"), LVCFMT_LEFT, 60);
        m_list->InsertColumn(3, QStringLiteral("Game type"), LVCFMT_LEFT, 40);
        m_list->InsertColumn(4, QStringLiteral("Rated"), LVCFMT_LEFT, 30);
    }
    return TRUE;
}

std::string CDialogOsMatches::GetItemLabel(const CGGMatch<COsMatchType>& item)
{
    return item.id;
}

void CDialogOsMatches::SetSubItems(int row, const CGGMatch<COsMatchType>& item)
{
    // The line names black first, which the record keeps as its second player.
    m_list->SetItemText(row, 1, ToQ(item.players[1].login));
    m_list->SetItemText(row, 2, ToQ(item.players[0].login));
    m_list->SetItemText(row, 3, WrittenText(item.matchType));
    m_list->SetItemText(row, 4, QString(QLatin1Char(item.rated)));
}

void CDialogOsMatches::OnItemClick(int row)
{
    if (row < 0 || size_t(row) >= m_items.size() || !m_pServer)
        return;
    const std::string id = m_items[size_t(row)].id;
    m_pServer->Watch(id);
}
