#include "GameTestSupport.h"

#include "mfc/Frame.h"
#include "res/Resource.h"

#include "StandinServer.h"

#include <QMouseEvent>
#include <QSettings>

CFakeConnection::CFakeConnection(const std::string& login, int level)
{
    rdbuf(&m_sent);
    this->login = login;
    loggedIn = true;
    if (level >= 0)
        users[login] = level;
    users["/os"] = 0;
    services["/os"].reset(new CServerOsTavo(this));
}

CFakeConnection::~CFakeConnection()
{
    // Nothing goes out at the end: the connection was never real.
    loggedIn = false;
    DeleteAllServices();
    rdbuf(nullptr);
}

CServerOsTavo* CFakeConnection::Service() const
{
    return dynamic_cast<CServerOsTavo*>(FindService("/os"));
}

std::string CFakeConnection::TakeSent()
{
    std::string sent = m_sent.str();
    m_sent.str(std::string());
    return sent;
}

void CGameStream::CreateService(const std::string& name)
{
    if (name == "/os" && !HasService(name))
        services[name].reset(new CServerOsTavo(this));
}

void CGameStream::OnLoggedIn()
{
    RecordingStream::OnLoggedIn();
    *this << "notify + *\n" << std::flush;
}

void CGameStream::OnUserDelta(const CMsgGGSUserDelta& msg)
{
    RecordingStream::OnUserDelta(msg);
    if (msg.login == GetLogin())
        if (CServerOsTavo* service = Service())
            service->SendSetup();
}

CServerOsTavo* CGameStream::Service() const
{
    return dynamic_cast<CServerOsTavo*>(FindService("/os"));
}

BOOL CGameTestApp::DoPromptFileName(QString& fileName, BOOL openFileDialog, CDocTemplate* docTemplate)
{
    (void)openFileDialog;
    (void)docTemplate;
    fileOffers.push_back(fileName);
    if (fileAnswers.empty())
        return FALSE;
    const QString answer = fileAnswers.front();
    fileAnswers.erase(fileAnswers.begin());
    if (answer.isEmpty())
        return FALSE;
    fileName = answer;
    return TRUE;
}

COsMove MoveFrom(const std::string& text)
{
    COsMove move;
    std::istringstream in(text);
    in >> move;
    return move;
}

COsGame MakeGame(const std::string& black, const std::string& white, const std::vector<std::string>& moves,
                 const std::string& matchType)
{
    COsGame game;
    game.Clear();
    std::istringstream type(matchType);
    type >> game.matchType;
    game.players[1].login = black;
    game.players[0].login = white;
    game.place = "GGS/os";
    game.date = "2026.12.09 07:39:55 GMT";
    game.posStart.board.Initialize(game.matchType.bt);
    game.posStart.clocks[0] = game.posStart.clocks[1] = CGGClock(900, 0, 120, CGGClock::kRunning);
    game.UpdatePosition();
    for (const std::string& move : moves)
        game.Play(COsGame::Item(MoveFrom(move), 0, 1));
    return game;
}

COsGame GameOnBoard(const std::string& black, const std::string& white,
                    const std::vector<std::pair<std::string, char>>& discs, const std::string& matchType)
{
    COsGame game = MakeGame(black, white, {}, matchType);
    game.posStart.board.SetEmpty(game.matchType.bt);
    for (const auto& disc : discs) {
        const COsMove square = MoveFrom(disc.first);
        game.posStart.board.Set(square.row, square.col, disc.second);
    }
    game.UpdatePosition();
    return game;
}

std::string GgfText(const COsGame& game)
{
    std::ostringstream out;
    game.WriteGGF(out);
    return out.str();
}

CTavoView* ViewOf(CDocument* document)
{
    return document && !document->GetViews().empty() ? dynamic_cast<CTavoView*>(document->GetViews().front())
                                                     : nullptr;
}

void ClickAt(QWidget* widget, QPoint point)
{
    const QPointF local(point);
    const QPointF global(widget->mapToGlobal(point));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
}

QPoint SquareCentre(const COsMove& move)
{
    return QPoint(30 + move.col * 40 + 20, 30 + move.row * 40 + 20);
}

bool LogInToStandin(CGameTestApp& app, CStandinServer& server, const std::string& login, CStandinLogin& connection)
{
    app.nServerPort = server.GetPort();
    app.streamFactory = [&connection] {
        connection.stream = new CGameStream(connection.deleted);
        return connection.stream;
    };
    if (!ConnectAs(app, login))
        return false;
    return ProcessEventsUntil([&] {
        return *connection.deleted
               || (connection.stream->Service() != nullptr && connection.stream->Service()->setupSent);
    }) && !*connection.deleted;
}

bool LogOut(CGameTestApp& app, CStandinLogin& connection)
{
    if (app.pStream && app.pStream == connection.stream) {
        if (app.pStream->IsLoggedIn())
            app.pStream->Logout();
        app.pStream->Disconnect();
    }
    return ProcessEventsUntil([&] { return bool(*connection.deleted); });
}
