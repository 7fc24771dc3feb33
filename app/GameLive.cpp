#include "GameLive.h"

#include "ServerOsTavo.h"

#include <cstddef>
#include <cstdint>

CGameLive::CGameLive() = default;

CGameLive::~CGameLive()
{
    ASSERT(m_pServer == nullptr);
}

void CGameLive::Attach(CServerOsTavo* server, const std::string& id)
{
    m_pServer = server;
    m_sId = id;
    if (const COsGame* game = server->FindGame(id))
        Update(*game);
    m_sLogin = server->connection->GetLogin();
}

void CGameLive::Update(const COsGame& game)
{
    COsGame::operator=(game);
    m_fUpdated = true;
    ResetTick();
}

void CGameLive::Detach()
{
    m_pServer = nullptr;
}

void CGameLive::AddComment(const std::string& text)
{
    KeepComment(text);
}

void CGameLive::KeepComment(std::string text)
{
    // Each comment counts its line end too, so that empty ones are not free.
    constexpr size_t kKept = kCommentBound / 2;
    const auto weight = [](const std::string& comment) { return comment.size() + 2; };
    if (weight(text) > kKept) {
        // Cut where a character begins, not inside one of UTF-8's sequences.
        size_t cut = kKept - 2;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
            --cut;
        text.resize(cut);
    }
    m_nCommentChars += weight(text);
    m_comments.push_back(std::move(text));
    if (m_nCommentChars <= kCommentBound)
        return;
    size_t drop = 0;
    while (m_nCommentChars > kKept)
        m_nCommentChars -= weight(m_comments[drop++]);
    m_comments.erase(m_comments.begin(), m_comments.begin() + std::ptrdiff_t(drop));
    m_nCommentsDropped += drop;
}

std::string CGameLive::ConnectionLogin() const
{
    return m_pServer ? m_pServer->connection->GetLogin() : std::string();
}

void CGameLive::SendGameCommand(const std::string& command)
{
    m_pServer->Tell() << command << ' ' << m_sId << '\n';
    m_pServer->connection->flush();
}

void CGameLive::Tell(const std::string& text)
{
    ASSERT(m_pServer != nullptr);
    if (!m_pServer)
        return;
    m_pServer->Tell() << "tell " << m_sId << ' ' << text << '\n';
    m_pServer->connection->flush();
    KeepComment(ConnectionLogin() + ": " + text);
}

void CGameLive::Resign()
{
    ASSERT(m_pServer != nullptr);
    if (m_pServer)
        SendGameCommand("resign");
}

void CGameLive::StopWatching()
{
    if (!m_pServer || matchType.kind == 's')
        return;
    SendGameCommand("watch -");
    m_pServer->games.erase(m_sId);
}

bool CGameLive::AmIPlaying() const
{
    return m_sLogin == players[0].login || m_sLogin == players[1].login;
}

bool CGameLive::IsPlaying() const
{
    return m_pServer && AmIPlaying();
}

bool CGameLive::IsMyTurn() const
{
    return m_pServer && IsPlayerToMove(ConnectionLogin());
}

bool CGameLive::IsMe(int side) const
{
    return m_pServer && (side == 0 || side == 1) && ConnectionLogin() == players[side].login;
}

void CGameLive::ResetTick()
{
    m_dwTick = GetTickCount();
}

double CGameLive::ElapsedSeconds(DWORD from, DWORD to)
{
    const DWORD ticks = to - from; // unsigned: a wrap in between cancels out
    return double(std::uint64_t(ticks)) * 0.001;
}

double CGameLive::ElapsedSeconds() const
{
    return ElapsedSeconds(m_dwTick, GetTickCount());
}

void CGameLive::GetClocks(CGGClock clocks[2]) const
{
    clocks[0] = posCurrent.clocks[0];
    clocks[1] = posCurrent.clocks[1];
    if (!IsOver())
        clocks[posCurrent.board.fBlackMove ? 1 : 0].Elapse(ElapsedSeconds(), false);
}

bool CGameLive::HasBoard(const COsGame& game)
{
    const COsBoard& board = game.posStart.board;
    return board.bt.size > 0 && int(board.squares.size()) == board.bt.NBorderedSquares();
}
