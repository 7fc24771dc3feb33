#include "GGMessage.h"

#include "KitAssert.h"

#include <sstream>

namespace {

// Takes one word, which the text is expected to hold at this place.
void ExpectWord(std::istream& is, const char* expected)
{
    std::string word;
    is >> word;
    KIT_ASSERT(word == expected || !is);
    (void)expected;
}

void SkipWord(std::istream& is)
{
    std::string word;
    is >> word;
}

} // namespace

CMsgGGPlayerRequest::CMsgGGPlayerRequest(const std::string& text, const std::string& from, std::istream& is)
    : CMsg(text, from)
{
    is >> matchId >> word2;
    textinput::SkipBlanks(is);
    std::string asking;
    std::getline(is, asking);
    KIT_ASSERT(asking == "is asking" || !is);
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
    textinput::Expect(is, '(');
    is >> logins[0];
    ExpectWord(is, "vs.");
    is >> logins[1];
    textinput::Expect(is, ')');
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

CMsgGGTimeoutNotice::CMsgGGTimeoutNotice(const std::string& text, const std::string& from, std::istream& is)
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
        SkipWord(is);
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
        ExpectWord(is, "->");
        is >> newRatings[i];
    }
}

CMsgGGTrustViolation::CMsgGGTrustViolation(const std::string& text, const std::string& from,
                                           std::istream& is)
    : CMsg(text, from)
{
    // id word ( marker ) delta= number separator number secs
    is >> matchId >> word2;
    textinput::Expect(is, '(');
    marker = textinput::GetNonBlank(is);
    textinput::Expect(is, ')');
    ExpectWord(is, "delta=");
    is >> numbers[0];
    textinput::GetNonBlank(is);
    is >> numbers[1];
    ExpectWord(is, "secs");
}

CMsgGGWatch::CMsgGGWatch(const std::string& text, const std::string& from, std::istream& is)
    : CMsg(text, from)
{
    // count : then groups  id ( number )
    is >> count;
    textinput::Expect(is, ':');
    while (is.good() && matches.size() < kMaxListItems) {
        std::string id;
        int number = 0;
        is >> id;
        textinput::Expect(is, '(');
        is >> number;
        textinput::Expect(is, ')');
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
