#include "ggsstream.h"

#include "KitAssert.h"
#include "TextInput.h"

#include <algorithm>
#include <cstring>
#include <iostream>
#include <memory>
#include <new>
#include <vector>

#include "Server.h"

void ggsstream::ServiceDeleter::operator()(CServer* service) const
{
    delete service;
}

namespace {

// The one service the client knows: the Reversi service "/os".
CServer* NewService(ggsstream* connection, const std::string& name)
{
    return name == "/os" ? new CServerOs(connection) : nullptr;
}

} // namespace

ggsstream::ggsstream() : std::iostream(nullptr) {}

ggsstream::~ggsstream()
{
    if (loggedIn)
        Logout();
    if (IsConnected())
        Disconnect();
    rdbuf(nullptr);
    socketBuffer.reset();
    DeleteAllServices();
}

std::string ggsstream::GetErrorText(int code)
{
    switch (code) {
    case kErrOutOfMemory: return "Out of memory";
    case kErrUnknownGGS: return "Unknown GGS error";
    case kErrBadPassword: return "Your password is invalid, or someone has already chosen that login";
    case kErrAlreadyLoggedIn: return "You are already logged into GGS";
    case kErrNotLoggedIn: return "You have already logged out of GGS";
    default: return "(No text available for this error)";
    }
}

// ---- connection and login

int ggsstream::Connect(const std::string& host, uint16_t port)
{
    if (IsConnected() || reading) {
        KIT_ASSERT(!IsConnected());
        return kErrAlreadyConnected;
    }
    std::unique_ptr<sockbuf> buffer(new (std::nothrow) sockbuf);
    if (!buffer)
        return kErrOutOfMemory;
    buffer->SetTimeLimit(timeLimit);
    const int code = buffer->Connect(host, port);
    if (code != 0)
        return code;
    // A stream connected again after Disconnect frees the buffer of its earlier connection.
    rdbuf(buffer.get());
    socketBuffer = std::move(buffer);
    return 0;
}

int ggsstream::Disconnect()
{
    if (!IsConnected()) {
        KIT_ASSERT(IsConnected());
        return kErrNotConnected;
    }
    setstate(std::ios::eofbit);
    socketBuffer->Disconnect();
    return 0;
}

bool ggsstream::IsConnected() const
{
    return socketBuffer && socketBuffer->IsConnected();
}

bool ggsstream::IsLoggedIn() const
{
    return loggedIn;
}

std::string ggsstream::GetLogin() const
{
    return login;
}

int ggsstream::GetMyLevel() const
{
    const auto found = users.find(login);
    return found == users.end() ? -1 : found->second;
}

int ggsstream::Login(const std::string& login, const std::string& password)
{
    if (loggedIn) {
        KIT_ASSERT(!loggedIn);
        return kErrAlreadyLoggedIn;
    }
    this->login = login;
    // The whole exchange has one deadline; the reader loop later waits for ever.
    struct ReceiveDeadline {
        sockbuf* buffer;
        ~ReceiveDeadline()
        {
            if (buffer)
                buffer->SetReceiveDeadline(sockbuf::Clock::time_point::max());
        }
    } deadline{socketBuffer.get()};
    if (deadline.buffer)
        deadline.buffer->SetReceiveDeadline(sockbuf::Clock::now() + timeLimit);
    int code = WaitFor("login");
    if (code != 0)
        return code;
    *this << login << "\n" << std::flush;
    code = WaitFor("password");
    if (code != 0)
        return code;
    // The password goes to the server but never in clear into the traffic log.
    if (socketBuffer)
        socketBuffer->SetLogMasked(true);
    *this << password << std::flush;
    if (socketBuffer)
        socketBuffer->SetLogMasked(false);
    *this << "\n" << std::flush;
    code = WaitFor("\n");
    if (code != 0)
        return code;
    // The answer's first character decides; the line stays for the reader loop.
    const int answer = peek();
    if (answer == ':')
        return kErrBadPassword;
    if (answer != 'R') {
        KIT_ASSERT(answer == 'R');
        return kErrUnknownGGS;
    }
    loggedIn = true;
    HandleText(": ~login", Origin::Client);
    return 0;
}

int ggsstream::Logout()
{
    if (!loggedIn) {
        KIT_ASSERT(loggedIn);
        return kErrNotLoggedIn;
    }
    *this << "quit\n" << std::flush;
    loggedIn = false;
    return 0;
}

