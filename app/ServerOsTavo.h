// The client's object for the Reversi service "/os": the stream makes it in place of
// the kit's service object. It sends its own set-up once the user's level is known,
// and it shows the service's games in game windows and its lists in list windows.
#pragma once

#include "Server.h"

#include <string>

class CServerOsTavo : public CServerOs {
public:
    explicit CServerOsTavo(ggsstream* connection);
    ~CServerOsTavo() override;

    // Sends "rated +" (a registered user) or "open 1" (an unregistered one), then
    // "match", once: nothing while the own level is not known yet.
    void SendSetup();

    bool setupSent = false;
};
