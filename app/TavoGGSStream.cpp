#include "TavoGGSStream.h"

#include "MainFrm.h"
#include "Tavo.h"
#include "mfc/Sync.h"

#include <new>

namespace {

// A packet whose message was never handled (its window went first) is freed here.
void DiscardPacket(LPARAM packet)
{
    delete reinterpret_cast<CServerLinePacket*>(packet);
}

} // namespace

void tavostream::HandleText(const std::string& text)
{
    // The application's own "shutdown" mutex, found by its name: nothing of the
    // application is touched before it is held, since once the main frame has gone the
    // application object may be going too. Like "finished" below, it is opened once and
    // kept to the very end of the process: a reader thread may still use it while the
    // program shuts down.
    static const HANDLE& shutdown = *new HANDLE(CreateMutex(false, "shutdown"));
    if (WaitForSingleObject(shutdown, 0) != WAIT_OBJECT_0)
        return;
    // While "shutdown" is held here the main frame cannot be destroyed.
    CTavoApp* app = TavoApp();
    if (auto* packet = app ? new (std::nothrow) CServerLinePacket{this, text} : nullptr) {
        CFrameWnd* mainWnd = app->GetMainWnd();
        const BOOL posted = mainWnd && mainWnd->PostMessage(WM_APP, 0, reinterpret_cast<LPARAM>(packet),
                                                            DiscardPacket);
        ASSERT(posted);
        if (!posted)
            delete packet;
    }
    const BOOL released = ReleaseMutex(shutdown);
    ASSERT(released);
    (void)released;
}

void tavostream::OnDisconnected()
{
    ResetLogin();
    // This may delete the stream: nothing of it is touched afterwards.
    if (CTavoApp* app = TavoApp())
        app->ReleaseStream(this);
}

void tavostream::OnBell()
{
    // Under the same rule as HandleText: nothing reaches the window thread once the
    // main frame has taken "shutdown".
    const HANDLE shutdown = CreateMutex(false, "shutdown");
    if (WaitForSingleObject(shutdown, 0) != WAIT_OBJECT_0)
        return;
    MessageBeep(0xFFFFFFFF);
    ReleaseMutex(shutdown);
}

void tavostream::Finished(tavostream* stream, int side)
{
    static const HANDLE& finished = *new HANDLE(CreateMutex(false, "finished"));
    ASSERT(finished != nullptr);
    // A waiting acquire: with a zero wait a side that met the other inside this
    // section would return with its flag still set, and the stream would never go.
    if (WaitForSingleObject(finished, INFINITE) != WAIT_OBJECT_0) {
        ASSERT(false);
        return;
    }
    bool& mine = side == 0 ? stream->ownedByReader : stream->ownedByApplication;
    const bool& other = side == 0 ? stream->ownedByApplication : stream->ownedByReader;
    if (mine) {
        mine = false;
        if (!other)
            delete stream;
    } else {
        ASSERT(false);
    }
    const BOOL released = ReleaseMutex(finished);
    ASSERT(released);
    (void)released;
}

void tavostream::ReaderThreadProc(void* stream)
{
    auto* self = static_cast<tavostream*>(stream);
    self->Run();
    Finished(self, 0);
}
