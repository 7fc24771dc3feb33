// The game record of one game window and its link to that game on the Reversi service:
// which service and game id it mirrors, the comments, and the running clock, which is
// charged from the moment the client last received the game.
#pragma once

#include "OsObjects.h"
#include "mfc/Afx.h"

#include <string>
#include <vector>

class CServerOsTavo;

class CGameLive : public COsGame {
public:
    CGameLive();
    ~CGameLive() override;
    CGameLive(const CGameLive&) = delete;
    CGameLive& operator=(const CGameLive&) = delete;

    // Links the record to the service's game of that id and loads it (nothing is loaded
    // while the service does not hold the game).
    void Attach(CServerOsTavo* server, const std::string& id);
    // Takes the whole record; the running clock starts again.
    void Update(const COsGame& game);
    // Forgets the service; nothing is sent.
    virtual void Detach();
    virtual void AddComment(const std::string& text);

    // Game commands through the service: a comment to the game's players, resigning,
    // and no longer watching (a synchro game's watch ends with its match).
    void Tell(const std::string& text);
    void Resign();
    void StopWatching();

    CServerOsTavo* GetServer() const { return m_pServer; }
    const std::string& GetId() const { return m_sId; }
    // The comments kept, oldest first; comment i of the list is the game's comment
    // number GetCommentsDropped() + i.
    const std::vector<std::string>& GetComments() const { return m_comments; }
    // How many comments have been dropped from the front of the list so far.
    size_t GetCommentsDropped() const { return m_nCommentsDropped; }
    bool CanSendMove() const { return m_fCanSendMove; }
    bool IsUpdated() const { return m_fUpdated; }

    // The login taken at attachment plays in the game (attached or not).
    bool AmIPlaying() const;
    // Attached, and the user plays in the game.
    bool IsPlaying() const;
    // Attached, and the user is to move (either player while a komi game waits for its bids).
    bool IsMyTurn() const;
    // Attached, and the user plays side 0 (white) or 1 (black).
    bool IsMe(int side) const;

    void ResetTick();
    // Seconds since the game was last received.
    double ElapsedSeconds() const;
    // Seconds between two tick counts; a wrap of the counter between them still gives the
    // true difference.
    static double ElapsedSeconds(DWORD from, DWORD to);
    // Both clocks of the current position, the side to move charged with the time since
    // the game was last received (no increment); the record is not changed.
    void GetClocks(CGGClock clocks[2]) const;

    // A game text that could not be read leaves a record without a board: such a record
    // is no game to show.
    static bool HasBoard(const COsGame& game);

    // The comments keep at most kCommentBound characters: past it the oldest go, until
    // no more than half of it is left, and a comment longer than half the bound keeps
    // its beginning. So a game's comments, and the text that shows them, stay bounded
    // however many the server sends, and the list is trimmed only now and then.
    static constexpr size_t kCommentBound = 20000;

protected:
    // The connection's login now, empty when detached.
    std::string ConnectionLogin() const;
    // Sends "t /os <command> <id>" and flushes.
    void SendGameCommand(const std::string& command);
    // Appends a comment within the bound.
    void KeepComment(std::string text);

    std::vector<std::string> m_comments;
    size_t m_nCommentsDropped = 0;
    size_t m_nCommentChars = 0;
    CServerOsTavo* m_pServer = nullptr;
    std::string m_sId;
    std::string m_sLogin;
    DWORD m_dwTick = 0;
    bool m_fCanSendMove = true;
    bool m_fUpdated = false;
};
