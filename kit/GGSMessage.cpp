#include "GGSMessage.h"

#include "KitAssert.h"
#include "TextInput.h"

#include <cctype>
#include <iterator>
#include <sstream>

namespace {

bool IsBlank(int c)
{
    return c == ' ' || c == '\t';
}

// The rooms of texts that records of this thread no longer need, for the texts of the
// next ones: a record is made for every message, so a busy connection would otherwise
// take and give back memory for each. Only rooms of a usual message's size are kept.
struct CSpareRooms {
    static constexpr int kCount = 8;
    static constexpr size_t kLargest = 4096;
    std::string rooms[kCount];
    int count = 0;
};
thread_local CSpareRooms spareRooms;

std::string CopyInSpareRoom(const std::string& text)
{
    CSpareRooms& spare = spareRooms;
    if (spare.count == 0 || text.size() > CSpareRooms::kLargest)
        return text;
    std::string copy = std::move(spare.rooms[--spare.count]);
    copy.assign(text);
    return copy;
}

} // namespace

std::string ReadRest(std::istream& is)
{
    if (!is.good())
        return std::string();
    if (textinput::CTextInput::Buffer* input = textinput::CTextInput::TextOf(is)) {
        std::string rest(input->Next(), input->End());
        input->Take(input->End());
        is.setstate(std::ios::eofbit);
        return rest;
    }
    std::string rest((std::istreambuf_iterator<char>(is)), std::istreambuf_iterator<char>());
    is.setstate(std::ios::eofbit);
    return rest;
}

CMsg::CMsg(const std::string& text, const std::string& from) : text(CopyInSpareRoom(text)), from(from) {}

CMsg::~CMsg()
{
    CSpareRooms& spare = spareRooms;
    const size_t room = text.capacity();
    if (room > std::string().capacity() && room <= CSpareRooms::kLargest && spare.count < CSpareRooms::kCount)
        spare.rooms[spare.count++] = std::move(text);
}

void CGGSAliasItem::Read(std::istream& is)
{
    name.clear();
    expansion.clear();
    if (!(is >> name) || is.eof())
        return;
    // Only the blanks of this line: an alias with nothing after its name must not take
    // the next line as its expansion.
    while (IsBlank(textinput::Peek(is)))
        is.get();
    if (textinput::Peek(is) != std::char_traits<char>::eof())
        std::getline(is, expansion);
}

std::istream& operator>>(std::istream& is, CGGSAliasItem& item)
{
    item.Read(is);
    return is;
}

void CGGSUser::Read(std::istream& is)
{
    const char* p = nullptr;
    const char* end = nullptr;
    std::string line;
    if (!textinput::ReadLine(is, p, end, line))
        return;
    login.clear();
    status = 0;
    word1.clear();
    word2.clear();
    word3.clear();
    word4.clear();
    textinput::CCursor ls(p, end);
    if (!textinput::ReadChar(textinput::ReadWord(ls, login), status)) {
        is.setstate(std::ios::failbit);
        return;
    }
    textinput::ReadWord(textinput::ReadWord(textinput::ReadWord(textinput::ReadWord(ls, word1), word2), word3), word4);
}

int CGGSUser::GetStatusRank() const
{
    switch (status) {
    case 's': return 0;
    case 'a': return 1;
    case 'h': return 2;
    case 'p': return 4;
    case '.': return 5;
    default: return 3;
    }
}

bool CGGSUser::operator<(const CGGSUser& other) const
{
    const int rank = GetStatusRank();
    const int otherRank = other.GetStatusRank();
    if (rank != otherRank)
        return rank < otherRank;
    return login < other.login;
}

bool CGGSUser::operator==(const CGGSUser& other) const
{
    return login == other.login && status == other.status && word1 == other.word1 &&
           word2 == other.word2 && word3 == other.word3 && word4 == other.word4;
}

std::istream& operator>>(std::istream& is, CGGSUser& user)
{
    user.Read(is);
    return is;
}

std::ostream& operator<<(std::ostream& os, const CGGSUser& user)
{
    return os << user.login << ' ' << (user.status ? user.status : '?') << ' ' << user.word1 << ' '
              << user.word2 << ' ' << user.word3 << ' ' << user.word4;
}

