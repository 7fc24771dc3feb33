#pragma once
// The client's connection to the GGS server: an iostream over a socket buffer that logs
// in, assembles the server's output into messages and routes each one to a service
// object, to a handler of the server's own messages or to the tell handler.

#include "GGSMessage.h"
#include "sockbuf.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <istream>
#include <map>
#include <memory>
#include <string>

class CServer;
namespace textinput {
class CTextInput;
}

class ggsstream : public std::iostream {
public:
    // Error codes; each is also a string-table id of the application. Connect and
    // Login also pass on the socket buffer's codes (34304 to 34313) unchanged.
    enum : int {
        kErrOutOfMemory = 33024,
        kErrUnknownGGS = 33280,
        kErrBadPassword = 33281,
        kErrAlreadyLoggedIn = 33282,
        kErrNotLoggedIn = 33283,
        kErrAlreadyConnected = 33284,
        kErrNotConnected = 33285,
        kErrNoStreambuf = 33286,
    };
    // Bounds on what the server can make the reader loop hold: the characters of one line
    // beyond kMaxLine are dropped, and the lines of one message beyond kMaxMessage bytes.
    static constexpr size_t kMaxLine = 64 * 1024;
    static constexpr size_t kMaxMessage = 4 * 1024 * 1024;
    // Bounds on the users table: a login longer than kMaxLogin characters is not filed,
    // nor a new one once the table holds kMaxUsers (a busy server has a few thousand).
    static constexpr size_t kMaxLogin = 32;
    static constexpr size_t kMaxUsers = 20000;

    // Where a message text comes from. The client makes two texts of its own, ": ~login"
    // after a successful login and ": ~disconnect" at the end of input. They travel with
    // the server's texts, so that each keeps its place among them, but only they reach
    // OnLoggedIn and OnDisconnected: the same words from the server are unknown messages.
    enum class Origin { Server, Client };

    // The reader loop's receiving, in blocks: the next block of what the buffer holds,
    // waiting for one when it holds none; 0 at the end of input, and once a socket buffer
    // has been disconnected.
    static std::streamsize ReadBlock(std::streambuf* buffer, char* block, std::streamsize size);

    // The reader loop's splitting of what it receives into lines: the text between BEL, CR
    // and LF joins the line (up to kMaxLine characters), and a line ends at CR, LF or CR LF.
    class CLineSplitter {
    public:
        // Takes a block: onLine(line) for each line that ends in it (the line is emptied
        // after it; false from onLine drops the rest of the block), onBell() for each BEL.
        template <class OnLine, class OnBell>
        void Take(const char* c, const char* end, OnLine onLine, OnBell onBell)
        {
            while (c < end) {
                const char* const text = c;
                while (c < end && *c != '\a' && *c != '\r' && *c != '\n')
                    ++c;
                if (c > text) {
                    line.append(text, std::min<size_t>(size_t(c - text), kMaxLine - line.size()));
                    previousWasCR = false;
                }
                if (c == end)
                    return;
                if (*c == '\a') {
                    onBell();
                } else if (*c == '\r' || !previousWasCR) {
                    if (!onLine(line))
                        return;
                    line.clear();
                }
                previousWasCR = *c == '\r';
                ++c;
            }
        }

    private:
        std::string line;
        bool previousWasCR = false;
    };

    ggsstream();
    ~ggsstream() override;
    ggsstream(const ggsstream&) = delete;
    ggsstream& operator=(const ggsstream&) = delete;

    // The kit's own short texts of its codes (the application has longer ones).
    static std::string GetErrorText(int code);

    // Refused (kErrAlreadyConnected) while the reader loop of an earlier connection has
    // not returned: it still reads that connection's buffer.
    virtual int Connect(const std::string& host, uint16_t port);
    virtual int Disconnect();
    // Runs the login exchange on the calling thread; the server's first line after it
    // ("READY" or the refusal) stays unread for the reader loop. A server that has not
    // finished the exchange within the time limit ends it with sockbuf::kErrTimedOut.
    virtual int Login(const std::string& login, const std::string& password);
    // Sends "quit"; the connection stays open until the server closes it.
    virtual int Logout();
    virtual std::string GetLogin() const;
    // The level the users table holds for the own login, -1 when absent.
    virtual int GetMyLevel() const;
    // The reader loop: returns when the input ends or the stream is disconnected, after
    // handing on ": ~disconnect".
    virtual void Run();
    virtual bool IsConnected() const;
    virtual bool IsLoggedIn() const;

    // The generic handler: writes the message's text and "\n" to the standard output.
    virtual void OnMessage(const CMsg& msg);
    virtual void OnAlias(const CMsgGGSAlias& msg);
    virtual void OnDisconnected();
    virtual void OnErr(const CMsgGGSErr& msg);
    virtual void OnFinger(const CMsgGGSFinger& msg);
    virtual void OnHelp(const CMsgGGSHelp& msg);
    virtual void OnLoggedIn();
    virtual void OnTell(const CMsgGGSTell& msg);
    virtual void OnUnknown(const CMsgGGSUnknown& msg);
    virtual void OnUserDelta(const CMsgGGSUserDelta& msg);
    virtual void OnWho(const CMsgGGSWho& msg);

    // Routes one complete message text of the server by its first word.
    virtual void ParseMessage(const std::string& text);
    // Handles one of the client's own texts.
    void ParseClientMessage(const std::string& text);
    // One of either, by its origin.
    void ParseText(const std::string& text, Origin origin);
    // Files a service object for a service that logged in ("/os"); other names do nothing.
    virtual void CreateService(const std::string& name);
    virtual void DeleteService(const std::string& name);
    virtual void DeleteAllServices();

    // Reads until the text has been seen: 0, else the code of the failed read.
    virtual int WaitFor(const std::string& text);
    // Adds one line to the message being assembled; empties the line.
    virtual void ProcessLine(std::string& line);
    virtual void DispatchPending();
    // The server's own messages (the text began with ':'): the keyword table.
    virtual void HandleGGSMessage(const std::string& text, const std::string& word, std::istream& is);
    // Hands one complete message text on with its origin; the kit's body routes it on the
    // calling thread.
    virtual void HandleText(const std::string& text, Origin origin);

    // Called by the reader loop for a BEL from the server; the kit's body is silent.
    virtual void OnBell();

    void ResetLogin();
    void SendLoginCommands();
    void UpdateUser(const CMsgGGSUserDelta& msg);
    bool HasService(const std::string& name) const;
    CServer* FindService(const std::string& name) const;

    // The time limit of connecting, of the whole login exchange and of each send; the
    // default suits the application, tests make it short.
    void SetTimeLimit(std::chrono::milliseconds limit) { timeLimit = limit; }

protected:
    // Deletes a service object through its virtual destructor.
    struct ServiceDeleter {
        void operator()(CServer* service) const;
    };

    std::map<std::string, int> users;   // login -> level, from the "+" and "-" notifications
    bool loggedIn = false;
    std::string login;
    std::map<std::string, std::unique_ptr<CServer, ServiceDeleter>> services;
    std::string pending;                        // the message being assembled
    std::unique_ptr<sockbuf> socketBuffer;

private:
    void Route(const std::string& text, textinput::CTextInput& is);

    bool pendingTruncated = false;
    std::chrono::milliseconds timeLimit = sockbuf::kTimeLimit;
    std::atomic<bool> reading{false};   // Run has not returned yet
};