int ggsstream::WaitFor(const std::string& text)
{
    // Only the last text.size() characters can complete a match, so that is all we keep.
    std::string tail;
    for (;;) {
        const int c = get();
        if (c == traits_type::eof()) {
            auto* buffer = dynamic_cast<sockbuf*>(rdbuf());
            if (!buffer) {
                KIT_ASSERT(buffer);
                return kErrNoStreambuf;
            }
            if (buffer->GetError() != 0)
                return buffer->GetError();
            // The read failed without a socket error: the connection was shut down here.
            return buffer->IsConnected() ? kErrUnknownGGS : kErrNotConnected;
        }
        tail += static_cast<char>(c);
        if (tail.size() > text.size())
            tail.erase(0, 1);
        if (tail == text)
            return 0;
    }
}

// ---- reader loop and message assembly

// Reads the socket buffer directly rather than through the stream's own get: the reader
// thread then shares nothing with the window thread's writes but the socket buffer, whose
// two sides are separate. What the buffer holds is taken a block at a time and scanned for
// the three characters that mean something (BEL, CR, LF); the text between them joins the
// line whole.
//
// The connection is tested before each block and before each line is processed: after
// Disconnect, what was received is not handed on.
std::streamsize ggsstream::ReadBlock(std::streambuf* buffer, char* block, std::streamsize size)
{
    const sockbuf* socket = dynamic_cast<const sockbuf*>(buffer);
    if (!buffer || (socket && !socket->IsConnected()) || buffer->sgetc() == traits_type::eof())
        return 0;
    return buffer->sgetn(block, std::min<std::streamsize>(buffer->in_avail(), size));
}

void ggsstream::Run()
{
    reading = true;
    std::streambuf* buffer = rdbuf();
    const sockbuf* socket = dynamic_cast<const sockbuf*>(buffer);
    CLineSplitter splitter;
    char block[sockbuf::kAreaSize];
    for (;;) {
        const std::streamsize n = ReadBlock(buffer, block, sizeof block);
        if (n <= 0) {
            HandleText(": ~disconnect", Origin::Client);
            reading = false;
            return;
        }
        splitter.Take(
            block, block + n,
            [this, socket](std::string& line) {
                if (socket && !socket->IsConnected())
                    return false;
                ProcessLine(line);
                return true;
            },
            [this] { OnBell(); });
    }
}

void ggsstream::ProcessLine(std::string& line)
{
    if (line.size() == 5 && std::memcmp(line.data(), "READY", 5) == 0) {
        DispatchPending();
        line.clear();
        return;
    }
    if (!pending.empty()) {
        if (!line.empty() && line[0] == ':') {
            DispatchPending();
        } else {
            // A continuation line: joined with "\n", without one leading '|'. A message
            // that outgrows kMaxMessage keeps its first lines and drops the rest.
            const size_t skip = !line.empty() && line[0] == '|' ? 1 : 0;
            if (pendingTruncated || pending.size() + 1 + line.size() - skip > kMaxMessage) {
                pendingTruncated = true;
                line.clear();
                return;
            }
            pending += '\n';
            pending.append(line, skip, std::string::npos);
            line.clear();
            return;
        }
    }
    pending += line;
    line.clear();
}

void ggsstream::DispatchPending()
{
    std::string text = std::move(pending);
    pending.clear();
    pendingTruncated = false;
    HandleText(text, Origin::Server);
    // The text's room serves the next message, unless a handler began one meanwhile.
    if (pending.empty()) {
        text.clear();
        pending = std::move(text);
    }
}

void ggsstream::HandleText(const std::string& text, Origin origin)
{
    ParseText(text, origin);
}

void ggsstream::ParseText(const std::string& text, Origin origin)
{
    if (origin == Origin::Client)
        ParseClientMessage(text);
    else
        ParseMessage(text);
}

void ggsstream::OnBell() {}

// ---- routing

// Each routing takes an input stream of its own from the thread's spares (making streams is
// dear), so that a handler can route another message before it returns (a modal dialog's
// loop in the application does), and gives it back when done. Nothing of the stream is
// touched after the handler: the application's may delete it.
void ggsstream::ParseMessage(const std::string& text)
{
    thread_local std::vector<std::unique_ptr<textinput::CTextInput>> spares;
    std::unique_ptr<textinput::CTextInput> input;
    if (spares.empty()) {
        input = std::make_unique<textinput::CTextInput>();
    } else {
        input = std::move(spares.back());
        spares.pop_back();
    }
    input->Reset(text);
    Route(text, *input);
    spares.push_back(std::move(input));
}

void ggsstream::ParseClientMessage(const std::string& text)
{
    if (text == ": ~login") {
        OnLoggedIn();
    } else if (text == ": ~disconnect") {
        OnDisconnected();
    } else {
        KIT_ASSERT(false);
    }
}

