#pragma once
// A service on the server (a login such as "/os" that answers tells): it receives the
// messages whose first word is its name and sends its commands through the connection.

#include <istream>
#include <string>

class ggsstream;

class CServer {
public:
    CServer(ggsstream* connection, const std::string& name);
    CServer(const CServer&) = delete;
    CServer& operator=(const CServer&) = delete;
    virtual ~CServer();

    // Takes one message: its whole text, its first word (the service's name) and a
    // stream over the text positioned after that word and the blanks behind it.
    virtual void HandleMessage(const std::string& text, const std::string& from, std::istream& is);

    // Writes "t <name> " and hands the connection back for the command and its "\n";
    // the caller flushes.
    ggsstream& Tell();

    ggsstream* connection; // not owned
    std::string name;
};

// The game services built on this class, "/os" among them.
#include "ServerTemplates.h"
