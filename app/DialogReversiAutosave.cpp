#include "DialogReversiAutosave.h"

#include "Tavo.h"
#include "res/Resource.h"

CDialogReversiAutosave::CDialogReversiAutosave(QWidget* parent) : CDialog(IDD_REVERSI_AUTOSAVE, parent)
{
    m_nAutosaveMine = TavoApp()->nAutosaveMine;
    m_nAutosaveOthers = TavoApp()->nAutosaveOthers;
}

void CDialogReversiAutosave::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Radio(dx, IDC_AUTOSAVE_MINE_NEVER, m_nAutosaveMine);
    DDX_Radio(dx, IDC_AUTOSAVE_OTHERS_NEVER, m_nAutosaveOthers);
}

void CDialogReversiAutosave::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
    TavoApp()->nAutosaveMine = m_nAutosaveMine;
    TavoApp()->nAutosaveOthers = m_nAutosaveOthers;
}
