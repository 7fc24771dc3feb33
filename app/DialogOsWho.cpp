#include "DialogOsWho.h"

#include "DialogOsMatchRequest.h"
#include "ServerOsTavo.h"
#include "res/Resource.h"

#include <iomanip>

CDialogOsWho::CDialogOsWho(QWidget* parent) : CDialogList(IDD_OS_WHO, parent)
{
}

CDialogOsWho::~CDialogOsWho() = default;

bool CDialogOsWho::Create(CServerOsTavo* server)
{
    m_pServer = server;
    return CDialog::Create() != FALSE;
}

BOOL CDialogOsWho::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_list) {
        m_list->InsertColumn(0, QStringLiteral("Login"), LVCFMT_LEFT, 60);
        m_list->InsertColumn(1, QStringLiteral("Adj. Rating"), LVCFMT_RIGHT, 40);
        m_list->InsertColumn(2, QStringLiteral("Rating"), LVCFMT_RIGHT, 40);
        m_list->InsertColumn(3, QStringLiteral("SD"), LVCFMT_RIGHT, 30);
        m_list->InsertColumn(4, QStringLiteral("Win"), LVCFMT_RIGHT, 45);
        m_list->InsertColumn(5, QStringLiteral("Draw"), LVCFMT_RIGHT, 45);
        m_list->InsertColumn(6, QStringLiteral("Loss"), LVCFMT_RIGHT, 45);
        m_list->InsertColumn(7, QStringLiteral("SD"), LVCFMT_RIGHT, 45);
    }
    return TRUE;
}

std::string CDialogOsWho::GetItemLabel(const CGGWhoItem& item)
{
    return item.login;
}

void CDialogOsWho::SetSubItems(int row, const CGGWhoItem& item)
{
    // Every number through one fixed-point stream: whole ratings, counts with a decimal.
    std::ostringstream os;
    os << std::fixed << std::setprecision(0);
    const auto put = [&](int column, double value) {
        os.str(std::string());
        os << value;
        m_list->SetItemText(row, column, ToQ(os.str()));
    };
    put(1, item.rating.Adjusted());
    put(2, item.rating.value);
    put(3, item.rating.deviation);
    if (item.fNoStats)
        return;
    os << std::setprecision(1);
    put(4, item.won);
    put(5, item.drawn);
    put(6, item.lost);
    put(7, item.deviation2);
}

void CDialogOsWho::OnItemClick(int row)
{
    if (row < 0 || size_t(row) >= m_items.size() || !m_pServer)
        return;
    // The request dialog runs once the click is done: its loop may see the connection,
    // and this window with it, go.
    CServerOsTavo* server = m_pServer;
    server->RunModal([server, login = m_items[size_t(row)].login] {
        CDialogOsGameRequest dialog(server, login);
        dialog.DoModal();
    });
}
