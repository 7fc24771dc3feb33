#pragma once
// A game service: reads each message's keyword, builds its record, keeps the service's
// games, matches and requests up to date and raises one virtual event per message.

#include "GGMessage.h"
#include "GGMessageTemplates.h"
#include "KitAssert.h"
#include "OsObjects.h"
#include "Server.h"
#include "ggsstream.h"

#include <istream>
#include <map>
#include <string>
#include <string_view>

// The keywords of the game service's messages.
namespace servicekeyword {

enum class Keyword {
    kOther, kAbort, kEnd, kErr, kFatalTimeout, kFinger, kHistory, kIllegal, kJoin, kLook, kMatch, kRank,
    kRatingUpdate, kStored, kTDStart, kTimeout, kTop, kTrustViolation, kUndo, kUpdate, kWatch, kWho, kPlus, kMinus,
};

// By length first: a message's keyword is compared with at most four words.
inline Keyword Find(std::string_view k)
{
    switch (k.size()) {
    case 1:
        return k == "+" ? Keyword::kPlus : k == "-" ? Keyword::kMinus : Keyword::kOther;
    case 3:
        return k == "end" ? Keyword::kEnd : k == "ERR" ? Keyword::kErr : k == "top" ? Keyword::kTop
             : k == "who" ? Keyword::kWho : Keyword::kOther;
    case 4:
        return k == "join" ? Keyword::kJoin : k == "look" ? Keyword::kLook : k == "rank" ? Keyword::kRank
             : k == "undo" ? Keyword::kUndo : Keyword::kOther;
    case 5:
        return k == "abort" ? Keyword::kAbort : k == "match" ? Keyword::kMatch : k == "watch" ? Keyword::kWatch
             : Keyword::kOther;
    case 6:
        return k == "update" ? Keyword::kUpdate : k == "finger" ? Keyword::kFinger : k == "stored" ? Keyword::kStored
             : Keyword::kOther;
    case 7:
        return k == "history" ? Keyword::kHistory : k == "illegal" ? Keyword::kIllegal
             : k == "tdstart" ? Keyword::kTDStart : k == "timeout" ? Keyword::kTimeout : Keyword::kOther;
    case 13:
        return k == "fatal-timeout" ? Keyword::kFatalTimeout : k == "rating_update" ? Keyword::kRatingUpdate
             : Keyword::kOther;
    case 15:
        return k == "trust-violation" ? Keyword::kTrustViolation : Keyword::kOther;
    default:
        return Keyword::kOther;
    }
}

} // namespace servicekeyword

template <class TGame, class TPosition, class TBoard, class TMove, class TMatchType, class TRatingType>
class CServerGG : public CServer {
public:
    using CMoveItem = CGGMoveListItem<TMove>;
    using CMatch = CGGMatch<TMatchType>;
    using CRequest = CGGRequest<TMatchType>;
    using CMsgJoin = CMsgGGJoin<TGame>;
    using CMsgLook = CMsgGGLook<TGame>;
    using CMsgUpdate = CMsgGGUpdate<CMoveItem>;
    using CMsgFinger = CMsgGGFinger<TRatingType>;
    using CMsgHistory = CMsgGGHistory<TMatchType>;
    using CMsgMatch = CMsgGGMatch<TMatchType>;
    using CMsgStored = CMsgGGStored<TMatchType>;
    using CMsgMatchDelta = CMsgGGMatchDelta<TMatchType>;
    using CMsgRequestDelta = CMsgGGRequestDelta<TMatchType>;

    // Bounds on what the server can make the service hold, far beyond what a real one
    // sends: it reports a few hundred matches and requests, and joins the client to its
    // own games and those it watches. A game has one move per square and at most one pass
    // between two moves (fewer than 400 on 14x14); a whole 14x14 game as a join is a few
    // KB. Ids of matches, games and requests are short words.
    static constexpr size_t kMaxGames = 1000;
    static constexpr size_t kMaxMatches = 10000;
    static constexpr size_t kMaxRequests = 10000;
    static constexpr size_t kMaxGameMoves = 400;
    static constexpr size_t kMaxJoin = 64 * 1024;
    static constexpr size_t kMaxId = 32;

