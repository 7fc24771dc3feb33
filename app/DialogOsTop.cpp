#include "DialogOsTop.h"

#include "ServerOsTavo.h"
#include "res/Resource.h"

#include <cmath>
#include <iomanip>

namespace {

// A whole number, plain.
QString Plain(int number)
{
    return QString::number(number);
}

// A rating cut to its integer part: 1834.9 is 1834.
QString Truncated(double value)
{
    std::ostringstream os;
    // Adding zero turns a negative zero into zero.
    os << std::fixed << std::setprecision(0) << std::trunc(value) + 0.0;
    return ToQ(os.str());
}

} // namespace

CDialogOsTop::CDialogOsTop(QWidget* parent) : CDialogList(IDD_OS_TOP, parent)
{
}

CDialogOsTop::~CDialogOsTop() = default;

bool CDialogOsTop::Create(CServerOsTavo* server)
{
    m_pServer = server;
    return CDialog::Create() != FALSE;
}

BOOL CDialogOsTop::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_list) {
        m_list->InsertColumn(0, QStringLiteral("Rank"), LVCFMT_RIGHT, 40);
        m_list->InsertColumn(1, QStringLiteral("Login"), LVCFMT_LEFT, 60);
        m_list->InsertColumn(2, QStringLiteral("Adj. Rating"), LVCFMT_RIGHT, 40);
        m_list->InsertColumn(3, QStringLiteral("Rating"), LVCFMT_RIGHT, 40);
        m_list->InsertColumn(4, QStringLiteral("# W"), LVCFMT_RIGHT, 45);
        m_list->InsertColumn(5, QStringLiteral("# D"), LVCFMT_RIGHT, 45);
        m_list->InsertColumn(6, QStringLiteral("# L"), LVCFMT_RIGHT, 45);
        m_list->InsertColumn(7, QString(), LVCFMT_LEFT, 25);
    }
    return TRUE;
}

std::string CDialogOsTop::GetItemLabel(const CGGRankData& item)
{
    return std::to_string(item.rank);
}

void CDialogOsTop::SetSubItems(int row, const CGGRankData& item)
{
    m_list->SetItemText(row, 1, ToQ(item.login));
    m_list->SetItemText(row, 2, Truncated(item.rating.rating.Adjusted()));
    m_list->SetItemText(row, 3, Truncated(item.rating.rating.value));
    m_list->SetItemText(row, 4, Plain(item.rating.won));
    m_list->SetItemText(row, 5, Plain(item.rating.drawn));
    m_list->SetItemText(row, 6, Plain(item.rating.lost));
    m_list->SetItemText(row, 7, item.fMarked ? QStringLiteral("<=") : QString());
}

void CDialogOsTop::OnItemClick(int row)
{
    if (row < 0 || size_t(row) >= m_items.size() || !m_pServer || !m_pServer->connection)
        return;
    // A question to the server itself, not to the service.
    *m_pServer->connection << "finger " << m_items[size_t(row)].login << '\n';
    m_pServer->connection->flush();
}
