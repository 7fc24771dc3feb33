// The application's server stream: its reader thread hands every complete message
// to the window thread, and the stream is deleted by whichever of the two threads
// lets go of it last.
#pragma once

#include "ggsstream.h"

#include <string>

class tavostream;

// One complete message text on its way from the reader thread to the window thread.
struct CServerLinePacket {
    tavostream* stream;
    std::string line;
};

class tavostream : public ggsstream {
public:
    tavostream() = default;
    ~tavostream() override = default;

    // Reader thread: posts the text to the main window, or drops it during shut-down.
    void HandleText(const std::string& text) override;
    // Window thread: the connection has ended; the application lets go of the stream.
    void OnDisconnected() override;
    // Reader thread: a bell from the server beeps (unless shut-down has begun).
    void OnBell() override;

    // Clears the flag of one side (0 the reader thread, 1 the application); the side
    // that clears the last one deletes the stream.
    static void Finished(tavostream* stream, int side);
    // The reader thread: runs the stream's read loop until the input ends.
    static void ReaderThreadProc(void* stream);

private:
    bool ownedByReader = true;
    bool ownedByApplication = true;
};