    // Sends the two set-up tells and flushes once.
    CServerGG(ggsstream* connection, const std::string& name);
    ~CServerGG() override;

    void HandleMessage(const std::string& text, const std::string& from, std::istream& is) override;

    // Every event but OnWho forwards its message here by default; this passes it on to
    // the connection's generic handler.
    virtual void OnMessage(const CMsg& msg);
    virtual void OnAbortRequest(const CMsgGGAbortRequest& msg) { OnMessage(msg); }
    virtual void OnComment(const CMsgGGComment& msg) { OnMessage(msg); }
    virtual void OnEnd(const CMsgGGEnd& msg)
    {
        ApplyEnd(msg);
        OnMessage(msg);
    }
    virtual void OnErr(const CMsgGGErr& msg) { OnMessage(msg); }
    virtual void OnFatalTimeout(const CMsgGGFatalTimeout& msg) { OnMessage(msg); }
    virtual void OnFinger(const CMsgFinger& msg) { OnMessage(msg); }
    virtual void RemoveGame(const CMsgMatchDelta& msg, const std::string& gameId) { EraseGame(msg, gameId); }
    virtual void OnHistory(const CMsgHistory& msg) { OnMessage(msg); }
    virtual void OnJoin(const CMsgJoin& msg)
    {
        ApplyJoin(msg);
        OnMessage(msg);
    }
    virtual void OnLook(const CMsgLook& msg) { OnMessage(msg); }
    virtual void OnMatch(const CMsgMatch& msg)
    {
        ApplyMatchList(msg);
        OnMessage(msg);
    }
    virtual void OnMatchDelta(const CMsgMatchDelta& msg)
    {
        ApplyMatchDelta(msg);
        OnMessage(msg);
    }
    virtual void OnRank(const CMsgGGRank& msg) { OnMessage(msg); }
    virtual void OnRatingUpdate(const CMsgGGRatingUpdate& msg) { OnMessage(msg); }
    virtual void OnRequestDelta(const CMsgRequestDelta& msg)
    {
        ApplyRequestDelta(msg);
        OnMessage(msg);
    }
    virtual void OnStored(const CMsgStored& msg) { OnMessage(msg); }
    virtual void OnTDStart(const CMsgGGTDStart& msg) { OnMessage(msg); }
    virtual void OnTimeout(const CMsgGGTimeout& msg) { OnMessage(msg); }
    virtual void OnTop(const CMsgGGTop& msg) { OnMessage(msg); }
    virtual void OnTrustViolation(const CMsgGGTrustViolation& msg) { OnMessage(msg); }
    virtual void OnUndoRequest(const CMsgGGUndoRequest& msg) { OnMessage(msg); }
    virtual void OnUnknownDelta(const CMsgGGUnknown& msg) { OnMessage(msg); }
    virtual void OnUpdate(const CMsgUpdate& msg)
    {
        ApplyUpdate(msg);
        OnMessage(msg);
    }
    virtual void OnWatch(const CMsgGGWatch& msg) { OnMessage(msg); }
    virtual void OnWatchDelta(const CMsgGGWatchDelta& msg) { OnMessage(msg); }
    virtual void OnWho(const CMsgGGWho&) {}
    virtual TGame* FindGame(const std::string& id) { return Find(games, id); }
    virtual CMatch* FindMatch(const std::string& id) { return Find(matches, id); }
    virtual CRequest* FindRequest(const std::string& id) { return Find(requests, id); }
    // Gives a game of an ended match its result and removes it.
    virtual void FinishGame(const CMsgMatchDelta& msg, const std::string& gameId);

