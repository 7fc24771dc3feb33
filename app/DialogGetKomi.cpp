#include "DialogGetKomi.h"

#include "res/Resource.h"

CDialogGetKomi::CDialogGetKomi(QWidget* parent) : CDialog(IDD_GET_KOMI, parent)
{
}

void CDialogGetKomi::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_KOMI, m_dKomi);
}