CMsgGGSAlias::CMsgGGSAlias(const std::string& text, const std::string& from, std::istream& is)
    : CMsg(text, from)
{
    std::string line;
    std::getline(is, line);
    std::istringstream ls(line);
    if (!line.empty() && textinput::IsAlpha(static_cast<unsigned char>(line[0])))
        ls >> login;
    bool counted = false;
    if (textinput::IsDigit(textinput::Peek(ls))) {
        char slash = 0;
        ls >> count;
        ls.get(slash);
        KIT_ASSERT(slash == '/');
        ls >> total;
        counted = true;
    }
    CGGSAliasItem item;
    while (items.size() < kMaxListItems && is >> item)
        items.push_back(item);
    KIT_ASSERT(!counted || items.size() == static_cast<size_t>(total));
    (void)counted;
}

CMsgGGSErr::CMsgGGSErr(const std::string& text, const std::string& from, std::istream& is)
    : CMsg(text, from)
{
    std::string line;
    std::getline(is, line);
    if (line.find("not recognized") != std::string::npos) {
        id = kErrGGSNotRecognized;
    } else if (line.find("user") != std::string::npos && line.find("not found") != std::string::npos) {
        id = kErrGGSUserNotFound;
        const size_t first = line.find('\'');
        const size_t second = first == std::string::npos ? first : line.find('\'', first + 1);
        if (second != std::string::npos)
            user = line.substr(first + 1, second - first - 1);
        KIT_ASSERT(!user.empty());
    } else {
        id = kErrGGSUnknown;
    }
}

CMsgGGSFinger::CMsgGGSFinger(const std::string& text, const std::string& from, std::istream& is)
    : CMsg(text, from)
{
    is >> std::ws;
    std::string line;
    while (entries.size() < kMaxListItems && std::getline(is, line)) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos)
            break;
        size_t keyEnd = colon;
        while (keyEnd > 0 && IsBlank(line[keyEnd - 1]))
            --keyEnd;
        size_t valueBegin = colon + 1;
        while (valueBegin < line.size() && std::isspace(static_cast<unsigned char>(line[valueBegin])))
            ++valueBegin;
        const std::string key = line.substr(0, keyEnd);
        const std::string value = line.substr(valueBegin);
        auto found = entries.find(key);
        if (found == entries.end())
            entries.emplace(key, value);
        else
            found->second += "\n" + value;
    }
}

CMsgGGSHelp::CMsgGGSHelp(const std::string& text, const std::string& from, std::istream& is)
    : CMsg(text, from), rest(ReadRest(is))
{
}

CMsgGGSTell::CMsgGGSTell(const std::string& text, const std::string& from, std::istream& is)
    : CMsg(text, from), rest(ReadRest(is))
{
}

CMsgGGSUnknown::CMsgGGSUnknown(const std::string& text, const std::string& from, std::istream& is,
                               const std::string& keyword)
    : CMsg(text, from), keyword(keyword), rest(ReadRest(is))
{
}

CMsgGGSUserDelta::CMsgGGSUserDelta(const std::string& text, const std::string& from, std::istream& is,
                                   bool plus)
    : CMsg(text, from), plus(plus)
{
    if (textinput::ReadWord(is, login))
        textinput::ReadInt(is, level);
}

CMsgGGSWho::CMsgGGSWho(const std::string& text, const std::string& from, std::istream& is)
    : CMsg(text, from)
{
    textinput::ReadInt(is, count);
    is.ignore(1000, '\n');
    // Room for the lines that the text holds, never for the server's number.
    if (const textinput::CTextInput::Buffer* input = textinput::CTextInput::TextOf(is))
        users.reserve(textinput::CountLines(input->Next(), input->End(), kMaxListItems));
    // Every read that takes a line sets the whole record, so the last one can be moved.
    CGGSUser user;
    while (users.size() < kMaxListItems && is >> user)
        users.push_back(std::move(user));
    KIT_ASSERT(users.size() == static_cast<size_t>(count));
}