    // The state updates; an override of the matching event calls them itself. What would
    // pass the bounds above is not filed: a join, a match or a request too big, a new one
    // when its map is full, a move beyond a game's last possible one.
    void ApplyJoin(const CMsgJoin& msg);
    void ApplyUpdate(const CMsgUpdate& msg);
    void ApplyEnd(const CMsgGGEnd& msg);
    void ApplyMatchList(const CMsgMatch& msg);
    void ApplyMatchDelta(const CMsgMatchDelta& msg);
    void ApplyRequestDelta(const CMsgRequestDelta& msg);
    void EraseGame(const CMsgMatchDelta& msg, const std::string& gameId);

    std::map<std::string, TGame> games;
    std::map<std::string, CMatch> matches;
    std::map<std::string, CRequest> requests;

private:
    static bool Fits(const std::string& id) { return id.size() <= kMaxId; }
    static bool Fits(const CGGPlayer& player) { return player.login.size() <= ggsstream::kMaxLogin; }
    static bool Fits(const CMatch& match) { return Fits(match.id) && Fits(match.players[0]) && Fits(match.players[1]); }
    static bool Fits(const CRequest& request)
    {
        return Fits(request.players[0]) && Fits(request.players[1]) && Fits(request.storedId);
    }
    // Files the value under the id unless the map is full and the id new. Ids that come in
    // ascending order, as a list's do, go to the end without a search.
    template <class TMap>
    static void File(TMap& map, size_t most, const std::string& id, const typename TMap::mapped_type& value)
    {
        auto it = map.end();
        if (!map.empty() && !(map.rbegin()->first < id)) {
            it = map.lower_bound(id);
            if (it != map.end() && it->first == id) {
                it->second = value;
                return;
            }
        }
        if (map.size() < most)
            map.emplace_hint(it, id, value);
    }
    template <class TMap>
    static typename TMap::mapped_type* Find(TMap& map, const std::string& id)
    {
        const auto it = map.find(id);
        return it == map.end() ? nullptr : &it->second;
    }
};

template <class TGame, class TPosition, class TBoard, class TMove, class TMatchType, class TRatingType>
CServerGG<TGame, TPosition, TBoard, TMove, TMatchType, TRatingType>::CServerGG(ggsstream* connection,
                                                                              const std::string& name)
    : CServer(connection, name)
{
    *connection << "tell " << name << " client +\n";
    *connection << "tell " << name << " notify + *\n";
    connection->flush();
}

template <class TGame, class TPosition, class TBoard, class TMove, class TMatchType, class TRatingType>
CServerGG<TGame, TPosition, TBoard, TMove, TMatchType, TRatingType>::~CServerGG() = default;

template <class TGame, class TPosition, class TBoard, class TMove, class TMatchType, class TRatingType>
void CServerGG<TGame, TPosition, TBoard, TMove, TMatchType, TRatingType>::OnMessage(const CMsg& msg)
{
    connection->OnMessage(msg);
}

