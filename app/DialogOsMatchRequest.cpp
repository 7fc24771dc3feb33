#include "DialogOsMatchRequest.h"

#include "Tavo.h"
#include "res/Resource.h"

#include <algorithm>
#include <sstream>

COsMatchType CDialogOsGameRequest::s_defaultType;
CGGClock CDialogOsGameRequest::s_defaultClocks[2];
std::string CDialogOsGameRequest::s_defaultOpponent;
bool CDialogOsGameRequest::s_bDefaultRated = false;

namespace {

const char* const kDefaultsSection = "os";
const char* const kDefaultsEntry = "grDefault";
const char* const kDefaults = "8 15:00//2:00 15:00//2:00 wup 0";

// The default clock of a request whose time is left empty: 15:00//2:00.
void SetDefaultClock(CGGClock& clock)
{
    clock.timeLeft = 900;
    clock.increment = 0;
    clock.extension = 120;
}

bool IsBlank(const QString& text)
{
    return text.trimmed().isEmpty();
}

// What the clock reader makes of the text; nothing is reported.
CGGClock ReadClock(const QString& text)
{
    CGGClock clock;
    std::istringstream is(ToStd(text));
    clock.Read(is);
    return clock;
}

} // namespace

QString ClockText(const CGGClock& clock)
{
    std::ostringstream os;
    clock.Write(os);
    return ToQ(os.str());
}

QString ColorName(char kind)
{
    switch (kind) {
    case 'b':
        return LoadStringResource(IDS_BLACK);
    case 'w':
        return LoadStringResource(IDS_WHITE);
    case 's':
        return LoadStringResource(IDS_SYNCH);
    case 'k':
        return LoadStringResource(IDS_KOMI);
    default:
        return LoadStringResource(IDS_RANDOM);
    }
}

CDialogOsGameRequest::CDialogOsGameRequest(CServerOsTavo* server)
    : CDialog(IDD_OS_GAME_REQUEST), m_pServer(server ? server->GetHandle() : std::make_shared<CServerOsTavo*>())
{
    InitFromDefaults();
    OnButtonClicked(ID_HELP, [this] { OnHelp(); });
}

CDialogOsGameRequest::CDialogOsGameRequest(CServerOsTavo* server, const std::string& opponent)
    : CDialogOsGameRequest(server)
{
    m_strOpponent = ToQ(opponent);
}

void CDialogOsGameRequest::InitFromDefaults()
{
    m_bAnti = m_bRand = m_bRated = 0;
    m_nDiscs = 0;
    m_strBoard.clear();
    m_strOpponent.clear();
    m_strMyTime.clear();
    m_strOppTime.clear();
    m_strColor.clear();
    m_clocks[0] = s_defaultClocks[0];
    m_clocks[1] = s_defaultClocks[1];
    m_strOpponent = ToQ(s_defaultOpponent);
    m_matchType = s_defaultType;
    m_bRated = s_bDefaultRated;
}

void CDialogOsGameRequest::ReadDefaults(const std::string& text)
{
    std::istringstream is(text);
    // Each field is taken only when it could be read; the first that cannot be read
    // ends the reading.
    COsMatchType type;
    type.Read(is);
    if (!is || type.bt.size == 0) // no board, no match type
        return;
    s_defaultType = type;
    for (CGGClock& defaultClock : s_defaultClocks) {
        CGGClock clock;
        clock.Read(is);
        if (!is)
            return;
        defaultClock = clock;
    }
    // The opponent is one word, however many blanks stand before it. A request to
    // nobody is saved with no word there: the one word left is then the rated flag.
    std::string opponent;
    if (!(is >> opponent))
        return;
    bool rated = false;
    if (is >> rated) {
        s_defaultOpponent = opponent;
        s_bDefaultRated = rated;
    } else if (is.eof() && (opponent == "0" || opponent == "1")) {
        s_defaultOpponent.clear();
        s_bDefaultRated = opponent == "1";
    } else {
        s_defaultOpponent = opponent;
    }
}

std::string CDialogOsGameRequest::DefaultsText()
{
    std::ostringstream os;
    s_defaultType.Write(os);
    os << ' ' << s_defaultClocks[0] << ' ' << s_defaultClocks[1] << ' ' << s_defaultOpponent
       << ' ' << (s_bDefaultRated ? '1' : '0');
    return os.str();
}

void CDialogOsGameRequest::LoadDefaults()
{
    CTavoApp* app = TavoApp();
    if (!app)
        return;
    ReadDefaults(ToStd(app->GetProfileString(QString::fromLatin1(kDefaultsSection),
                                             QString::fromLatin1(kDefaultsEntry), QString::fromLatin1(kDefaults))));
}

void CDialogOsGameRequest::SaveDefaults()
{
    if (CTavoApp* app = TavoApp())
        app->WriteProfileString(QString::fromLatin1(kDefaultsSection), QString::fromLatin1(kDefaultsEntry),
                                ToQ(DefaultsText()));
}

