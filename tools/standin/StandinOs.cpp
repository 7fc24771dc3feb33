#include "StandinOs.h"
#include "StandinOsText.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <sstream>

const char* const CStandinOs::kPlace = "GGS/os";

using namespace standintext;

namespace {

constexpr size_t kHistoryLength = 50;

} // namespace

CStandinOs::CStandinOs(Sender sender) : send(std::move(sender)), random(5000) {}

// ---------------------------------------------------------------- users and output

void CStandinOs::Arrive(const std::string& login, int level)
{
    User user;
    user.level = level;
    users[login] = user;
}

void CStandinOs::Leave(const std::string& login, double)
{
    for (auto it = requests.begin(); it != requests.end();) {
        const Request& request = it->second;
        if (request.logins[0] == login || request.logins[1] == login) {
            const std::string text = "- " + RequestText(request);
            const std::string other = request.logins[request.logins[0] == login ? 1 : 0];
            it = requests.erase(it);
            Send(other, text);
        } else {
            ++it;
        }
    }
    std::vector<std::string> playing;
    for (auto& [id, match] : matches) {
        match.watchers.erase(login);
        if (match.logins[0] == login || match.logins[1] == login)
            playing.push_back(id);
    }
    users.erase(login);
    for (const auto& id : playing)
        StopMatch(id, true);
}

void CStandinOs::Send(const std::string& login, const std::string& message)
{
    if (IsPresent(login))
        send(login, message);
}

void CStandinOs::SendErr(const std::string& login, const std::string& text)
{
    Send(login, "ERR " + text);
}

std::set<std::string> CStandinOs::Audience(const Match& match)
{
    std::set<std::string> to(match.watchers);
    to.insert(match.logins[0]);
    to.insert(match.logins[1]);
    return to;
}

void CStandinOs::ToMatch(const Match& match, const std::string& message)
{
    for (const auto& login : Audience(match))
        Send(login, message);
}

void CStandinOs::ToNotified(const Match& match, const std::string& message)
{
    std::set<std::string> to = Audience(match);
    for (const auto& [login, user] : users)
        if (user.notify)
            to.insert(login);
    for (const auto& login : to)
        Send(login, message);
}

bool CStandinOs::IsKnown(const std::string& login) const
{
    return IsPresent(login) || histories.count(login) != 0 || ratings.count(login) != 0;
}

CStandinOs::Rating& CStandinOs::RatingOf(const std::string& login, const COsMatchType& type)
{
    return ratings[login][RatingKey(type)];
}

const CStandinOs::Rating* CStandinOs::FindRating(const std::string& login, const std::string& key) const
{
    const auto found = ratings.find(login);
    if (found == ratings.end())
        return nullptr;
    const auto rating = found->second.find(key);
    return rating == found->second.end() ? nullptr : &rating->second;
}

CGGPlayer CStandinOs::PlayerOf(const std::string& login, const COsMatchType& type) const
{
    CGGPlayer player;
    player.login = login;
    const Rating* rating = FindRating(login, RatingKey(type));
    player.rating = rating ? rating->value : Rating().value;
    return player;
}

// ---------------------------------------------------------------- commands

