#include "GGMessage.h"

#include <sstream>

namespace {

std::string ReadWord(std::istream& is)
{
    std::string word;
    is >> word;
    return word;
}

} // namespace

CMsgGGAbortRequest::CMsgGGAbortRequest(const std::string& text, const std::string& from, std::istream& is)
    : CMsg(text, from)
{
    is >> matchId >> word2;
    textinput::SkipBlanks(is);
    std::string asking; // "is asking", not kept
    std::getline(is, asking);
}

CMsgGGUndoRequest::CMsgGGUndoRequest(const std::string& text, const std::string& from, std::istream& is)
    : CMsg(text, from)
{
    is >> matchId >> word2;
    textinput::SkipBlanks(is);
    std::string asking;
    std::getline(is, asking);
}

CMsgGGComment::CMsgGGComment(const std::string& text, const std::string& from, std::istream& is,
                             const std::string& keyword)
    : CMsg(text, from), matchId(keyword)
{
    // marker, rating, login ':' text; the login may touch the ':'.
    std::string head;
    std::getline(is, head, ':');
    std::istringstream heads(head);
    heads >> marker >> author;
    textinput::SkipBlanks(is);
    std::getline(is, comment);
}

CMsgGGEnd::CMsgGGEnd(const std::string& text, const std::string& from, std::istream& is)
    : CMsg(text, from)
{
    // id ( login vs. login ) result
    is >> matchId;
    textinput::GetNonBlank(is);
    is >> logins[0];
    ReadWord(is);
    is >> logins[1];
    textinput::GetNonBlank(is);
    is >> result;
}

int CMsgGGErr::Classify(const std::string& line)
{
    struct Row {
        bool whole;
        const char* text;
        int code;
    };
    static const Row rows[] = {
        {true, "your request doesn't fit the opponent's formula.", kErrOsFormula},
        {true, "board type", kErrOsBoardType},
        {true, "rank <type> [login]", kErrOsRankType},
        {false, "corrupt move", kErrOsCorruptMove},
        {true, "Your open value is too low for new matches.", kErrOsOpenTooLow},
        {true, "rated variable mismatch.", kErrOsRatedMismatch},
        {true, "Rated/unrated mismatch", kErrOsRatedMismatch},
        {true, "you are not registered.", kErrOsNotRegistered},
        {false, "illegal move", kErrOsIllegalMove},
        {false, "not found", kErrOsNotFound},
        {true, "Player is not accepting new matches.", kErrOsNotAccepting},
        {true, "only one color preference allowed", kErrOsColorPreference},
    };
    for (const Row& row : rows) {
        if (row.whole ? line == row.text : line.find(row.text) != std::string::npos)
            return row.code;
    }
    return kErrOsUnknown;
}

CMsgGGErr::CMsgGGErr(const std::string& text, const std::string& from, std::istream& is)
    : CMsg(text, from)
{
    std::string line;
    std::getline(is, line);
    code = Classify(line);
}

CMsgGGFatalTimeout::CMsgGGFatalTimeout(const std::string& text, const std::string& from, std::istream& is)
    : CMsg(text, from)
{
    is >> matchId >> word2;
    textinput::SkipBlanks(is);
}

CMsgGGTimeout::CMsgGGTimeout(const std::string& text, const std::string& from, std::istream& is)
    : CMsg(text, from)
{
    is >> matchId >> word2;
    textinput::SkipBlanks(is);
}

CMsgGGTDStart::CMsgGGTDStart(const std::string& text, const std::string& from, std::istream& is)
    : CMsg(text, from)
{
    is >> word1 >> word2;
}

CMsgGGRankList::CMsgGGRankList(const std::string& text, const std::string& from, std::istream& is)
    : CMsg(text, from)
{
    is >> rating;
    for (int i = 0; i < 5; ++i)
        ReadWord(is);
    is >> count;
    textinput::SkipBlanks(is);
    ReadGGList(is, items);
}

CMsgGGRatingUpdate::CMsgGGRatingUpdate(const std::string& text, const std::string& from, std::istream& is)
    : CMsg(text, from)
{
    // id, then twice: login old-rating change -> new-rating
    is >> matchId;
    for (int i = 0; i < 2; ++i) {
        is >> logins[i] >> oldRatings[i] >> changes[i];
        ReadWord(is);
        is >> newRatings[i];
    }
}

CMsgGGTrustViolation::CMsgGGTrustViolation(const std::string& text, const std::string& from,
                                           std::istream& is)
    : CMsg(text, from)
{
    // id word ( marker ) delta= number separator number secs
    is >> matchId >> word2;
    textinput::GetNonBlank(is);
    marker = textinput::GetNonBlank(is);
    textinput::GetNonBlank(is);
    ReadWord(is);
    is >> numbers[0];
    textinput::GetNonBlank(is);
    is >> numbers[1];
    ReadWord(is);
}

CMsgGGWatch::CMsgGGWatch(const std::string& text, const std::string& from, std::istream& is)
    : CMsg(text, from)
{
    // count : then groups  id ( number )
    is >> count;
    textinput::GetNonBlank(is);
    while (is.good()) {
        std::string id;
        int number = 0;
        is >> id;
        textinput::GetNonBlank(is);
        is >> number;
        textinput::GetNonBlank(is);
        if (is.fail())
            break;
        matches[id] = number;
    }
}

CMsgGGWatchDelta::CMsgGGWatchDelta(const std::string& text, const std::string& from, std::istream& is,
                                   bool plus, const std::string& login)
    : CMsg(text, from), plus(plus), login(login)
{
    is >> matchId;
}

CMsgGGWho::CMsgGGWho(const std::string& text, const std::string& from, std::istream& is)
    : CMsg(text, from)
{
    is >> count;
    std::string dropped;
    std::getline(is, dropped);
    ReadGGList(is, items);
}

CMsgGGUnknown::CMsgGGUnknown(const std::string& text, const std::string& from, std::istream& is,
                             const std::string& keyword)
    : CMsg(text, from), keyword(keyword), rest(ReadRest(is))
{
}