template <class TGame, class TPosition, class TBoard, class TMove, class TMatchType, class TRatingType>
void CServerGG<TGame, TPosition, TBoard, TMove, TMatchType, TRatingType>::HandleMessage(
    const std::string& text, const std::string& from, std::istream& is)
{
    std::string storage;
    std::string_view keyword;
    textinput::ThroughCursor(is, [&keyword, &storage](auto& in) {
        keyword = textinput::ReadWordView(in, storage);
        textinput::SkipBlanks(in);
    });

    if (!keyword.empty() && keyword[0] == '.') {
        OnComment(CMsgGGComment(text, from, is, std::string(keyword)));
        return;
    }
    using servicekeyword::Keyword;
    switch (servicekeyword::Find(keyword)) {
    case Keyword::kAbort:
        OnAbortRequest(CMsgGGAbortRequest(text, from, is));
        break;
    case Keyword::kEnd:
        OnEnd(CMsgGGEnd(text, from, is));
        break;
    case Keyword::kErr:
    case Keyword::kIllegal:
        OnErr(CMsgGGErr(text, from, is));
        break;
    case Keyword::kFatalTimeout:
        OnFatalTimeout(CMsgGGFatalTimeout(text, from, is));
        break;
    case Keyword::kFinger:
        OnFinger(CMsgFinger(text, from, is));
        break;
    case Keyword::kHistory:
        if (textinput::Peek(is) == 'E')
            OnErr(CMsgGGErr(text, from, is));
        else
            OnHistory(CMsgHistory(text, from, is));
        break;
    case Keyword::kJoin:
        OnJoin(CMsgJoin(text, from, is));
        break;
    case Keyword::kLook:
        OnLook(CMsgLook(text, from, is));
        break;
    case Keyword::kMatch:
        OnMatch(CMsgMatch(text, from, is));
        break;
    case Keyword::kRank:
        OnRank(CMsgGGRank(text, from, is));
        break;
    case Keyword::kRatingUpdate:
        OnRatingUpdate(CMsgGGRatingUpdate(text, from, is));
        break;
    case Keyword::kStored:
        OnStored(CMsgStored(text, from, is));
        break;
    case Keyword::kTDStart:
        OnTDStart(CMsgGGTDStart(text, from, is));
        break;
    case Keyword::kTimeout:
        OnTimeout(CMsgGGTimeout(text, from, is));
        break;
    case Keyword::kTop:
        OnTop(CMsgGGTop(text, from, is));
        break;
    case Keyword::kTrustViolation:
        OnTrustViolation(CMsgGGTrustViolation(text, from, is));
        break;
    case Keyword::kUndo:
        OnUndoRequest(CMsgGGUndoRequest(text, from, is));
        break;
    case Keyword::kUpdate:
        OnUpdate(CMsgUpdate(text, from, is));
        break;
    case Keyword::kWatch: {
        const int next = textinput::Peek(is);
        if (next == '+' || next == '-')
            OnErr(CMsgGGErr(text, from, is));
        else
            OnWatch(CMsgGGWatch(text, from, is));
        break;
    }
    case Keyword::kWho:
        OnWho(CMsgGGWho(text, from, is));
        break;
    case Keyword::kPlus:
    case Keyword::kMinus: {
        // A delta: a request id begins with '.', a match change has the word "match",
        // a watch change is "<login> watch"; anything else is unknown.
        const bool plus = keyword == "+";
        if (textinput::Peek(is) == '.') {
            OnRequestDelta(CMsgRequestDelta(text, from, is, plus));
            break;
        }
        std::string x;
        textinput::ReadWord(is, x);
        if (x == "match") {
            OnMatchDelta(CMsgMatchDelta(text, from, is, plus));
            break;
        }
        std::string y;
        textinput::ReadWord(is, y);
        if (y == "watch")
            OnWatchDelta(CMsgGGWatchDelta(text, from, is, plus, x));
        else
            OnUnknownDelta(CMsgGGUnknown(text, from, is, "--"));
        break;
    }
    case Keyword::kOther:
        OnMessage(CMsgGGUnknown(text, from, is, std::string(keyword)));
        break;
    }
}

template <class TGame, class TPosition, class TBoard, class TMove, class TMatchType, class TRatingType>
void CServerGG<TGame, TPosition, TBoard, TMove, TMatchType, TRatingType>::ApplyJoin(const CMsgJoin& msg)
{
    if (msg.gameRead && Fits(msg.gameId) && msg.text.size() <= kMaxJoin && msg.game.moves.size() <= kMaxGameMoves)
        File(games, kMaxGames, msg.gameId, msg.game);
}

template <class TGame, class TPosition, class TBoard, class TMove, class TMatchType, class TRatingType>
void CServerGG<TGame, TPosition, TBoard, TMove, TMatchType, TRatingType>::ApplyUpdate(const CMsgUpdate& msg)
{
    const auto it = games.find(msg.gameId);
    if (it != games.end() && msg.itemRead && it->second.moves.size() < kMaxGameMoves)
        it->second.Play(msg.item);
}

