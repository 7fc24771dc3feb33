#include "TavoDoc.h"

#include "ServerOsTavo.h"
#include "Tavo.h"
#include "mfc/Frame.h"
#include "res/Resource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QSaveFile>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

CTavoDoc::CTavoDoc()
{
    const auto gameCommand = [this](UINT id, const char* command) {
        OnCommand(id, [this, command] { GameCommand(command); });
        OnUpdateCommandUI(id, [this](CCmdUI* ui) { ui->Enable(CanSendGameCommand()); });
    };
    gameCommand(ID_GAME_UNDO, "undo");
    gameCommand(ID_GAME_BREAK, "break");
    gameCommand(ID_GAME_RESIGN, "resign");
    gameCommand(ID_GAME_ABORT, "abort");
}

CTavoDoc::~CTavoDoc() = default;

// ---------------------------------------------------------------------------------
// Changes of the game

void CTavoDoc::OnGameChanged(const COsGame& game, int code)
{
    if (&game != static_cast<const COsGame*>(this))
        COsGame::operator=(game);
    if (code == kHintLoaded || code == kHintJoined)
        SetGameTitle(false);
    // Once the user's move has gone out, the server's next word on the game lets the
    // next one go; its echo of that move must not step the replay a second time.
    if (!m_fCanSendMove) {
        if (code == kHintJoined) {
            m_fCanSendMove = true;
        } else if (code == kHintMove) {
            m_fCanSendMove = true;
            code = kHintEcho;
        }
    }
    ResetTick();
    if (code >= kHintJoined && code <= kHintComments)
        SetModifiedFlag(TRUE);
    ASSERT(code >= 0 && code <= kHintLast);
    UpdateAllViews(nullptr, code);
    if (code >= kHintLoaded && code <= kHintEcho && IsMyTurn()) {
        AutoPlay();
        // The user's move is awaited (none was made for them): a beep, when wished.
        CTavoApp* app = TavoApp();
        if (app && app->fMoveBeep && CanSendMove())
            MessageBeep(0xFFFFFFFF);
    }
}

void CTavoDoc::SendMove(const COsMove& move, double eval)
{
    const Item item(move, eval, ElapsedSeconds());
    ASSERT(m_pServer != nullptr);
    if (!m_pServer)
        return;
    ASSERT(m_fCanSendMove);
    m_pServer->Tell() << "play " << m_sId << ' ' << item << '\n';
    m_pServer->connection->flush();
    m_fCanSendMove = false;
    if (NeedsKomi())
        return; // a bid: the server plays the first move once both bids are in
    Play(item);
    // The opponent's clock runs from here, not from the last word of the server.
    ResetTick();
    UpdateAllViews(nullptr, kHintMove);
}

void CTavoDoc::SendComment(const std::string& text)
{
    Tell(text);
    UpdateAllViews(nullptr, kHintComments);
}

void CTavoDoc::Detach()
{
    CGameLive::Detach();
    OnGameChanged(*this, kHintDetached);
}

void CTavoDoc::AddComment(const std::string& text)
{
    CGameLive::AddComment(text);
    UpdateAllViews(nullptr, kHintComments);
}

void CTavoDoc::AutoPlay()
{
    // The first move of a komi game carries the user's bid: it is never made for them.
    if (NeedsKomi())
        return;
    CTavoApp* app = TavoApp();
    const int autoforce = app ? app->nAutoforce : 0;
    const int autopass = app ? app->nAutopass : 0;
    UINT notice = 0;
    const std::vector<COsMove> moves = posCurrent.board.LegalMoves();
    if (!moves.empty()) {
        if (moves.size() != 1 || autoforce == 0)
            return;
        SendMove(moves.front(), 0.0);
        if (autoforce == 1)
            notice = IDS_AUTOFORCED;
    } else {
        if (autopass == 0)
            return;
        SendMove(COsMove(), 0.0);
        if (autopass == 1)
            notice = IDS_AUTOPASSED;
    }
    // The box waits until the server's message has been handled: a box opened in the
    // middle of it would let the connection end, and the service go, underneath.
    if (notice != 0)
        AfxMessageBoxLater(LoadStringResource(notice));
}

// ---------------------------------------------------------------------------------
// Title, view, commands

void CTavoDoc::SetGameTitle(bool fileForm)
{
    std::string text = players[1].login + " vs " + players[0].login + "  " + date;
    if (matchType.kind == 's')
        text += players[0].login > players[1].login ? " 0" : " 1";
    if (fileForm) {
        const std::string unfit = " :#%.";
        for (char& c : text)
            if (unfit.find(c) != std::string::npos)
                c = '_';
    }
    SetTitle(ToQ(text));
}

