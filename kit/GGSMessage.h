#pragma once
// The records of the GGS server's own messages: each one parses its text in its
// constructor from a stream positioned after the keyword and never rejects what it reads.

#include <cstddef>
#include <istream>
#include <map>
#include <ostream>
#include <string>
#include <vector>

// The most records that one list message keeps (who, alias and finger replies, the
// service's lists); the rest of a longer list is dropped. A real server's longest lists
// hold a few thousand.
constexpr size_t kMaxListItems = 10000;

// The base of every parsed server message.
class CMsg {
public:
    CMsg(const std::string& text, const std::string& from);
    virtual ~CMsg();
    CMsg(const CMsg&) = default;
    CMsg& operator=(const CMsg&) = default;

    std::string text;   // the whole message as assembled
    std::string from;   // sender, channel or service; empty for the server's own messages
};

// One line of the server's alias reply: a name and what it expands to.
class CGGSAliasItem {
public:
    // A word, the blanks after it, then the rest of that line.
    void Read(std::istream& is);

    std::string name;
    std::string expansion;
};
std::istream& operator>>(std::istream& is, CGGSAliasItem& item);

// One user of the server's who reply: the login, the class letter and four further
// words (the first two are the idle and online times).
class CGGSUser {
public:
    // One whole line; a line without a login and a class letter fails the stream.
    void Read(std::istream& is);
    // Sort rank of the class letter: 's' 0, 'a' 1, 'h' 2, 'p' 4, '.' 5, anything else 3.
    int GetStatusRank() const;
    // Who-list order: the lower rank first, then the login byte by byte.
    bool operator<(const CGGSUser& other) const;
    bool operator==(const CGGSUser& other) const;

    std::string login;
    char status = 0;
    std::string word1;
    std::string word2;
    std::string word3;
    std::string word4;
};
std::istream& operator>>(std::istream& is, CGGSUser& user);
std::ostream& operator<<(std::ostream& os, const CGGSUser& user);

// Error ids of the server's "ERR" replies (string-table ids of the application).
enum : int {
    kErrGGSUnknown = 33792,         // "Unknown GGS error message"
    kErrGGSNotRecognized = 33793,   // "GGS command not recognized"
    kErrGGSUserNotFound = 33794,    // shown in the user's own window
};

class CMsgGGSAlias : public CMsg {
public:
    CMsgGGSAlias(const std::string& text, const std::string& from, std::istream& is);

    std::string login;
    int count = 0;
    int total = 0;
    std::vector<CGGSAliasItem> items;
};

class CMsgGGSErr : public CMsg {
public:
    CMsgGGSErr(const std::string& text, const std::string& from, std::istream& is);

    int id = kErrGGSUnknown;
    std::string user;   // the user not found, for kErrGGSUserNotFound
};

class CMsgGGSFinger : public CMsg {
public:
    CMsgGGSFinger(const std::string& text, const std::string& from, std::istream& is);

    // A key given on several lines holds their values joined by "\n".
    std::map<std::string, std::string> entries;
};

class CMsgGGSHelp : public CMsg {
public:
    CMsgGGSHelp(const std::string& text, const std::string& from, std::istream& is);

    std::string rest;
};

class CMsgGGSTell : public CMsg {
public:
    CMsgGGSTell(const std::string& text, const std::string& from, std::istream& is);

    std::string rest;
};

class CMsgGGSUnknown : public CMsg {
public:
    CMsgGGSUnknown(const std::string& text, const std::string& from, std::istream& is,
                   const std::string& keyword);

    std::string keyword;
    std::string rest;
};

// A user logged in or changed level ("+") or logged out ("-").
class CMsgGGSUserDelta : public CMsg {
public:
    CMsgGGSUserDelta(const std::string& text, const std::string& from, std::istream& is, bool plus);

    bool plus;
    std::string login;
    int level = 0;
};

class CMsgGGSWho : public CMsg {
public:
    CMsgGGSWho(const std::string& text, const std::string& from, std::istream& is);

    int count = 0;   // as the server announced it
    std::vector<CGGSUser> users;
};

// Everything that remains of the stream, line ends included.
std::string ReadRest(std::istream& is);
