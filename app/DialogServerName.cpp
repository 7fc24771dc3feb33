#include "DialogServerName.h"

#include "res/Resource.h"

CDialogServerName::CDialogServerName(QWidget* parent) : CDialog(IDD_SERVER_NAME, parent)
{
    m_strServer = AfxGetApp()->GetProfileString(QStringLiteral("GGS"), QStringLiteral("server"),
                                                LoadStringResource(IDS_DEFAULT_SERVER));
    OnButtonClicked(IDC_DEFAULT, [this] { OnDefault(); });
}

void CDialogServerName::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_SERVER, m_strServer);
}

void CDialogServerName::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
    AfxGetApp()->WriteProfileString(QStringLiteral("GGS"), QStringLiteral("server"), m_strServer);
}

void CDialogServerName::OnDefault()
{
    m_strServer = LoadStringResource(IDS_DEFAULT_SERVER);
    UpdateData(FALSE);
}