void CStandinOs::Command(const std::string& login, const std::string& line, double now)
{
    const Words words = SplitWords(line);
    if (words.empty() || !IsPresent(login))
        return;
    const std::string& verb = words[0];
    const std::string first = words.size() > 1 ? words[1] : std::string();
    User& user = users[login];

    if (verb == "client") {
        // Every reply is in the client's form already.
    } else if (verb == "notify") {
        user.notify = first != "-";
    } else if (verb == "rated") {
        if (first == "+" && user.level < 1)
            SendErr(login, "you are not registered.");
        else
            user.rated = first == "+";
    } else if (verb == "open") {
        user.open = first == "0" ? 0 : 1;
    } else if (verb == "ask") {
        Ask(login, words);
    } else if (verb == "accept") {
        Accept(login, first, now);
    } else if (verb == "decline") {
        Decline(login, first);
    } else if (verb == "play") {
        Play(login, words, now);
    } else if (verb == "resign") {
        Resign(login, first);
    } else if (verb == "break") {
        Break(login, first);
    } else if (verb == "abort") {
        Abort(login, first);
    } else if (verb == "undo") {
        Undo(login, first, now);
    } else if (verb == "watch") {
        Watch(login, words);
    } else if (verb == "tell" && words.size() > 2) {
        // The comment keeps the text as typed after the game id.
        const size_t at = line.find(first, line.find(verb) + verb.size()) + first.size();
        Comment(login, first, line.substr(line.find_first_not_of(' ', at)));
    } else if (verb == "match") {
        ListMatches(login);
    } else if (verb == "stored") {
        ListStored(login);
    } else if (verb == "history") {
        ListHistory(login, first.empty() ? login : first);
    } else if (verb == "who") {
        ListWho(login, words);
    } else if (verb == "rank" || verb == "top") {
        ListRank(login, words, verb == "top");
    } else if (verb == "finger" || verb == "f") {
        Finger(login, first.empty() ? login : first);
    } else if (verb == "look") {
        Look(login, first);
    } else {
        SendErr(login, "unknown command " + verb);
    }
}

// ---------------------------------------------------------------- requests

std::string CStandinOs::RequestText(const Request& request) const
{
    std::ostringstream text;
    text << request.id << ' ' << PlayerText(PlayerOf(request.logins[0], request.type)) << ' '
         << request.clocks[0] << ' ' << request.type << ' ' << request.rated << ' '
         << PlayerText(PlayerOf(request.logins[1], request.type)) << ' ';
    if (request.rated == 'S')
        text << request.storedId;
    else
        text << request.clocks[1];
    return text.str();
}

void CStandinOs::Ask(const std::string& login, const Words& words)
{
    if (words.size() == 2 && words[1][0] == '.') {
        AskStored(login, words[1]);
        return;
    }
    if (words.size() != 4 && words.size() != 5) {
        SendErr(login, "ask <type> <clock> [<clock>] <login>");
        return;
    }
    Request request;
    const std::string& typeWord = words[1];
    if (std::count_if(typeWord.begin(), typeWord.end(), [](char c) {
            return c == 'b' || c == 'w' || c == 's' || c == 'k' || c == 'B' || c == 'W' || c == 'S' || c == 'K';
        }) > 1) {
        SendErr(login, "only one color preference allowed");
        return;
    }
    if (!ReadType(typeWord, request.type)) {
        SendErr(login, "board type");
        return;
    }
    switch (request.type.Validate()) {
    case 0: break;
    case COsMatchType::kErrRandColor: SendErr(login, "rand games must have color = synch or komi"); return;
    default: SendErr(login, "wrong number of random discs for that board type"); return;
    }
    if (!ReadClock(words[2], request.clocks[0]) || !ReadClock(words[words.size() - 2], request.clocks[1])) {
        SendErr(login, "bad clock " + words[2]);
        return;
    }
    const std::string& opponent = words.back();
    const auto asked = users.find(opponent);
    if (asked == users.end() || opponent[0] == '/') {
        SendErr(login, "user '" + opponent + "' not found.");
        return;
    }
    if (opponent == login) {
        SendErr(login, "you can't play against yourself.");
        return;
    }
    const User& user = users[login];
    if (user.open < 1) {
        SendErr(login, "Your open value is too low for new matches.");
        return;
    }
    if (asked->second.open < 1) {
        SendErr(login, "Player is not accepting new matches.");
        return;
    }
    if (user.rated && !asked->second.rated) {
        SendErr(login, "rated variable mismatch.");
        return;
    }
    request.rated = user.rated ? 'R' : 'U';
    Offer(login, opponent, request);
}