template <class TGame, class TPosition, class TBoard, class TMove, class TMatchType, class TRatingType>
void CServerGG<TGame, TPosition, TBoard, TMove, TMatchType, TRatingType>::ApplyEnd(const CMsgGGEnd& msg)
{
    // Only the games of a synchro match are expected to end this way; any game found
    // takes the result, which the line gives from its first login's view.
    if (TGame* game = FindGame(msg.matchId)) {
        KIT_ASSERT(game->matchType.kind == 's');
        game->SetResult(msg.result, msg.logins[0]);
    }
}

template <class TGame, class TPosition, class TBoard, class TMove, class TMatchType, class TRatingType>
void CServerGG<TGame, TPosition, TBoard, TMove, TMatchType, TRatingType>::ApplyMatchList(const CMsgMatch& msg)
{
    matches.clear();
    for (const CMatch& match : msg.matches)
        if (Fits(match))
            File(matches, kMaxMatches, match.id, match);
}

template <class TGame, class TPosition, class TBoard, class TMove, class TMatchType, class TRatingType>
void CServerGG<TGame, TPosition, TBoard, TMove, TMatchType, TRatingType>::ApplyMatchDelta(
    const CMsgMatchDelta& msg)
{
    const std::string id = msg.match.id;
    if (msg.plus) {
        KIT_ASSERT(matches.find(id) == matches.end());
        if (Fits(msg.match))
            File(matches, kMaxMatches, id, msg.match);
        return;
    }
    if (matches.find(id) == matches.end())
        return;
    if (msg.match.matchType.kind == 's') {
        FinishGame(msg, id + ".0");
        FinishGame(msg, id + ".1");
    } else {
        FinishGame(msg, id);
    }
    matches.erase(id);
}

template <class TGame, class TPosition, class TBoard, class TMove, class TMatchType, class TRatingType>
void CServerGG<TGame, TPosition, TBoard, TMove, TMatchType, TRatingType>::FinishGame(const CMsgMatchDelta& msg,
                                                                                    const std::string& gameId)
{
    TGame* game = FindGame(gameId);
    if (game == nullptr)
        return;
    // A synchro game scored by its own "end" keeps that result; otherwise the match
    // line's result counts, read from the view of the first player it lists.
    if (game->result.kind == CGGResult::kScore)
        KIT_ASSERT(game->matchType.kind == 's');
    else
        game->SetResult(msg.result, msg.match.players[1].login);
    RemoveGame(msg, gameId);
}

template <class TGame, class TPosition, class TBoard, class TMove, class TMatchType, class TRatingType>
void CServerGG<TGame, TPosition, TBoard, TMove, TMatchType, TRatingType>::ApplyRequestDelta(
    const CMsgRequestDelta& msg)
{
    if (msg.plus) {
        KIT_ASSERT(requests.find(msg.requestId) == requests.end());
        if (Fits(msg.requestId) && Fits(msg.request))
            File(requests, kMaxRequests, msg.requestId, msg.request);
    } else {
        requests.erase(msg.requestId);
    }
}

template <class TGame, class TPosition, class TBoard, class TMove, class TMatchType, class TRatingType>
void CServerGG<TGame, TPosition, TBoard, TMove, TMatchType, TRatingType>::EraseGame(const CMsgMatchDelta&,
                                                                                   const std::string& gameId)
{
    games.erase(gameId);
}

// The Reversi service "/os".
class CServerOs
    : public CServerGG<COsGame, CGGPosition<COsBoard, COsMove>, COsBoard, COsMove, COsMatchType, COsRatingType> {
public:
    explicit CServerOs(ggsstream* connection);
    ~CServerOs() override;
};

extern template class CServerGG<COsGame, CGGPosition<COsBoard, COsMove>, COsBoard, COsMove, COsMatchType,
                                COsRatingType>;
