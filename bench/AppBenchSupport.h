#pragma once
// What the benchmarks of the client's windows share: a profile and desktop files of their
// own, and the application's stream logged in without a connection.
#include "BenchSupport.h"

#include "ServerOsTavo.h"
#include "TavoGGSStream.h"

#include <QTemporaryDir>
#include <cstdlib>
#include <sstream>

namespace bench {

// Points the profile and the desktop files at a temporary folder for the life of the
// object, and chooses the offscreen platform unless another is chosen. Made before the
// application object.
class AppHome {
public:
    AppHome()
    {
        const QByteArray root = home.path().toLocal8Bit();
        ::setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
        ::setenv("XDG_DATA_HOME", (root + "/data").constData(), 1);
        ::setenv("XDG_RUNTIME_DIR", root.constData(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }

private:
    QTemporaryDir home;
};

// The application's stream, logged in as "bench" without a connection, with the
// client's "/os" service; what it would send goes nowhere.
class OfflineStream : public tavostream {
public:
    OfflineStream()
    {
        rdbuf(&sent);
        login = "bench";
        loggedIn = true;
        users["bench"] = 1;
        users["/os"] = 0;
        services["/os"].reset(new CServerOsTavo(this));
    }
    ~OfflineStream() override
    {
        loggedIn = false;
        DeleteAllServices();
        rdbuf(nullptr);
    }
    CServerOsTavo* Service() const { return static_cast<CServerOsTavo*>(FindService("/os")); }

private:
    std::stringbuf sent;
};

} // namespace bench
