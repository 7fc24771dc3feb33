#include "DialogTalkTo.h"

#include "res/Resource.h"

CDialogTalkTo::CDialogTalkTo(QWidget* parent) : CDialog(IDD_TALK_TO, parent)
{
}

void CDialogTalkTo::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_TALK_TO, m_strLogin);
    DDV_MaxChars(dx, m_strLogin, 8);
}
