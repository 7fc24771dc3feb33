#pragma once
// The game service's own messages that do not depend on the game types: each record
// reads its text after the keyword in its constructor and never rejects what it reads.

#include "GGObjects.h"
#include "GGSMessage.h"
#include "TextInput.h"

#include <istream>
#include <map>
#include <string>
#include <vector>

// Codes of the service's error replies (string-table ids of the application).
enum : int {
    kErrOsUnknown = 33536,
    kErrOsFormula = 33537,
    kErrOsBoardType = 33538,
    kErrOsRankType = 33539,
    kErrOsCorruptMove = 33540,
    kErrOsOpenTooLow = 33541,
    kErrOsRatedMismatch = 33542,
    kErrOsNotRegistered = 33543,
    kErrOsIllegalMove = 33544,
    kErrOsNotFound = 33545,
    kErrOsNotAccepting = 33546,
    kErrOsColorPreference = 33547,
};

// Reads items with `is >> item` into one object and appends a copy after every read
// that does not fail (so an item that ends the text is kept); the first failing read
// ends the list, and so does the kMaxListItems-th item. A read that consumed nothing also
// ends it, so that no reader can loop on the same text.
template <class T>
void ReadGGList(std::istream& is, std::vector<T>& items)
{
    // In the kit's own text stream the position is at hand; any other is asked for it.
    const textinput::CTextInput::Buffer* text = textinput::CTextInput::TextOf(is);
    T item{};
    while (is.good() && items.size() < kMaxListItems) {
        const char* const next = text ? text->Next() : nullptr;
        const std::streampos before = text ? std::streampos(0) : is.tellg();
        is >> item;
        if (is.fail())
            break;
        items.push_back(item);
        if (is.good() && (text ? text->Next() == next : before != std::streampos(-1) && is.tellg() == before))
            break;
    }
}

// A player of a match asks for something: "<match id> <word> is asking".
class CMsgGGPlayerRequest : public CMsg {
public:
    CMsgGGPlayerRequest(const std::string& text, const std::string& from, std::istream& is);
    std::string matchId;
    std::string word2;
};

class CMsgGGAbortRequest : public CMsgGGPlayerRequest {
public:
    using CMsgGGPlayerRequest::CMsgGGPlayerRequest;
};

class CMsgGGUndoRequest : public CMsgGGPlayerRequest {
public:
    using CMsgGGPlayerRequest::CMsgGGPlayerRequest;
};

class CMsgGGComment : public CMsg {
public:
    CMsgGGComment(const std::string& text, const std::string& from, std::istream& is,
                  const std::string& keyword);
    std::string matchId;
    char marker = 0;
    CGGPlayer author;
    std::string comment;
};

class CMsgGGEnd : public CMsg {
public:
    CMsgGGEnd(const std::string& text, const std::string& from, std::istream& is);
    std::string matchId;
    std::string logins[2];
    CGGResult result{};
};

class CMsgGGErr : public CMsg {
public:
    CMsgGGErr(const std::string& text, const std::string& from, std::istream& is);
    // The code of one line of error text.
    static int Classify(const std::string& line);
    int code = kErrOsUnknown;
};

// A clock of a match ran out: "<match id> <word>".
class CMsgGGTimeoutNotice : public CMsg {
public:
    CMsgGGTimeoutNotice(const std::string& text, const std::string& from, std::istream& is);
    std::string matchId;
    std::string word2;
};

class CMsgGGFatalTimeout : public CMsgGGTimeoutNotice {
public:
    using CMsgGGTimeoutNotice::CMsgGGTimeoutNotice;
};

class CMsgGGTimeout : public CMsgGGTimeoutNotice {
public:
    using CMsgGGTimeoutNotice::CMsgGGTimeoutNotice;
};

class CMsgGGTDStart : public CMsg {
public:
    CMsgGGTDStart(const std::string& text, const std::string& from, std::istream& is);
    std::string word1;
    std::string word2;
};

// The rank and top replies: the asker's rating, the server's count and the rank lines.
class CMsgGGRankList : public CMsg {
public:
    CMsgGGRankList(const std::string& text, const std::string& from, std::istream& is);
    CGGRatingValue rating{};
    int count = 0;
    std::vector<CGGRankData> items;
};

class CMsgGGRank : public CMsgGGRankList {
public:
    using CMsgGGRankList::CMsgGGRankList;
};

class CMsgGGTop : public CMsgGGRankList {
public:
    using CMsgGGRankList::CMsgGGRankList;
};

class CMsgGGRatingUpdate : public CMsg {
public:
    CMsgGGRatingUpdate(const std::string& text, const std::string& from, std::istream& is);
    std::string matchId;
    std::string logins[2];
    CGGRatingValue oldRatings[2]{};
    CGGRatingValue newRatings[2]{};
    double changes[2] = {0, 0};
};

class CMsgGGTrustViolation : public CMsg {
public:
    CMsgGGTrustViolation(const std::string& text, const std::string& from, std::istream& is);
    std::string matchId;
    std::string word2;
    char marker = 0;
    double numbers[2] = {0, 0};
};

class CMsgGGWatch : public CMsg {
public:
    CMsgGGWatch(const std::string& text, const std::string& from, std::istream& is);
    int count = 0;
    std::map<std::string, int> matches;
};

class CMsgGGWatchDelta : public CMsg {
public:
    CMsgGGWatchDelta(const std::string& text, const std::string& from, std::istream& is, bool plus,
                     const std::string& login);
    bool plus;
    std::string login;
    std::string matchId;
};

class CMsgGGWho : public CMsg {
public:
    CMsgGGWho(const std::string& text, const std::string& from, std::istream& is);
    int count = 0;
    std::vector<CGGWhoItem> items;
};

class CMsgGGUnknown : public CMsg {
public:
    CMsgGGUnknown(const std::string& text, const std::string& from, std::istream& is,
                  const std::string& keyword);
    std::string keyword;
    std::string rest;
};
