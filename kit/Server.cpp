#include "Server.h"

#include "KitAssert.h"
#include "ggsstream.h"

CServer::CServer(ggsstream* connection, const std::string& name)
    : connection(connection), name(name)
{
}

CServer::~CServer() = default;

void CServer::HandleMessage(const std::string&, const std::string&, std::istream&)
{
    // Only a service that knows its messages is ever filed with the stream.
    KIT_ASSERT(false);
}

ggsstream& CServer::Tell()
{
    *connection << "t " << name << " ";
    return *connection;
}

CServerOs::CServerOs(ggsstream* connection)
    : CServerGG(connection, "/os")
{
}

CServerOs::~CServerOs() = default;

template class CServerGG<COsGame, CGGPosition<COsBoard, COsMove>, COsBoard, COsMove, COsMatchType, COsRatingType>;
