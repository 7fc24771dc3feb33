// Support for the game window's tests: a connection that records what is sent instead of
// sending it, a stream and an application for games against the stand-in server, games
// built move by move, and the user's mouse.
#pragma once

#include "AppTestSupport.h"
#include "OsObjects.h"
#include "ServerOsTavo.h"
#include "TavoDoc.h"
#include "TavoView.h"

#include <QPoint>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

class CStandinServer;

// A connection that is logged in as `login` with its level known (unless it is -1) and
// writes what is sent
// to a buffer; its "/os" service object is the client's. Messages are fed with ParseMessage.
class CFakeConnection : public ggsstream {
public:
    explicit CFakeConnection(const std::string& login = "alice", int level = 1);
    ~CFakeConnection() override;
    CServerOsTavo* Service() const;
    // What was sent since the last call.
    std::string TakeSent();
    // Routes one server text, as "/os: join ..." or ": + bob 1".
    void Feed(const std::string& text) { ParseMessage(text); }
    void OnMessage(const CMsg& msg) override { messages.push_back(msg.text); }

    std::vector<std::string> messages;

private:
    std::stringbuf m_sent;
};

// The application's stream as it is when the whole client is there: its "/os" object is
// the client's, it hears of every user, and it sends the service's set-up once the own
// level is known.
class CGameStream : public RecordingStream {
public:
    using RecordingStream::RecordingStream;
    void CreateService(const std::string& name) override;
    void OnLoggedIn() override;
    void OnUserDelta(const CMsgGGSUserDelta& msg) override;
    CServerOsTavo* Service() const;
};

// Records the hints that reach a document's views.
class HintRecorder : public CView {
public:
    void OnUpdate(CView*, LPARAM hint, void*) override { hints.push_back(int(hint)); }
    void OnDraw(CDC*) override {}
    std::vector<int> hints;
};

// An application whose file dialogs answer with the names the test queued (an empty name
// cancels); each dialog records the default name it was offered.
class CGameTestApp : public TestApp {
public:
    BOOL DoPromptFileName(QString& fileName, BOOL openFileDialog, CDocTemplate* docTemplate) override;
    std::vector<QString> fileAnswers;
    std::vector<QString> fileOffers;
};

// A game on the standard 8x8 board between black and white with 15:00//2:00 clocks, the
// moves played (F5 D6 ...; PA passes).
COsGame MakeGame(const std::string& black, const std::string& white, const std::vector<std::string>& moves = {},
                 const std::string& matchType = "8");
// A game whose board is set square by square ('*' black, 'O' white), black to move.
COsGame GameOnBoard(const std::string& black, const std::string& white,
                    const std::vector<std::pair<std::string, char>>& discs, const std::string& matchType = "8");
std::string GgfText(const COsGame& game);
COsMove MoveFrom(const std::string& text);

// A started application with a connection logged in (as alice at level 1 unless said
// otherwise), whose "/os" service the test feeds with the service's messages; no game is
// saved by itself.
template <class App = CGameTestApp>
struct ServiceSession {
    explicit ServiceSession(const std::string& login = "alice", int level = 1)
    {
        EXPECT_TRUE(app.Start());
        app.nAutosaveMine = app.nAutosaveOthers = 0;
        connection = std::make_unique<CFakeConnection>(login, level);
        connection->TakeSent();
    }
    // The service goes first and detaches its windows.
    ~ServiceSession() { connection.reset(); }
    CServerOsTavo* Service() const { return connection->Service(); }
    std::string Sent() { return connection->TakeSent(); }
    void Feed(const std::string& text) { connection->Feed(text); }
    // The window of a game the service joins (the user plays it or watches it).
    CTavoDoc* Join(const std::string& id, const COsGame& game)
    {
        Feed("/os: join " + id + " " + GgfText(game));
        return Service()->FindPane(id);
    }
    // A looked-at game: not attached, at its start.
    CTavoDoc* Look(const COsGame& game) { return Service()->OpenLookDocument(game); }

    App app;
    std::unique_ptr<CFakeConnection> connection;
};

// The frame, view and document of the most recently opened game window.
CTavoView* ViewOf(CDocument* document);

// A left click at a point of a widget (pressed and released), as the mouse gives it.
void ClickAt(QWidget* widget, QPoint point);
// The centre of a square of the 8x8 board in the game window.
QPoint SquareCentre(const COsMove& move);

// The application's connection to a stand-in server.
struct CStandinLogin {
    CGameStream* stream = nullptr;
    std::shared_ptr<std::atomic<bool>> deleted = std::make_shared<std::atomic<bool>>(false);
};
// The application logged in to a stand-in server as `login`; waits until its "/os"
// object has sent its set-up. False when that did not happen.
bool LogInToStandin(CGameTestApp& app, CStandinServer& server, const std::string& login, CStandinLogin& connection);
// Disconnects as the user does and waits until the stream has gone.
bool LogOut(CGameTestApp& app, CStandinLogin& connection);
