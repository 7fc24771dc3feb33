#include "DialogGGSWho.h"

#include "DialogOsMatchRequest.h"
#include "DialogResizableList.h"
#include "Tavo.h"
#include "TavoGGSStream.h"
#include "mfc/ListCtrl.h"
#include "mfc/Menu.h"
#include "res/Resource.h"

#include <QAbstractButton>
#include <algorithm>

namespace {

bool ShowServers()
{
    CTavoApp* app = TavoApp();
    return app && app->fShowServers;
}

std::string ServiceLogin()
{
    CTavoApp* app = TavoApp();
    return app ? app->GetServerLogin() : std::string("/os");
}

bool IsService(const std::string& login)
{
    return !login.empty() && login[0] == '/';
}

QString StatusText(const CGGSUser& user)
{
    return QString(QLatin1Char(user.status));
}

} // namespace

CDialogGGSWho::CDialogGGSWho(QWidget* parent) : CDialog(IDD_GGS_WHO, parent), m_bShowServers(ShowServers())
{
    OnButtonClicked(IDC_WHO_REFRESH, [this] { OnRefresh(); });
    OnButtonClicked(IDC_WHO_CHAT, [this] { OnChatButton(); });
    OnButtonClicked(IDC_WHO_RATINGS, [this] { OnRatings(); });
    OnCommand(ID_WHO_CHALLENGE, [this] { OnChallenge(); });
    OnCommand(ID_WHO_INFO, [this] { OnInfo(); });
    OnCommand(ID_WHO_REVERSI_INFO, [this] { OnReversiInfo(); });
    OnCommand(ID_WHO_CHAT, [this] { OnChat(); });
    OnCommand(ID_WHO_HISTORY, [this] { OnHistory(); });
}

CDialogGGSWho::~CDialogGGSWho() = default;

bool CDialogGGSWho::Create(tavostream* stream)
{
    m_pStream = stream;
    return CDialog::Create() != FALSE;
}

void CDialogGGSWho::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_WHO_LIST, m_list);
    DDX_Check(dx, IDC_WHO_SHOW_SERVERS, m_bShowServers);
    if (dx->m_bSaveAndValidate || !m_list)
        return;
    m_list->DeleteAllItems();
    for (size_t i = 0; i < m_shownUsers.size(); ++i) {
        const CGGSUser& user = m_shownUsers[i];
        const int row = m_list->InsertItem(int(i), ToQ(user.login));
        ASSERT(row == int(i));
        m_list->SetItemText(row, 1, StatusText(user));
        m_list->SetItemText(row, 2, ToQ(user.word1));
        m_list->SetItemText(row, 3, ToQ(user.word2));
    }
    m_bShowServers = ShowServers();
}

BOOL CDialogGGSWho::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_list) {
        m_list->InsertColumn(0, QStringLiteral("Login"), LVCFMT_LEFT, 65);
        m_list->InsertColumn(1, QStringLiteral("Registered"), LVCFMT_LEFT, 20);
        m_list->InsertColumn(2, QStringLiteral("Idle"), LVCFMT_RIGHT, 65);
        m_list->InsertColumn(3, QStringLiteral("Online"), LVCFMT_RIGHT, 65);
        m_list->SetNotify(NM_CLICK, [this](const QPoint& point) { OnClickList(point); });
        m_list->SetNotify(NM_RCLICK, [this](const QPoint& point) { OnRClickList(point); });
    }
    if (auto* box = GetDlgItem(IDC_WHO_SHOW_SERVERS))
        connect(qobject_cast<QAbstractButton*>(box), &QAbstractButton::clicked, this, [this] { OnShowServers(); });
    return TRUE;
}

void CDialogGGSWho::SetUsers(const std::vector<CGGSUser>& users)
{
    if (&users != &m_allUsers)
        m_allUsers = users;
    if (m_pStream)
        for (CGGSUser& user : m_allUsers)
            m_pStream->ClassifyUser(user);
    std::stable_sort(m_allUsers.begin(), m_allUsers.end());
    if (ShowServers()) {
        m_shownUsers = m_allUsers;
    } else {
        m_shownUsers.clear();
        for (const CGGSUser& user : m_allUsers)
            if (!IsService(user.login))
                m_shownUsers.push_back(user);
    }
    UpdateData(FALSE);
}

