#include "DialogOsIncomingRequest.h"

#include "DialogOsMatchRequest.h"
#include "Tavo.h"
#include "res/Resource.h"

CDialogOsIncomingRequest::CDialogOsIncomingRequest(const CGGRequest<COsMatchType>& request, CServerOsTavo* server,
                                                   const std::string& requestId, QWidget* parent)
    : CDialog(IDD_OS_INCOMING_REQUEST, parent), m_request(request),
      m_pServer(server ? server->GetHandle() : std::make_shared<CServerOsTavo*>()), m_strRequestId(requestId)
{
    const COsMatchType& type = request.matchType;
    m_strOpponent = ToQ(request.players[0].login);
    m_strBoard = QString::fromLatin1(type.bt.Name());
    // The asker's wish for a colour, seen from the user's side.
    m_strColor = ColorName(type.kind == 'b' ? 'w' : type.kind == 'w' ? 'b' : type.kind);
    m_bAnti = type.fAnti;
    m_bRand = type.fRand;
    m_nDiscs = type.fRand ? type.nRandDiscs : 0;
    m_strMyTime = ClockText(request.clocks[1]);
    m_strOppTime = request.clocks[0] != request.clocks[1] ? ClockText(request.clocks[0]) : QString();
    m_bRated = request.rated != 'U';
    OnButtonClicked(ID_HELP, [this] { OnHelp(); });
}

void CDialogOsIncomingRequest::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Check(dx, IDC_GR_ANTI, m_bAnti);
    DDX_Text(dx, IDC_GR_MY_TIME, m_strMyTime);
    DDX_Text(dx, IDC_GR_OPPONENT, m_strOpponent);
    DDX_Text(dx, IDC_GR_OPP_TIME, m_strOppTime);
    DDX_Check(dx, IDC_GR_RAND, m_bRand);
    DDX_Text(dx, IDC_GR_DISCS, m_nDiscs);
    DDX_Text(dx, IDC_GR_BOARD, m_strBoard);
    DDX_Text(dx, IDC_GR_COLOR, m_strColor);
    DDX_Check(dx, IDC_GR_RATED, m_bRated);
}

void CDialogOsIncomingRequest::OnOK()
{
    EndDialog(IDOK);
    Answer("accept ");
}

void CDialogOsIncomingRequest::OnCancel()
{
    EndDialog(IDCANCEL);
    Answer("decline ");
}

void CDialogOsIncomingRequest::Answer(const char* command)
{
    CServerOsTavo* server = *m_pServer;
    if (!server || !server->connection)
        return;
    server->Tell() << command << m_strRequestId << '\n';
    server->connection->flush();
}

void CDialogOsIncomingRequest::OnHelp()
{
    if (CTavoApp* app = TavoApp())
        app->WinHelp(IDH_MATCH_TYPES, HELP_CONTEXT);
}
