#include "DialogOsStored.h"

#include "ServerOsTavo.h"
#include "res/Resource.h"

CDialogOsStored::CDialogOsStored(QWidget* parent) : CDialogList(IDD_OS_STORED, parent)
{
}

CDialogOsStored::~CDialogOsStored() = default;

bool CDialogOsStored::Create(CServerOsTavo* server)
{
    m_pServer = server;
    return CDialog::Create() != FALSE;
}

BOOL CDialogOsStored::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_list) {
        m_list->InsertColumn(0, QStringLiteral("Id"), LVCFMT_LEFT, 45);
        m_list->InsertColumn(1, QStringLiteral("Date/Time"), LVCFMT_LEFT, 120);
        m_list->InsertColumn(2, QStringLiteral("Black"), LVCFMT_LEFT, 60);
        m_list->InsertColumn(3, QStringLiteral("White"), LVCFMT_LEFT, 60);
        m_list->InsertColumn(4, QStringLiteral("Game type"), LVCFMT_LEFT, 40);
    }
    return TRUE;
}

std::string CDialogOsStored::GetItemLabel(const CGGStoredMatch<COsMatchType>& item)
{
    return item.id;
}

void CDialogOsStored::SetSubItems(int row, const CGGStoredMatch<COsMatchType>& item)
{
    m_list->SetItemText(row, 1, ToQ(item.date.Text()));
    m_list->SetItemText(row, 2, ToQ(item.logins[0]));
    m_list->SetItemText(row, 3, ToQ(item.logins[1]));
    m_list->SetItemText(row, 4, WrittenText(item.matchType));
}

void CDialogOsStored::OnItemClick(int row)
{
    if (row < 0 || size_t(row) >= m_items.size() || !m_pServer || !m_pServer->connection)
        return;
    m_pServer->Tell() << "ask " << m_items[size_t(row)].id << '\n';
    m_pServer->connection->flush();
}