void CDialogOsGameRequest::ShowTerms()
{
    m_strBoard = QString::fromLatin1(m_matchType.bt.Name());
    m_strColor = ColorName(m_matchType.kind);
    m_bAnti = m_matchType.fAnti;
    m_bRand = m_matchType.fRand;
    m_nDiscs = m_matchType.nRandDiscs;
    m_strMyTime = ClockText(m_clocks[0]);
    m_strOppTime = m_clocks[0] == m_clocks[1] ? QString() : ClockText(m_clocks[1]);
}

void CDialogOsGameRequest::ReadTerms()
{
    COsBoardType& board = m_matchType.bt;
    board.fOctagon = m_strBoard == LoadStringResource(IDS_OCTAGONAL);
    if (board.fOctagon) {
        board.size = 10;
    } else {
        // No board is that large: the number stops growing there.
        int size = 0;
        for (int i = 0; i < m_strBoard.size() && m_strBoard[i] >= u'0' && m_strBoard[i] <= u'9'; ++i)
            size = std::min(size * 10 + (m_strBoard[i].unicode() - u'0'), 9999);
        board.size = size;
    }

    if (m_strColor == LoadStringResource(IDS_BLACK))
        m_matchType.kind = 'b';
    else if (m_strColor == LoadStringResource(IDS_WHITE))
        m_matchType.kind = 'w';
    else if (m_strColor == LoadStringResource(IDS_SYNCH))
        m_matchType.kind = 's';
    else if (m_strColor == LoadStringResource(IDS_KOMI))
        m_matchType.kind = 'k';
    else
        m_matchType.kind = '?';

    // The komi value is not shown: it stays as the defaults held it.
    m_matchType.fAnti = m_bAnti != 0;
    m_matchType.fRand = m_bRand != 0;
    m_matchType.nRandDiscs = m_nDiscs;

    if (IsBlank(m_strMyTime))
        SetDefaultClock(m_clocks[0]);
    else
        m_clocks[0] = ReadClock(m_strMyTime);
    if (IsBlank(m_strOppTime))
        m_clocks[1] = m_clocks[0];
    else
        m_clocks[1] = ReadClock(m_strOppTime);
}

void CDialogOsGameRequest::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    if (!dx->m_bSaveAndValidate)
        ShowTerms();
    DDX_Check(dx, IDC_GR_ANTI, m_bAnti);
    DDX_CBString(dx, IDC_GR_BOARD, m_strBoard);
    DDX_Text(dx, IDC_GR_OPPONENT, m_strOpponent);
    DDV_MaxChars(dx, m_strOpponent, 8);
    DDX_Check(dx, IDC_GR_RAND, m_bRand);
    DDX_Text(dx, IDC_GR_DISCS, m_nDiscs);
    DDX_Text(dx, IDC_GR_MY_TIME, m_strMyTime);
    DDX_Text(dx, IDC_GR_OPP_TIME, m_strOppTime);
    DDX_CBString(dx, IDC_GR_COLOR, m_strColor);
    DDX_Check(dx, IDC_GR_RATED, m_bRated);
    if (dx->m_bSaveAndValidate && !dx->m_bFailed)
        ReadTerms();
}

void CDialogOsGameRequest::OnOK()
{
    CServerOsTavo* server = *m_pServer;
    // The connection ended while the dialog was open: there is nobody to ask.
    if (!server || !server->connection) {
        EndDialog(IDCANCEL);
        return;
    }
    const int level = server->connection->GetMyLevel();
    if (!UpdateData(TRUE))
        return;
    int code = m_matchType.Validate();
    if (code == 0 && level == 0 && m_bRated)
        code = IDS_RATED_UNREGISTERED;
    if (code != 0) {
        if (CTavoApp* app = TavoApp())
            app->ShowError(code);
        return;
    }

    s_defaultClocks[0] = m_clocks[0];
    s_defaultClocks[1] = m_clocks[1];
    s_defaultType = m_matchType;
    s_defaultOpponent = ToStd(m_strOpponent);
    s_bDefaultRated = m_bRated != 0;

    // A registered user's requests are rated: an unrated one is asked between the two
    // switches.
    const bool unratedByRegistered = level != 0 && !m_bRated;
    if (unratedByRegistered)
        server->Tell() << "rated -\n";
    server->Tell() << "ask " << m_matchType << ' ' << m_clocks[0] << ' ' << m_clocks[1] << ' ' << s_defaultOpponent
                   << '\n';
    if (unratedByRegistered)
        server->Tell() << "rated +\n";
    server->connection->flush();
    EndDialog(IDOK);
}

void CDialogOsGameRequest::OnHelp()
{
    if (CTavoApp* app = TavoApp())
        app->WinHelp(IDH_MATCH_TYPES, HELP_CONTEXT);
}
