#include "ServerOsTavo.h"

CServerOsTavo::CServerOsTavo(ggsstream* connection) : CServerOs(connection)
{
    SendSetup();
}

CServerOsTavo::~CServerOsTavo() = default;

void CServerOsTavo::SendSetup()
{
    if (setupSent || !connection)
        return;
    const int level = connection->GetMyLevel();
    if (level < 0)
        return;
    Tell() << (level >= 1 ? "rated +\n" : "open 1\n");
    Tell() << "match\n";
    connection->flush();
    setupSent = true;
}