void CStandinOs::AskStored(const std::string& login, const std::string& storedId)
{
    auto found = std::find_if(stored.begin(), stored.end(), [&](const Stored& s) { return s.id == storedId; });
    if (found == stored.end() || (found->logins[0] != login && found->logins[1] != login)) {
        SendErr(login, "stored match " + storedId + " not found.");
        return;
    }
    const std::string opponent = found->logins[found->logins[0] == login ? 1 : 0];
    if (!IsPresent(opponent)) {
        SendErr(login, "user '" + opponent + "' not found.");
        return;
    }
    Request request;
    request.type = found->type;
    request.rated = 'S';
    request.storedId = storedId;
    const COsGame& game = found->games.front();
    const int side = game.players[1].login == login ? 1 : 0;
    request.clocks[0] = game.posCurrent.clocks[side];
    request.clocks[1] = game.posCurrent.clocks[1 - side];
    Offer(login, opponent, request);
}

void CStandinOs::Offer(const std::string& asker, const std::string& asked, Request& request)
{
    request.id = NewId();
    request.logins[0] = asker;
    request.logins[1] = asked;
    const std::string text = "+ " + RequestText(request);
    requests[request.id] = request;
    Send(asker, text);
    Send(asked, text);
}

// Takes a request away, telling both of its logins; false when the login may not (only the
// asked one accepts, either one declines).
bool CStandinOs::TakeRequest(const std::string& login, const std::string& id, bool accepting, Request& taken)
{
    const auto found = requests.find(id);
    const bool allowed = found != requests.end() && (found->second.logins[1] == login ||
                                                     (!accepting && found->second.logins[0] == login));
    if (!allowed) {
        SendErr(login, "request " + id + " not found.");
        return false;
    }
    taken = found->second;
    requests.erase(found);
    const std::string text = "- " + RequestText(taken);
    Send(taken.logins[0], text);
    Send(taken.logins[1], text);
    return true;
}

void CStandinOs::Accept(const std::string& login, const std::string& id, double now)
{
    Request accepted;
    if (TakeRequest(login, id, true, accepted) && IsPresent(accepted.logins[0]))
        StartMatch(accepted, now);
}

void CStandinOs::Decline(const std::string& login, const std::string& id)
{
    Request declined;
    TakeRequest(login, id, false, declined);
}

// ---------------------------------------------------------------- matches

std::string CStandinOs::DateText(double now) const
{
    const std::time_t seconds = static_cast<std::time_t>(now);
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char rest[32];
    std::strftime(rest, sizeof rest, " %b %Y %H:%M:%S", &parts);
    return std::to_string(parts.tm_mday) + rest;
}

// The start of a game: the usual four discs, or for a random start a position reached by
// random legal moves from them with the asked number of discs.
COsBoard CStandinOs::StartBoard(const COsMatchType& type)
{
    COsBoard board;
    board.Initialize(type.bt);
    if (!type.fRand)
        return board;
    for (int attempt = 0; attempt < 100; ++attempt) {
        COsBoard trial = board;
        for (int discs = 4; discs < type.nRandDiscs; ++discs) {
            std::vector<COsMove> moves = trial.LegalMoves();
            if (moves.empty())
                break;
            trial.Update(moves[random() % moves.size()]);
        }
        int black = 0, white = 0, empty = 0;
        trial.CountDiscs(black, white, empty);
        if (black + white == type.nRandDiscs && trial.MoverHasLegalMove())
            return trial;
    }
    return board;
}

std::string CStandinOs::MatchText(const Match& match) const
{
    std::ostringstream text;
    text << match.id << ' ' << PlayerText(PlayerOf(match.logins[0], match.type)) << ' '
         << PlayerText(PlayerOf(match.logins[1], match.type)) << ' ' << match.type << ' '
         << (match.rated ? 'R' : 'U');
    return text.str();
}