void CDialogGGSWho::AddUser(const std::string& login)
{
    // The window lists no more than the stream files: no login that the users table
    // refuses, and no more users than it holds.
    if (login.size() > ggsstream::kMaxLogin)
        return;
    CGGSUser user;
    user.login = login;
    user.status = ' ';
    if (m_pStream)
        m_pStream->ClassifyUser(user);
    const auto listed = std::find_if(m_allUsers.begin(), m_allUsers.end(),
                                     [&login](const CGGSUser& each) { return each.login == login; });
    if (listed != m_allUsers.end()) {
        if (listed->status == user.status)
            return;
        // Listed again at the place that the new letter gives.
        RemoveUser(login);
    } else if (m_allUsers.size() >= ggsstream::kMaxUsers) {
        return;
    }
    m_allUsers.insert(std::lower_bound(m_allUsers.begin(), m_allUsers.end(), user), user);
    if (!ShowServers() && IsService(login))
        return;
    const auto place = std::lower_bound(m_shownUsers.begin(), m_shownUsers.end(), user);
    const int row = int(place - m_shownUsers.begin());
    m_shownUsers.insert(place, user);
    if (m_list) {
        m_list->InsertItem(row, ToQ(login));
        m_list->SetItemText(row, 1, StatusText(user));
    }
}

void CDialogGGSWho::RemoveUser(const std::string& login)
{
    const auto listed = std::find_if(m_allUsers.begin(), m_allUsers.end(),
                                     [&login](const CGGSUser& each) { return each.login == login; });
    if (listed == m_allUsers.end())
        return;
    const CGGSUser user = *listed;
    m_allUsers.erase(listed);
    const auto place = std::lower_bound(m_shownUsers.begin(), m_shownUsers.end(), user);
    if (place == m_shownUsers.end() || place->login != login)
        return; // not shown: a hidden service
    const int row = int(place - m_shownUsers.begin());
    m_shownUsers.erase(place);
    if (m_list)
        m_list->DeleteItem(row);
}

void CDialogGGSWho::OnShowServers()
{
    m_bShowServers = !m_bShowServers;
    if (CTavoApp* app = TavoApp())
        app->fShowServers = m_bShowServers != 0;
    SetUsers(m_allUsers);
}

void CDialogGGSWho::Send(const std::string& line)
{
    if (!m_pStream)
        return;
    *m_pStream << line;
    m_pStream->flush();
}

void CDialogGGSWho::OnRefresh()
{
    if (m_pStream && m_pStream->IsConnected())
        Send("who\n");
}

void CDialogGGSWho::OnChatButton()
{
    if (m_pStream)
        m_pStream->ShowWindowFor(".chat", true);
}

void CDialogGGSWho::OnRatings()
{
    Send("tell " + ServiceLogin() + " who 8\n");
}

int CDialogGGSWho::RowAt(const QPoint& point) const
{
    const int row = CDialogResizableList::RowAt(m_list, point);
    if (row < 0)
        return -1;
    if (size_t(row) >= m_shownUsers.size()) {
        ASSERT(false);
        return -1;
    }
    return row;
}

void CDialogGGSWho::OnClickList(const QPoint& point)
{
    const int row = RowAt(point);
    if (row < 0)
        return;
    m_sSelected = m_shownUsers[size_t(row)].login;
    OnChat();
}

void CDialogGGSWho::OnRClickList(const QPoint& point)
{
    const int row = RowAt(point);
    if (row < 0)
        return;
    m_sSelected = m_shownUsers[size_t(row)].login;
    CMenu menu;
    if (!menu.LoadMenu(IDR_WHO_MENU))
        return;
    if (CMenu* popup = menu.GetSubMenu(0)) {
        const QPoint screen = m_list->viewport()->mapToGlobal(point);
        popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x(), screen.y(), this);
    }
}

void CDialogGGSWho::OnChallenge()
{
    auto* service = m_pStream ? dynamic_cast<CServerOsTavo*>(m_pStream->FindService(ServiceLogin())) : nullptr;
    ASSERT(service != nullptr);
    if (!service)
        return;
    // The request dialog runs once the menu is done with: its loop may see the
    // connection, and this window with it, go.
    service->RunModal([service, login = m_sSelected] {
        CDialogOsGameRequest dialog(service, login);
        dialog.DoModal();
    });
}

void CDialogGGSWho::OnChat()
{
    if (m_pStream)
        m_pStream->ShowWindowFor(m_sSelected, true);
}

void CDialogGGSWho::OnInfo()
{
    Send("f " + m_sSelected + "\n");
}

void CDialogGGSWho::OnReversiInfo()
{
    Send("tell " + ServiceLogin() + " f " + m_sSelected + "\n");
}

void CDialogGGSWho::OnHistory()
{
    Send("tell " + ServiceLogin() + " history " + m_sSelected + "\n");
}

void CDialogGGSWho::OnSize(UINT type, int cx, int cy)
{
    CDialog::OnSize(type, cx, cy);
    if (type != SIZE_RESTORED && type != SIZE_MAXIMIZED)
        return;
    if (m_bSized)
        MoveWindowEdges(m_list, 0, 0, cx - m_cxLast, cy - m_cyLast);
    m_cxLast = cx;
    m_cyLast = cy;
    m_bSized = true;
}

void CDialogGGSWho::OnGetMinMaxInfo(MINMAXINFO* info)
{
    CDialog::OnGetMinMaxInfo(info);
    info->ptMinTrackSize = QPoint(100, 100);
}
