// The application's server stream: its reader thread hands every complete message
// to the window thread, and the stream is deleted by whichever of the two threads
// lets go of it last. On the window thread it shows the server's messages in a text
// window per user or channel and in the who window, and sends the commands the client
// needs right after login.
#pragma once

#include "ggsstream.h"

#include <QPointer>
#include <map>
#include <string>

class CConsole;
class CDialogGGSWho;
class tavostream;

// The messages on their way from the reader thread to the window thread. A reader
// that is this far ahead of the window thread waits until the window thread has caught
// up, so that a server sending faster than the client can handle keeps its text in the
// connection and not in the client's memory. A message always passes when none is on
// its way, however long it is.
class CHandOffGate {
public:
    static constexpr size_t kMaxMessages = 10000;
    static constexpr size_t kMaxBytes = 16 * 1024 * 1024;

    // A message's place in the gate, given back when the ticket goes.
    class Ticket {
    public:
        Ticket() = default;
        Ticket(Ticket&& other) noexcept : m_bytes(other.m_bytes), m_held(other.m_held) { other.m_held = false; }
        Ticket& operator=(Ticket&&) = delete;
        ~Ticket();

    private:
        friend class CHandOffGate;
        size_t m_bytes = 0;
        bool m_held = false;
    };

    // Waits while the gate is full, unless `wait` is false, then takes a place for a
    // message of `bytes` characters.
    static Ticket Enter(size_t bytes, bool wait);
    // How many messages hold a place now.
    static size_t Messages();
};

// One complete message text on its way from the reader thread to the window thread.
struct CServerLinePacket {
    tavostream* stream;
    std::string line;
    ggsstream::Origin origin = ggsstream::Origin::Server;
    CHandOffGate::Ticket ticket{};
};

class tavostream : public ggsstream {
public:
    // Login to class letter ('.', 'p' or 'h'): the logins the who window classes by name.
    using KnownLogins = std::map<std::string, char>;

    // The server's texts open a window per name up to this many windows; past it, text
    // for a name without a window goes to "GGS Console" with the name in front. A user
    // follows a few dozen conversations at the very most. A window costs about 220 KB,
    // about 340 KB with its output full (the console's bound and the text added past it),
    // so a server that writes as thousands of senders holds at most about 90 MB in
    // windows. The user's own commands still open a window for any name.
    static constexpr size_t kMaxWindows = 256;

    // With the program's own table of known logins.
    tavostream();
    explicit tavostream(KnownLogins known);
    ~tavostream() override;

    // Reader thread: posts the text to the main window, or drops it during shut-down.
    void HandleText(const std::string& text, Origin origin) override;
    // Reader thread: a bell from the server beeps (unless shut-down has begun).
    void OnBell() override;

    // Window thread, the server's messages.
    void OnMessage(const CMsg& msg) override;
    // The connection has ended: the windows go, and the application lets go of the stream;
    // when the user did not end it, the application says so.
    void OnDisconnected() override;
    void OnErr(const CMsgGGSErr& msg) override;
    void OnFinger(const CMsgGGSFinger& msg) override;
    void OnLoggedIn() override;
    void OnTell(const CMsgGGSTell& msg) override;
    void OnUnknown(const CMsgGGSUnknown& msg) override;
    void OnUserDelta(const CMsgGGSUserDelta& msg) override;
    void OnWho(const CMsgGGSWho& msg) override;
    // The service "/os" is the application's own service object.
    void CreateService(const std::string& name) override;

    // The text window for a name, created on first use: "GGS Console" for the empty
    // name, ".chat" for every other name while chats are joined. Null when it cannot be
    // created.
    CConsole* GetWindow(const std::string& name);
    // Brings the window for a name forward; with `select` and joined chats the name
    // becomes the joined window's recipient.
    void ShowWindowFor(const std::string& name, bool select);
    // The who window, created (hidden) on first use; null when it cannot be created.
    CDialogGGSWho* GetWhoDialog();
    void ShowWhoDialog();
    // Sets the user's class letter: 's' service, 'a' level 2 or more, a known login's
    // letter, '+' level 1, '-' otherwise.
    void ClassifyUser(CGGSUser& user) const;
    // The own login's level: above 0; present and below 1. Both false while unknown.
    bool IsRegistered() const;
    bool IsUnregistered() const;
    // Writes a line to the window for a name (the console for the empty name).
    void Output(const std::string& name, const std::string& text);
    // Deletes every window, the who window and the service objects.
    void CloseWindows();

    // Clears the flag of one side (0 the reader thread, 1 the application); the side
    // that clears the last one deletes the stream.
    static void Finished(tavostream* stream, int side);
    // The reader thread: runs the stream's read loop until the input ends.
    static void ReaderThreadProc(void* stream);

    // The recipient last used in the joined chat window.
    std::string lastTellPartner;

private:
    // The window of `name` gets the text and a line end, and shows without taking the
    // focus; past kMaxWindows, the console instead when `name` has no window.
    void ShowText(const std::string& name, const std::string& text);
    // The key of the window that shows a name.
    static std::string WindowKey(const std::string& name);

    KnownLogins knownLogins;
    // The windows belong to the main window too, which may go first when the program
    // ends: the map does not keep a window that is gone.
    std::map<std::string, QPointer<CConsole>> windows;
    bool whoReceived = false;
    QPointer<CDialogGGSWho> whoDialog;
    bool ownedByReader = true;
    bool ownedByApplication = true;
};
