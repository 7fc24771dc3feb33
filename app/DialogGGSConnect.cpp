#include "DialogGGSConnect.h"

#include "TavoGGSStream.h"
#include "res/Resource.h"

CDialogGGSConnect::CDialogGGSConnect(tavostream* stream) : CDialog(IDD_GGS_CONNECT), m_pStream(stream)
{
    LoadProfile();
}

void CDialogGGSConnect::LoadProfile()
{
    CWinApp* app = AfxGetApp();
    const QString ggs = QStringLiteral("GGS");
    m_strLogin = app->GetProfileString(ggs, QStringLiteral("login"));
    m_strPassword = app->GetProfileString(ggs, QStringLiteral("password"));
    m_bSavePassword = app->GetProfileInt(ggs, QStringLiteral("fSavePassword"), 1);
    m_nResult = 0;
}

void CDialogGGSConnect::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_LOGIN, m_strLogin);
    DDV_MaxChars(dx, m_strLogin, 8);
    DDX_Text(dx, IDC_PASSWORD, m_strPassword);
    DDV_MaxChars(dx, m_strPassword, 8);
    DDX_Check(dx, IDC_SAVE_PASSWORD, m_bSavePassword);
}

BOOL CDialogGGSConnect::OnInitDialog()
{
    CDialog::OnInitDialog();
    GotoDlgCtrl(GetDlgItem(IDC_LOGIN));
    if (!m_strLogin.isEmpty()) {
        NextDlgCtrl();
        if (!m_strPassword.isEmpty()) {
            NextDlgCtrl();
            NextDlgCtrl();
        }
    }
    return FALSE;
}

bool CDialogGGSConnect::IsValidLogin(const QString& login)
{
    return login.size() >= 2 && login.size() <= 8 && login[0] != QLatin1Char('.')
           && login[0] != QLatin1Char('_') && !login.contains(QLatin1Char(','))
           && !login.contains(QLatin1Char('/'));
}

void CDialogGGSConnect::OnOK()
{
    UpdateData(TRUE);
    if (!IsValidLogin(m_strLogin)) {
        AfxMessageBox(IDS_BAD_LOGIN_NAME, MB_OK);
        ShowWindow(SW_RESTORE);
        return;
    }
    CWinApp* app = AfxGetApp();
    const QString ggs = QStringLiteral("GGS");
    app->WriteProfileString(ggs, QStringLiteral("login"), m_strLogin);
    app->WriteProfileString(ggs, QStringLiteral("password"), m_bSavePassword ? m_strPassword : QString());
    app->WriteProfileInt(ggs, QStringLiteral("fSavePassword"), m_bSavePassword);

    m_nResult = m_pStream->Login(ToStd(m_strLogin), ToStd(m_strPassword));
    if (m_nResult == ggsstream::kErrBadPassword) {
        AfxMessageBox(UINT(ggsstream::kErrBadPassword), MB_OK);
        ShowWindow(SW_RESTORE);
        return;
    }
    CDialog::OnOK();
}
