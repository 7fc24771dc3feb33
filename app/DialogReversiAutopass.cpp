#include "DialogReversiAutopass.h"

#include "Tavo.h"
#include "res/Resource.h"

CDialogReversiAutopass::CDialogReversiAutopass(QWidget* parent) : CDialog(IDD_REVERSI_AUTOPASS, parent)
{
    m_nAutopass = TavoApp()->nAutopass;
    m_nAutoforce = TavoApp()->nAutoforce;
}

void CDialogReversiAutopass::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Radio(dx, IDC_AUTOFORCE_OFF, m_nAutoforce);
    DDX_Radio(dx, IDC_AUTOPASS_OFF, m_nAutopass);
}

void CDialogReversiAutopass::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
    TavoApp()->nAutopass = m_nAutopass;
    TavoApp()->nAutoforce = m_nAutoforce;
}