std::string CTavoDoc::GetAutosaveDir() const
{
    const std::string path = ToStd(GetPathName());
    if (path.empty())
        return std::string();
    const std::string::size_type slash = path.rfind('/');
    ASSERT(slash != std::string::npos);
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void CTavoDoc::BringViewToTop()
{
    if (GetViews().empty())
        return;
    if (CMDIChildWnd* frame = GetViews().front()->GetParentFrame()) {
        frame->raise();
        if (QMdiArea* area = frame->mdiArea())
            area->setActiveSubWindow(frame);
    }
}

bool CTavoDoc::CanSendGameCommand() const
{
    return IsPlaying() && !IsOver();
}

void CTavoDoc::GameCommand(const char* command)
{
    if (CanSendGameCommand())
        SendGameCommand(command);
}

// ---------------------------------------------------------------------------------
// Closing and saving

void CTavoDoc::OnCloseDocument()
{
    if (m_pServer) {
        if (result.kind == CGGResult::kUnknown) {
            if (IsPlaying())
                GameCommand("break");
            else
                StopWatching();
        }
        m_pServer->RemovePane(m_sId);
        m_pServer = nullptr;
    }
    CDocument::OnCloseDocument();
}

BOOL CTavoDoc::SaveModified()
{
    if (!IsModified())
        return TRUE;
    CTavoApp* app = TavoApp();
    if (!app)
        return CDocument::SaveModified();
    const int policy = AmIPlaying() ? app->nAutosaveMine : app->nAutosaveOthers;
    if (policy == 0)
        return TRUE;
    SetGameTitle(true);
    BOOL saved;
    if (policy == 2) {
        if (app->fnAutosave.empty()) {
            saved = CDocument::SaveModified();
        } else {
            const QString oldPath = GetPathName();
            const QString path = FreeAutosavePath(ToQ(app->fnAutosave));
            SetPathName(path, FALSE);
            saved = DoSave(path, FALSE);
            // A folder that can no longer be written to would keep the window from ever
            // closing: the user is asked instead, under the game's own name.
            if (!saved) {
                SetPathName(oldPath, FALSE);
                SetGameTitle(true);
                saved = CDocument::SaveModified();
            }
        }
        SetGameTitle(false);
        // The folder of a file the game went to is the folder of the next autosave; one
        // the user declined to save keeps the folder as it was.
        if (saved && !IsModified())
            app->fnAutosave = GetAutosaveDir();
    } else {
        saved = CDocument::SaveModified();
        SetGameTitle(false);
    }
    return saved;
}

QString CTavoDoc::FreeAutosavePath(const QString& folder) const
{
    // The file-form title, then the title with " (2)", " (3)", ... : the first name that
    // no file has yet, or that is this game's own file from an earlier save.
    for (int n = 1;; ++n) {
        const QString path = folder + GetTitle()
                             + (n == 1 ? QString() : QStringLiteral(" (%1)").arg(n)) + QStringLiteral(".ggf");
        const QFileInfo file(path);
        if ((!file.exists() && !file.isSymLink()) || file.absoluteFilePath() == GetPathName())
            return path;
    }
}

namespace {

// Reads at most `limit` bytes of a regular file. Anything else (a FIFO, a device, a
// folder) is refused before a read could wait on it for ever, like a file that cannot
// be read at all: false. The buffer starts at the file's size, one byte more to see its
// end at once, and grows only for a file that grows meanwhile (or that tells no size).
bool ReadRegularFile(const QString& path, size_t limit, std::string& text)
{
    text.clear();
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info;
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (ok)
        text.resize(std::min(limit, size_t(std::max<off_t>(info.st_size, 0)) + 1));
    size_t got = 0;
    while (ok && got < limit) {
        if (got == text.size())
            text.resize(std::min(limit, std::max(got * 2, size_t(4096))));
        const ssize_t n = ::read(fd, &text[got], text.size() - got);
        if (n > 0)
            got += size_t(n);
        else if (n == 0)
            break;
        else if (errno != EINTR)
            ok = false;
    }
    ::close(fd);
    text.resize(ok ? got : 0);
    return ok;
}

} // namespace

BOOL CTavoDoc::OnOpenDocument(const QString& path)
{
    // Two games of any board take a few thousand characters: what lies beyond the first
    // quarter megabyte is not looked at, so that a huge file cannot hold the window up.
    std::string text;
    if (!ReadRegularFile(path, kMaxFileText, text))
        return FALSE;
    std::istringstream in(text);

    // Each game may follow its number; an archive is looked at only as far as its
    // second game.
    std::vector<COsGame> games;
    while (in.good() && games.size() < 2) {
        if (std::isdigit(in.peek())) {
            long number;
            in >> number;
        }
        COsGame game;
        in >> game;
        if (in.good() && HasBoard(game))
            games.push_back(game);
    }
    if (games.size() == 2)
        AfxMessageBox(QStringLiteral("DO NOT choose 'Save', you will save only this game and overwrite the rest of "
                                     "the archive"),
                      MB_OK, 0);
    if (games.empty())
        return FALSE;
    COsGame::operator=(games.front());
    m_fUpdated = true;
    SetModifiedFlag(FALSE);
    UpdateAllViews(nullptr, kHintStart);
    return TRUE;
}

BOOL CTavoDoc::OnSaveDocument(const QString& path)
{
    std::ostringstream out;
    WriteGGF(out);
    const std::string text = out.str();
    // The game goes to a new file beside the old one, which takes the old one's place
    // only once it is whole on the disk: a save that fails (a full disk, a folder that
    // cannot be written to) leaves the old file as it was.
    QSaveFile file(path);
    QString error;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        error = file.errorString();
    } else if (file.write(text.data(), qint64(text.size())) != qint64(text.size())) {
        // A write cut short (the disk is full) leaves the reason in errno only.
        error = file.error() != QFileDevice::NoError ? file.errorString()
                                                     : QString::fromLocal8Bit(std::strerror(errno));
    } else if (!file.commit()) {
        error = file.errorString();
    }
    if (!error.isNull()) {
        AfxMessageBox(LoadStringResource(IDS_GAME_NOT_SAVED).arg(QDir::toNativeSeparators(path), error),
                      MB_OK | MB_ICONEXCLAMATION, 0);
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    return TRUE;
}
