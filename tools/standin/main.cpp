// Runs the stand-in GGS server on 127.0.0.1 until interrupted, for trying the client by hand.
#include "StandinServer.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Usage(const char* program)
{
    std::fprintf(stderr,
                 "usage: %s [--port N] [--script FILE] [--password LOGIN:PASSWORD]... [--level LOGIN:N]...\n"
                 "  --port      the port on 127.0.0.1 (default 5000)\n"
                 "  --script    server texts played to every client after login, instead of\n"
                 "              answering as the GGS server with its service /os\n"
                 "  --password  a known login; other logins register with their first password\n"
                 "  --level     a login's level: 0 unregistered (the default), 1 registered\n"
                 "              (rated matches), 2 administrator (the login admin has it)\n",
                 program);
}

} // namespace

int main(int argc, char** argv)
{
    CStandinServer server;
    server.KeepRecords(false);   // nobody reads them here: a long session must not grow
    long port = 5000;
    bool scripted = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 == argc) {
            Usage(argv[0]);
            return 2;
        }
        const char* value = argv[++i];
        if (option == "--port") {
            char* end = nullptr;
            port = std::strtol(value, &end, 10);
            if (*end != '\0' || port < 1 || port > 65535) {
                Usage(argv[0]);
                return 2;
            }
        } else if (option == "--script") {
            if (!server.LoadScript(value)) {
                std::fprintf(stderr, "cannot read %s\n", value);
                return 1;
            }
            scripted = true;
        } else if (option == "--password") {
            const char* colon = std::strchr(value, ':');
            if (!colon) {
                Usage(argv[0]);
                return 2;
            }
            server.SetPassword(std::string(value, colon), colon + 1);
        } else if (option == "--level") {
            const char* colon = std::strchr(value, ':');
            if (!colon || colon[1] < '0' || colon[1] > '2' || colon[2] != '\0') {
                Usage(argv[0]);
                return 2;
            }
            server.SetLevel(std::string(value, colon), colon[1] - '0');
        } else {
            Usage(argv[0]);
            return 2;
        }
    }

    if (!scripted)
        server.ServeGGS();

    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);   // the server thread inherits the mask

    if (server.Start(static_cast<uint16_t>(port)) == 0) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1:%ld\n", port);
        return 1;
    }
    std::printf("GGS stand-in listening on 127.0.0.1:%u\n", server.GetPort());
    std::fflush(stdout);
    int received = 0;
    sigwait(&signals, &received);
    server.Stop();
    return 0;
}