// The first word and the blanks behind it are read in place, as the stream would read
// them, and the stream is left after them.
void ggsstream::Route(const std::string& text, textinput::CTextInput& is)
{
    std::string_view first;
    textinput::ReadText(is, is.Text(), [&first](textinput::CCursor& in) {
        first = textinput::ReadWordView(in);
        textinput::SkipBlanks(in);
    });
    if (first.empty())
        return;
    const std::string word(first.substr(0, first.back() == ':' ? first.size() - 1 : first.size()));
    if (CServer* service = FindService(word)) {
        service->HandleMessage(text, word, is);
    } else if (word.empty()) {
        HandleGGSMessage(text, word, is);
    } else {
        CMsgGGSTell msg(text, word, is);
        OnTell(msg);
    }
}

void ggsstream::HandleGGSMessage(const std::string& text, const std::string& word, std::istream& is)
{
    std::string keyword;
    textinput::ReadWord(is, keyword);
    textinput::SkipBlanks(is);
    if (keyword == "alias") {
        CMsgGGSAlias msg(text, word, is);
        OnAlias(msg);
    } else if (keyword == "ERR") {
        CMsgGGSErr msg(text, word, is);
        OnErr(msg);
    } else if (keyword == "finger") {
        CMsgGGSFinger msg(text, word, is);
        OnFinger(msg);
    } else if (keyword == "help") {
        CMsgGGSHelp msg(text, word, is);
        OnHelp(msg);
    } else if (keyword == "who") {
        CMsgGGSWho msg(text, word, is);
        OnWho(msg);
    } else if (keyword == "+" || keyword == "-") {
        CMsgGGSUserDelta msg(text, word, is, keyword == "+");
        OnUserDelta(msg);
    } else {
        CMsgGGSUnknown msg(text, word, is, keyword);
        OnUnknown(msg);
    }
}

// ---- default handlers

void ggsstream::OnMessage(const CMsg& msg)
{
    std::cout << msg.text << "\n";
}

void ggsstream::OnAlias(const CMsgGGSAlias& msg)
{
    OnMessage(msg);
}

void ggsstream::OnDisconnected()
{
    ResetLogin();
}

void ggsstream::OnErr(const CMsgGGSErr& msg)
{
    OnMessage(msg);
}

void ggsstream::OnFinger(const CMsgGGSFinger& msg)
{
    OnMessage(msg);
}

void ggsstream::OnHelp(const CMsgGGSHelp& msg)
{
    OnMessage(msg);
}

void ggsstream::OnLoggedIn()
{
    SendLoginCommands();
}

void ggsstream::OnTell(const CMsgGGSTell& msg)
{
    OnMessage(msg);
}

void ggsstream::OnUnknown(const CMsgGGSUnknown& msg)
{
    OnMessage(msg);
}

void ggsstream::OnUserDelta(const CMsgGGSUserDelta& msg)
{
    UpdateUser(msg);
    OnMessage(msg);
}

void ggsstream::OnWho(const CMsgGGSWho& msg)
{
    OnMessage(msg);
}

// ---- users and services

void ggsstream::ResetLogin()
{
    loggedIn = false;
    DeleteAllServices();
    login.clear();
}

void ggsstream::SendLoginCommands()
{
    *this << "ve -ack\n"
          << "notify + /os\n"
          << std::flush;
}

void ggsstream::UpdateUser(const CMsgGGSUserDelta& msg)
{
    // A notification without a login names nobody.
    if (msg.login.empty())
        return;
    if (msg.plus) {
        // Bounded, so that no server can fill the memory with logins.
        if (msg.login.size() > kMaxLogin)
            return;
        if (users.size() < kMaxUsers || users.count(msg.login) != 0)
            users[msg.login] = msg.level;
        CreateService(msg.login);
    } else {
        const auto found = users.find(msg.login);
        KIT_ASSERT(found != users.end());
        if (found != users.end())
            users.erase(found);
        DeleteService(msg.login);
    }
}

void ggsstream::CreateService(const std::string& name)
{
    // A service that is already filed stays as it is: a repeated "+" builds no second object.
    if (HasService(name))
        return;
    if (CServer* service = NewService(this, name))
        services[name].reset(service);
}

void ggsstream::DeleteService(const std::string& name)
{
    services.erase(name);
}

void ggsstream::DeleteAllServices()
{
    for (auto& entry : services)
        entry.second.reset();
    services.clear();
}

bool ggsstream::HasService(const std::string& name) const
{
    return services.count(name) != 0;
}

// Every message asks, and the stream files only the services it knows (one): a look at
// each name costs less than a search of the tree.
CServer* ggsstream::FindService(const std::string& name) const
{
    for (const auto& entry : services)
        if (entry.first == name)
            return entry.second.get();
    return nullptr;
}