void CStandinOs::StartMatch(const Request& request, double now)
{
    Match match;
    match.id = NewId();
    match.type = request.type;
    match.date = DateText(now);
    const std::string& asker = request.logins[0];
    const std::string& asked = request.logins[1];

    if (request.rated == 'S') {
        auto found = std::find_if(stored.begin(), stored.end(),
                                  [&](const Stored& s) { return s.id == request.storedId; });
        if (found == stored.end()) {
            SendErr(asked, "stored match " + request.storedId + " not found.");
            return;
        }
        match.rated = found->rated;
        for (size_t i = 0; i < found->games.size(); ++i) {
            CStandinGame game;
            game.id = found->games.size() == 2 ? match.id + "." + std::to_string(i) : match.id;
            game.Resume(found->games[i], now);
            match.games.push_back(game);
        }
        stored.erase(found);
    } else {
        match.rated = request.rated == 'R';
        const COsBoard start = StartBoard(request.type);
        // Side 1 is black: the asker is black unless the wish, or the coin, says white.
        const bool askerBlack = request.type.kind == 'b' || request.type.kind == 's' || request.type.kind == 'k' ||
                                (request.type.kind == '?' && random() % 2 == 0);
        const int games = request.type.kind == 's' ? 2 : 1;
        for (int i = 0; i < games; ++i) {
            const bool black = i == 0 ? askerBlack : !askerBlack;
            CGGPlayer players[2] = {PlayerOf(black ? asked : asker, request.type),
                                    PlayerOf(black ? asker : asked, request.type)};
            CGGClock clocks[2] = {black ? request.clocks[1] : request.clocks[0],
                                  black ? request.clocks[0] : request.clocks[1]};
            CStandinGame game;
            game.Start(games == 2 ? match.id + "." + std::to_string(i) : match.id, request.type, players, clocks,
                       start, kPlace, match.date, now);
            match.games.push_back(game);
        }
    }
    match.logins[0] = match.games[0].Login(1);
    match.logins[1] = match.games[0].Login(0);
    Match& started = matches[match.id] = match;
    ToNotified(started, "+ match " + MatchText(started));
    for (const auto& game : started.games)
        ToMatch(started, "join " + game.id + " " + Text(game.record));
}

CStandinOs::Match* CStandinOs::FindMatch(const std::string& id)
{
    auto found = matches.find(id);
    return found == matches.end() ? nullptr : &found->second;
}

CStandinOs::Match* CStandinOs::FindPlayed(const std::string& login, const std::string& id, CStandinGame*& game)
{
    Match* match = FindGame(id, game);
    if (!match || (match->logins[0] != login && match->logins[1] != login)) {
        SendErr(login, "game " + id + " not found.");
        return nullptr;
    }
    return match;
}

CStandinOs::Match* CStandinOs::FindGame(const std::string& id, CStandinGame*& game)
{
    game = nullptr;
    if (Match* match = FindMatch(id))
        return match;
    const size_t dot = id.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return nullptr;
    Match* match = FindMatch(id.substr(0, dot));
    if (!match)
        return nullptr;
    for (auto& candidate : match->games)
        if (candidate.id == id)
            game = &candidate;
    return game ? match : nullptr;
}

CStandinOs::Match* CStandinOs::FindOneGame(const std::string& id, CStandinGame*& game)
{
    Match* match = FindGame(id, game);
    if (match && !game && match->games.size() == 1)
        game = &match->games[0];
    return game ? match : nullptr;
}

void CStandinOs::Play(const std::string& login, const Words& words, double now)
{
    const std::string id = words.size() > 1 ? words[1] : std::string();
    CStandinGame* game = nullptr;
    Match* match = FindOneGame(id, game);
    if (!match) {
        SendErr(login, "game " + id + " not found.");
        return;
    }
    CStandinGame::Item item;
    std::istringstream in(words.size() > 2 ? words[2] : std::string());
    item.Read(in);
    const COsBoardType& bt = game->record.posStart.board.bt;
    if (in.fail() || (!item.move.fPass && (item.move.row < 0 || item.move.row >= bt.size || item.move.col < 0 ||
                                           item.move.col >= bt.size))) {
        SendErr(login, "corrupt move " + (words.size() > 2 ? words[2] : std::string()));
        return;
    }
    CStandinGame::Item played;
    switch (game->Play(login, item, now, played)) {
    case CStandinGame::kNotPlaying: SendErr(login, "you don't play in " + id + "."); return;
    case CStandinGame::kNotYourTurn: SendErr(login, "it's not your turn in " + id + "."); return;
    case CStandinGame::kFinished: SendErr(login, "game " + id + " is over."); return;
    case CStandinGame::kIllegal: SendErr(login, "illegal move " + Text(item.move) + " in " + id + "."); return;
    case CStandinGame::kOutOfTime: TimeUp(*match, *game, login); return;
    case CStandinGame::kBidTaken: return;
    case CStandinGame::kBidsDone: {
        match->logins[0] = match->games[0].Login(1);
        match->logins[1] = match->games[0].Login(0);
        ToMatch(*match, "join " + game->id + " " + Text(game->record));
        break;
    }
    case CStandinGame::kPlayed: {
        std::ostringstream update;
        update << "update " << game->id << ' ' << played;
        match->undoAskers.erase(game->id);
        ToMatch(*match, update.str());
        break;
    }
    }
    if (game->IsOver()) {
        game->Finish(game->BoardResult());
        GameEnded(*match, *game);
    }
}

