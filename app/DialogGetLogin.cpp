#include "DialogGetLogin.h"

#include "res/Resource.h"

CDialogGetLogin::CDialogGetLogin(QWidget* parent) : CDialog(IDD_GET_LOGIN, parent)
{
}

void CDialogGetLogin::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_LOGIN, m_strLogin);
    DDV_MaxChars(dx, m_strLogin, 8);
}
