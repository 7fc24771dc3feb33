// A fixture for the service's windows against the stand-in server: the client logged in
// as alice (registered), kit clients as the other players, and the main window's
// commands as the user chooses them.
#pragma once

// The kit clients of the stand-in's own tests, before the client's test support.
#include "../net/MatchSupport.h"

#include "ServiceTestSupport.h"

#include "MainFrm.h"
#include "mfc/Frame.h"

#include <QTimer>

class ServiceLive : public ::testing::Test {
protected:
    void SetUp() override
    {
        server.ServeGGS();
        server.UseTestClock();
        server.SetLevel("alice", 1);
        ASSERT_NE(server.Start(), 0);
        ASSERT_TRUE(app.Start());
        app.nAutopass = app.nAutoforce = 0;
        app.nAutosaveMine = app.nAutosaveOthers = 0;
        ASSERT_TRUE(LogInToStandin(app, server, "alice", login));
    }
    void TearDown() override
    {
        EXPECT_TRUE(LogOut(app, login));
        for (auto& client : clients)
            client->Stop();
        server.Stop();
    }

    // A kit client logged in as another user, with notifications of everyone.
    CTestClient& User(const std::string& name, int level = 1)
    {
        server.SetLevel(name, level);
        clients.push_back(std::make_unique<CTestClient>(name));
        CTestClient& client = *clients.back();
        EXPECT_TRUE(client.Start(server.GetPort()));
        client.Send("notify + *");
        client.Os(level >= 1 ? "rated +" : "open 1");
        EXPECT_TRUE(client.WaitForService());
        client.Sync();
        return client;
    }
    // A command typed to the service, as in the console.
    void Os(const std::string& command) { *app.pStream << "t /os " << command << "\n" << std::flush; }
    // alice asks the other on the terms, who accepts. The match id.
    std::string Match(CTestClient& other, const std::string& terms)
    {
        Os("ask " + terms + " " + other.name);
        other.Os("accept " + IdOf(other.Next("/os: + .")));
        return IdOf(other.Next("/os: + match "));
    }
    CServerOsTavo* Service() const { return login.stream ? login.stream->Service() : nullptr; }
    CMainFrame* Frame() const { return dynamic_cast<CMainFrame*>(app.GetMainWnd()); }
    // Chooses a menu command once the current event is done, as a click on the menu does.
    void MenuCommand(UINT id)
    {
        CMainFrame* frame = Frame();
        frame->UpdateCommandUI();
        EXPECT_TRUE(frame->GetCommandAction(id)->isEnabled()) << id;
        QTimer::singleShot(0, frame, [frame, id] { frame->GetCommandAction(id)->trigger(); });
    }
    bool WaitFor(const std::function<bool()>& condition) { return ProcessEventsUntil(condition); }
    CTavoDoc* WaitForWindow(const std::string& id)
    {
        WaitFor([&] { return Service() && Service()->FindPane(id) != nullptr; });
        return Service() ? Service()->FindPane(id) : nullptr;
    }
    // Whether alice has sent the text, within a few seconds.
    bool Sent(const std::string& text)
    {
        return server.WaitForClientText(text, Scaled(std::chrono::milliseconds(5000)));
    }
    // The id of a request or a match from a "+" line ("/os: + .5 ..." or "/os: + match .5 ...").
    static std::string IdOf(const std::string& line)
    {
        std::istringstream words(line);
        std::string word;
        words >> word >> word >> word;
        if (word == "match")
            words >> word;
        return word;
    }

    CStandinServer server;
    CHelpRecordingApp app;
    CStandinLogin login;
    std::vector<std::unique_ptr<CTestClient>> clients;
};