void CStandinOs::Resign(const std::string& login, const std::string& id)
{
    CStandinGame* game = nullptr;
    Match* match = FindPlayed(login, id, game);
    if (!match)
        return;
    // A match id resigns every game of the match that is still played.
    std::vector<CStandinGame*> resigned;
    for (auto& candidate : match->games)
        if ((!game || &candidate == game) && !candidate.IsOver())
            resigned.push_back(&candidate);
    const std::string matchId = match->id;
    for (CStandinGame* each : resigned) {
        each->Finish(each->LossFor(login, CGGResult::kResigned));
        GameEnded(*match, *each);
        if (!FindMatch(matchId))
            break;
    }
}

void CStandinOs::Break(const std::string& login, const std::string& id)
{
    CStandinGame* game = nullptr;
    Match* match = FindPlayed(login, id, game);
    if (!match)
        return;
    StopMatch(match->id, true);
}

void CStandinOs::Abort(const std::string& login, const std::string& id)
{
    CStandinGame* game = nullptr;
    Match* match = FindPlayed(login, id, game);
    if (!match)
        return;
    match->abortAskers.insert(login);
    if (match->abortAskers.size() == 2) {
        StopMatch(match->id, false);
        return;
    }
    Send(match->logins[match->logins[0] == login ? 1 : 0], "abort " + id + " " + login + " is asking");
}

void CStandinOs::Undo(const std::string& login, const std::string& id, double now)
{
    CStandinGame* game = nullptr;
    Match* match = FindOneGame(id, game);
    if (!match || game->SideOf(login) < 0) {
        SendErr(login, "game " + id + " not found.");
        return;
    }
    const std::string opponent = game->Login(1 - game->SideOf(login));
    auto asked = match->undoAskers.find(game->id);
    if (asked != match->undoAskers.end() && asked->second == opponent) {
        // The opponent asked first and this answer agrees: the opponent is to move again.
        match->undoAskers.erase(asked);
        if (game->Undo(opponent, now))
            ToMatch(*match, "join " + game->id + " " + Text(game->record));
        else
            SendErr(login, "nothing to undo in " + game->id + ".");
        return;
    }
    match->undoAskers[game->id] = login;
    Send(opponent, "undo " + game->id + " " + login + " is asking");
}

void CStandinOs::TimeUp(Match& match, CStandinGame& game, const std::string& login)
{
    ToMatch(match, "fatal-timeout " + game.id + " " + login);
    game.Finish(game.LossFor(login, CGGResult::kTimeout));
    GameEnded(match, game);
}

void CStandinOs::GameEnded(Match& match, CStandinGame& game)
{
    // The end of a synchro game carries its score alone: the client keeps a scored result
    // of an "end" line when the match ends, and takes the match's result for any other.
    if (match.games.size() == 2) {
        CGGResult score = game.record.result;
        score.kind = CGGResult::kScore;
        ToMatch(match, "end " + game.id + " ( " + game.Login(1) + " vs. " + game.Login(0) + " ) " + Text(score));
    }
    for (const auto& each : match.games)
        if (!each.IsOver())
            return;
    EndMatch(match.id);
}

void CStandinOs::EndMatch(const std::string& matchId)
{
    Match match = matches[matchId];
    matches.erase(matchId);
    // The match's result from the view of the login listed first, black of the first game.
    CGGResult result = match.games[0].record.result;
    if (match.games.size() == 2) {
        const CGGResult& second = match.games[1].record.result;
        result.Set(result.score - second.score, std::max(result.kind, second.kind));
    }
    ToNotified(match, "- match " + MatchText(match) + " " + Text(result));

    for (const auto& game : match.games) {
        HistoryItem item;
        item.id = game.id;
        item.date = match.date;
        item.players[0] = game.record.players[1];
        item.players[1] = game.record.players[0];
        item.result = game.record.result;
        item.type = match.type;
        for (const auto& login : match.logins) {
            auto& history = histories[login];
            history.insert(history.begin(), item);
            if (history.size() > kHistoryLength)
                history.pop_back();
        }
        finished[game.id] = game.record;
    }
    if (match.rated)
        UpdateRatings(match, result.score);
}

void CStandinOs::StopMatch(const std::string& matchId, bool adjourn)
{
    Match match = matches[matchId];
    matches.erase(matchId);
    const COsBoard& board = match.games[0].record.posCurrent.board;
    const std::string result = adjourn ? std::to_string(board.NetCount()) + ":l" : "aborted";
    ToNotified(match, "- match " + MatchText(match) + " " + result);
    if (!adjourn || !match.rated)
        return;
    Stored entry;
    entry.id = match.id;
    entry.logins[0] = match.logins[0];
    entry.logins[1] = match.logins[1];
    entry.type = match.type;
    entry.rated = match.rated;
    entry.date = match.date;
    for (const auto& game : match.games)
        entry.games.push_back(game.record);
    stored.push_back(entry);
}

// Elo with a deviation that shrinks with every rated match, down to 50.
void CStandinOs::UpdateRatings(const Match& match, double score)
{
    Rating& first = RatingOf(match.logins[0], match.type);
    Rating& second = RatingOf(match.logins[1], match.type);
    const Rating before[2] = {first, second};
    const double expected = 1 / (1 + std::pow(10.0, (second.value - first.value) / 400));
    const double actual = score > 0 ? 1 : score < 0 ? 0 : 0.5;
    const double change = 32 * (actual - expected);
    Rating* after[2] = {&first, &second};
    for (int i = 0; i < 2; ++i) {
        Rating& rating = *after[i];
        rating.value += i == 0 ? change : -change;
        rating.deviation = std::max(50.0, rating.deviation * 0.9);
        rating.low = std::min(rating.low, rating.value);
        rating.high = std::max(rating.high, rating.value);
        const double mine = i == 0 ? score : -score;
        (mine > 0 ? rating.won : mine < 0 ? rating.lost : rating.drawn) += 1;
    }
    std::ostringstream text;
    text << "rating_update " << match.id;
    for (int i = 0; i < 2; ++i) {
        const long delta = std::lround(after[i]->value) - std::lround(before[i].value);
        text << ' ' << match.logins[i] << ' ' << RatingText(before[i].value, before[i].deviation) << ' '
             << (delta >= 0 ? "+" : "") << delta << " -> " << RatingText(after[i]->value, after[i]->deviation);
    }
    Send(match.logins[0], text.str());
    Send(match.logins[1], text.str());
}

void CStandinOs::Tick(double now)
{
    std::vector<std::string> ids;
    for (const auto& entry : matches)
        ids.push_back(entry.first);
    for (const auto& id : ids) {
        for (size_t i = 0;; ++i) {
            Match* match = FindMatch(id);
            if (!match || i >= match->games.size())
                break;
            CStandinGame& game = match->games[i];
            std::string login;
            for (;;) {
                const CStandinGame::Alarm alarm = game.Check(now, login);
                if (alarm == CStandinGame::kExtension) {
                    ToMatch(*match, "timeout " + game.id + " " + login);
                    continue;
                }
                if (alarm == CStandinGame::kTimeUp)
                    TimeUp(*match, game, login);
                break;
            }
        }
    }
}

double CStandinOs::NextAlarm() const
{
    double next = -1;
    for (const auto& entry : matches)
        for (const auto& game : entry.second.games) {
            const double at = game.NextAlarm();
            if (at >= 0 && (next < 0 || at < next))
                next = at;
        }
    return next;
}
