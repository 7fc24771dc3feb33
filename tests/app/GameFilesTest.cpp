// Game files: opening archives and single games, saving, the File commands, the recent
// files, files handed over by the desktop, files that are not games at all, saves that
// fail and files that are not files.
#include "GameTestSupport.h"

#include "MainFrm.h"
#include "TestWatchdog.h"
#include "mfc/Frame.h"
#include "res/Resource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <atomic>
#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <gtest/gtest.h>
#include <mutex>
#include <random>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

const QString kArchiveWarning =
    QStringLiteral("DO NOT choose 'Save', you will save only this game and overwrite the rest of the archive");

QString Folder()
{
    const QString folder = TestHome() + QStringLiteral("/games/");
    QDir().mkpath(folder);
    return folder;
}

QString WriteFile(const QString& name, const std::string& text)
{
    const QString path = Folder() + name;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.data(), qint64(text.size()));
    return path;
}

// A started application whose game windows are counted.
struct Files {
    Files() { EXPECT_TRUE(app.Start()); }
    CMainFrame* Frame() const { return dynamic_cast<CMainFrame*>(app.GetMainWnd()); }
    int Windows() const { return int(Frame()->MDIArea()->subWindowList().size()); }
    // Opens a file as the File menu does; the messages shown come back in `boxes`.
    CTavoDoc* Open(const QString& path, std::vector<QString>* boxes = nullptr)
    {
        ModalDriver driver;
        driver.AcceptMessageBox();
        auto* doc = dynamic_cast<CTavoDoc*>(app.OpenDocumentFile(path));
        if (boxes)
            *boxes = driver.messageBoxes;
        return doc;
    }
    CGameTestApp app;
};

// Undoes a change to the process's circumstances, once: when asked, or when it goes.
class Undo {
public:
    explicit Undo(std::function<void()> undo) : m_undo(std::move(undo)) {}
    ~Undo() { Now(); }
    void Now()
    {
        if (m_undo)
            m_undo();
        m_undo = nullptr;
    }

private:
    std::function<void()> m_undo;
};

const COsGame kFirst = MakeGame("amy", "bob", {"F5", "D6", "C3"});
const COsGame kSecond = MakeGame("carl", "dan", {"E6"});

} // namespace

TEST(GameFiles, OneGameOrAnArchive)
{
    Files f;
    std::vector<QString> boxes;

    // One game with a line end: no warning; the start position is shown.
    CTavoDoc* doc = f.Open(WriteFile(QStringLiteral("one.ggf"), GgfText(kFirst) + "\n"), &boxes);
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(GgfText(*doc), GgfText(kFirst));
    EXPECT_TRUE(doc->IsUpdated());
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(doc->GetServer(), nullptr);
    EXPECT_EQ(doc->GetTitle(), QStringLiteral("one.ggf"));
    EXPECT_EQ(ViewOf(doc)->GetMoveIndex(), 0);
    EXPECT_FALSE(ViewOf(doc)->IsFollowing());

    // Numbered games, the number right before each: both read, the archive warning, the
    // first game shown.
    doc = f.Open(WriteFile(QStringLiteral("numbered.ggf"), "1" + GgfText(kFirst) + "2" + GgfText(kSecond)), &boxes);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(boxes, std::vector<QString>{kArchiveWarning});
    EXPECT_EQ(GgfText(*doc), GgfText(kFirst));

    // A number after a line end is not a number there: one game, no warning.
    doc = f.Open(WriteFile(QStringLiteral("lines.ggf"), GgfText(kFirst) + "\n2" + GgfText(kSecond)), &boxes);
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(boxes.empty());

    // Three games: the first two are read.
    doc = f.Open(WriteFile(QStringLiteral("three.ggf"), GgfText(kFirst) + GgfText(kSecond) + GgfText(kSecond)),
                 &boxes);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(boxes, std::vector<QString>{kArchiveWarning});
    EXPECT_EQ(GgfText(*doc), GgfText(kFirst));

    // Nothing to read: no window and no message.
    const int windows = f.Windows();
    EXPECT_EQ(f.Open(WriteFile(QStringLiteral("empty.ggf"), ""), &boxes), nullptr);
    EXPECT_EQ(f.Open(WriteFile(QStringLiteral("text.ggf"), "no game here\n"), &boxes), nullptr);
    EXPECT_EQ(f.Open(WriteFile(QStringLiteral("cut.ggf"), GgfText(kFirst).substr(0, 60)), &boxes), nullptr);
    EXPECT_EQ(f.Open(Folder() + QStringLiteral("missing.ggf"), &boxes), nullptr);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(f.Windows(), windows);
    EXPECT_EQ(f.app.GetRecentFileList()->Files().size(), 4); // only what opened
}

TEST(GameFiles, SaveAndSaveAsWriteWhatOpensAgain)
{
    Files f;
    CTavoDoc* doc = f.Open(WriteFile(QStringLiteral("save.ggf"), GgfText(kFirst)));
    ASSERT_NE(doc, nullptr);
    doc->Play(COsGame::Item(MoveFrom("B3"), 1.5, 7));
    doc->SetModifiedFlag();

    // Save writes back to the same file, with no line end.
    f.Frame()->RouteCommand(ID_FILE_SAVE);
    EXPECT_FALSE(doc->IsModified());
    const std::string saved = ReadFile(doc->GetPathName());
    EXPECT_EQ(saved, GgfText(*doc));
    EXPECT_EQ(saved.back(), ')');

    // Save As asks for the name; the document is then that file.
    const QString copy = Folder() + QStringLiteral("copy.ggf");
    f.app.fileAnswers = {copy};
    f.Frame()->RouteCommand(ID_FILE_SAVE_AS);
    EXPECT_EQ(doc->GetPathName(), copy);
    EXPECT_EQ(doc->GetTitle(), QStringLiteral("copy.ggf"));
    EXPECT_EQ(ReadFile(copy), saved);
    EXPECT_EQ(f.app.GetRecentFileList()->Files().front(), copy);
    // Cancelled: nothing changes.
    f.app.fileAnswers = {QString()};
    f.Frame()->RouteCommand(ID_FILE_SAVE_AS);
    EXPECT_EQ(doc->GetPathName(), copy);

    // Opened again it is the same game.
    CTavoDoc other;
    ASSERT_TRUE(other.OnOpenDocument(copy));
    EXPECT_EQ(GgfText(other), saved);
}

TEST(GameFiles, OpenCommandRecentFilesAndTheDesktop)
{
    Files f;
    const QString first = WriteFile(QStringLiteral("first.ggf"), GgfText(kFirst));
    const QString second = WriteFile(QStringLiteral("second.ggf"), GgfText(kSecond));

    // File > Open: the dialog's file opens in a window of its own.
    f.app.fileAnswers = {first};
    f.Frame()->UpdateCommandUI();
    f.Frame()->GetCommandAction(ID_FILE_OPEN)->trigger();
    ASSERT_EQ(f.Windows(), 1);
    // Opened again: the same window.
    f.app.fileAnswers = {first};
    f.Frame()->GetCommandAction(ID_FILE_OPEN)->trigger();
    EXPECT_EQ(f.Windows(), 1);
    // Cancelled: nothing.
    f.app.fileAnswers = {QString()};
    f.Frame()->GetCommandAction(ID_FILE_OPEN)->trigger();
    EXPECT_EQ(f.Windows(), 1);

    // Handed over by the desktop's file manager (its "/dde" switch).
    CCommandLineInfo handed;
    handed.ParseParam(QStringLiteral("dde"), true, false);
    handed.ParseParam(second, false, true);
    EXPECT_TRUE(f.app.ProcessShellCommand(handed));
    EXPECT_EQ(f.Windows(), 2);
    // A plain file name, with the command preset to nothing as at start, opens nothing.
    CCommandLineInfo plain;
    plain.m_nShellCommand = CCommandLineInfo::FileNothing;
    plain.ParseParam(WriteFile(QStringLiteral("plain.ggf"), GgfText(kSecond)), false, true);
    EXPECT_TRUE(f.app.ProcessShellCommand(plain));
    EXPECT_EQ(f.Windows(), 2);

    // The recent files, most recent first, in the File menu of the game window.
    EXPECT_EQ(f.app.GetRecentFileList()->Files(), (QStringList{second, first}));
    f.Frame()->UpdateCommandUI();
    QMenu* fileMenu = f.Frame()->menuBar()->actions().front()->menu();
    ASSERT_NE(fileMenu, nullptr);
    QStringList texts;
    for (QAction* action : fileMenu->actions())
        texts << action->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("&1 ") + second)) << texts.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(texts.contains(QStringLiteral("&2 ") + first)) << texts.join(QLatin1Char('|')).toStdString();

    // A recent file opens from the menu; one that has gone leaves the list.
    for (const auto& d : f.app.pGameTemplate->GetDocuments())
        ViewOf(d.get())->GetParentFrame()->close();
    ProcessEventsUntil([&] { return f.app.pGameTemplate->GetDocuments().empty(); });
    f.Frame()->UpdateCommandUI();
    fileMenu = f.Frame()->menuBar()->actions().front()->menu();
    for (QAction* action : fileMenu->actions())
        if (action->text() == QStringLiteral("&2 ") + first)
            action->trigger();
    EXPECT_EQ(f.Windows(), 1);
    EXPECT_EQ(f.app.GetRecentFileList()->Files().front(), first);
    QFile::remove(second);
    f.app.OnOpenRecentFile(ID_FILE_MRU_FILE1 + 1);
    EXPECT_EQ(f.app.GetRecentFileList()->Files(), QStringList{first});
    EXPECT_EQ(f.Windows(), 1);
}

TEST(GameFiles, EveryRealGameSavesAndOpensToTheSameText)
{
    std::ifstream real(TAVO_GAMES_DIR "/wthor-2001.ggf");
    ASSERT_TRUE(real.good());
    // Thousands of small files: in memory where the system has a place for them, in a
    // folder that goes with the test however it ends.
    const QString memory = QStringLiteral("/dev/shm");
    QTemporaryDir folder((QFileInfo(memory).isDir() && QFileInfo(memory).isWritable() ? memory + QLatin1Char('/')
                                                                                       : Folder()) +
                         QStringLiteral("tavo-games-XXXXXX"));
    ASSERT_TRUE(folder.isValid());
    const std::string folderName = QFile::encodeName(folder.path()).toStdString();
    RemoveIfTheWatchdogEnds(folderName);
    Undo forget([&] { ForgetForTheWatchdog(folderName); });
    const QString in = folder.filePath(QStringLiteral("real.ggf"));
    const QString out = folder.filePath(QStringLiteral("saved.ggf"));
    std::string line;
    int games = 0;
    while (std::getline(real, line)) {
        if (line.empty())
            continue;
        ++games;
        std::ofstream(QFile::encodeName(in).constData()) << line << '\n';
        CTavoDoc opened;
        ASSERT_TRUE(opened.OnOpenDocument(in)) << games;
        ASSERT_TRUE(opened.OnSaveDocument(out)) << games;
        const std::string saved = ReadFile(out);
        CTavoDoc again;
        ASSERT_TRUE(again.OnOpenDocument(out)) << games;
        ASSERT_TRUE(again.OnSaveDocument(out)) << games;
        ASSERT_EQ(ReadFile(out), saved) << games;
        // The game itself is what the line holds.
        std::istringstream text(line);
        COsGame game;
        text >> game;
        ASSERT_EQ(saved, GgfText(game)) << games;
        ASSERT_TRUE(opened.IsOver()) << games;
    }
    EXPECT_EQ(games, 5575);
}

TEST(GameFiles, FilesThatAreNoGamesOpenNothing)
{
    Files f;
    std::vector<QString> boxes;

    // Random bytes.
    std::mt19937 random(12);
    std::string bytes(1 << 20, '\0');
    for (char& c : bytes)
        c = char(random());
    EXPECT_EQ(f.Open(WriteFile(QStringLiteral("random.ggf"), bytes), &boxes), nullptr);
    EXPECT_EQ(f.Open(WriteFile(QStringLiteral("random2.ggf"), "(;" + bytes), &boxes), nullptr);
    EXPECT_EQ(f.Windows(), 0);

    // One "game" of 50 MB, millions of moves on one square: cut off, and so no game. (The
    // board reports each move on an occupied square to the log: not shown here.)
    std::string endless = GgfText(MakeGame("amy", "bob"));
    endless.resize(endless.size() - 3);
    while (endless.size() < 50u * 1024 * 1024)
        endless += "]B[F5";
    endless += "];)";
    {
        std::stringbuf discard;
        std::streambuf* log = std::clog.rdbuf(&discard);
        EXPECT_EQ(f.Open(WriteFile(QStringLiteral("endless.ggf"), endless), &boxes), nullptr);
        std::clog.rdbuf(log);
    }
    QFile::remove(Folder() + QStringLiteral("endless.ggf"));

    // A file of 10,000 games (50 MB and more): the first two are read.
    std::string archive;
    const std::string game = GgfText(MakeGame("amy", "bob", {"F5", "D6", "C3", "F4", "F3"}));
    while (archive.size() < 50u * 1024 * 1024 || archive.size() / game.size() < 10000)
        archive += game;
    CTavoDoc* doc = f.Open(WriteFile(QStringLiteral("large.ggf"), archive), &boxes);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(boxes, std::vector<QString>{kArchiveWarning});
    EXPECT_EQ(doc->moves.size(), 5u);
    QFile::remove(Folder() + QStringLiteral("large.ggf"));
}

namespace {

// The names in a folder, hidden ones included.
QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

TEST(GameFiles, ASaveThatFailsKeepsTheOldFileAndSaysSo)
{
    Files f;
    // A folder of its own that every user may enter, so that it can be locked below.
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/tavo-save-XXXXXX"));
    ASSERT_TRUE(home.isValid());
    ::chmod(QFile::encodeName(home.path()).constData(), 0755);
    const QString path = home.path() + QStringLiteral("/old.ggf");
    const std::string old = GgfText(kFirst);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(old.data(), qint64(old.size()));
    }
    ::chmod(QFile::encodeName(path).constData(), 0640);
    CTavoDoc* doc = f.Open(path);
    ASSERT_NE(doc, nullptr);
    doc->Play(COsGame::Item(MoveFrom("F4"), 0, 3));
    const std::string game = GgfText(*doc);
    const auto save = [&](const std::function<void()>& whenTheBoxShows = [] {}) {
        doc->SetModifiedFlag();
        ModalDriver driver;
        driver.OnMessageBox([&](QMessageBox* box) {
            whenTheBoxShows();
            box->button(QMessageBox::Ok)->click();
        });
        f.Frame()->RouteCommand(ID_FILE_SAVE);
        return driver.messageBoxes;
    };
    const auto notSaved = [&](const std::vector<QString>& boxes, const char* why) {
        ASSERT_EQ(boxes.size(), 1u) << why;
        EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("The game was not saved."))) << why;
        EXPECT_TRUE(boxes[0].contains(path)) << why;
        EXPECT_EQ(ReadFile(path), old) << why;
        EXPECT_EQ(Entries(home.path()), QStringList{QStringLiteral("old.ggf")}) << why;
        EXPECT_TRUE(doc->IsModified()) << why;
        EXPECT_EQ(doc->GetPathName(), path) << why;
    };

    // The disk fills up halfway through the game: no file of the process may grow
    // further (and the signal that would end it is ignored).
    rlimit unlimited{};
    ::getrlimit(RLIMIT_FSIZE, &unlimited);
    rlimit half = unlimited;
    half.rlim_cur = rlim_t(old.size() / 2);
    void (*handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &half);
    Undo full([&] {
        ::setrlimit(RLIMIT_FSIZE, &unlimited);
        std::signal(SIGXFSZ, handler);
    });
    notSaved(save([&] { full.Now(); }), "full disk");
    full.Now();

    // The folder may not be written to (the file itself may). Root's rights would pass
    // over the folder's mode: this thread acts as nobody meanwhile.
    const QByteArray home8 = QFile::encodeName(home.path());
    ::chmod(home8.constData(), 0555);
    const bool root = ::geteuid() == 0;
    if (root)
        ::setfsuid(65534);
    Undo locked([&] {
        if (root)
            ::setfsuid(0);
        ::chmod(home8.constData(), 0755);
    });
    notSaved(save([&] { locked.Now(); }), "locked folder");
    locked.Now();

    // Saved: the new game in the old file's place, with its permissions, nothing beside.
    EXPECT_TRUE(save().empty());
    EXPECT_EQ(ReadFile(path), game);
    EXPECT_FALSE(doc->IsModified());
    struct stat info;
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(Entries(home.path()), QStringList{QStringLiteral("old.ggf")});

    // Save As onto a folder: not saved, and the folder and the document's file stay.
    const QString folder = home.path() + QStringLiteral("/folder.ggf");
    QDir().mkpath(folder);
    doc->SetModifiedFlag();
    f.app.fileAnswers = {folder};
    ModalDriver driver;
    driver.AcceptMessageBox();
    f.Frame()->RouteCommand(ID_FILE_SAVE_AS);
    ASSERT_EQ(driver.messageBoxes.size(), 1u);
    EXPECT_TRUE(driver.messageBoxes[0].contains(folder));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(Entries(folder).isEmpty());
    EXPECT_EQ(doc->GetPathName(), path);
    EXPECT_TRUE(doc->IsModified());
}

namespace {

// Opens the FIFO's other end when the client has waited on it for a while: a test that
// would hang for ever fails instead.
class FifoRescue {
public:
    explicit FifoRescue(const QString& path) : m_path(QFile::encodeName(path)), m_thread([this] { Run(); }) {}
    ~FifoRescue()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }
    bool Rescued() const { return m_rescued; }

private:
    void Run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_wake.wait_for(lock, Scaled(std::chrono::seconds(2)), [this] { return m_done; })) {
            // Without a reader waiting this fails at once (ENXIO).
            const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                m_rescued = true;
                ::close(fd);
            }
        }
    }

    QByteArray m_path;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::atomic<bool> m_rescued{false};
    std::thread m_thread;
};

} // namespace

TEST(GameFiles, AFifoAPipeOrAFolderOpensNothingByAnyWay)
{
    Files f;
    const QString fifo = Folder() + QStringLiteral("fifo.ggf");
    QFile::remove(fifo);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = Folder() + QStringLiteral("folder.ggf");
    QDir().mkpath(folder);
    FifoRescue rescue(fifo);
    ModalDriver driver; // a box would be recorded

    // File > Open, of the FIFO and of a folder.
    f.Frame()->UpdateCommandUI();
    for (const QString& path : {fifo, folder}) {
        f.app.fileAnswers = {path};
        f.Frame()->GetCommandAction(ID_FILE_OPEN)->trigger();
    }
    // Handed over by the desktop ("/dde"), and printed from the command line ("/p",
    // "/pt printer"): nothing is printed and the program ends.
    for (const char* command : {"dde", "p", "pt"}) {
        CCommandLineInfo info;
        f.app.ParseCommandLine(info, {QStringLiteral("tavo"), QStringLiteral("/") + QLatin1String(command), fifo,
                                      QStringLiteral("printer")});
        EXPECT_EQ(f.app.ProcessShellCommand(info), command == std::string("dde")) << command;
    }
    // From the recent files: it leaves the list, as a file that has gone does.
    const QString good = WriteFile(QStringLiteral("good.ggf"), GgfText(kFirst));
    f.app.GetRecentFileList()->Add(good);
    f.app.GetRecentFileList()->Add(fifo);
    f.app.OnOpenRecentFile(ID_FILE_MRU_FILE1);
    EXPECT_EQ(f.app.GetRecentFileList()->Files(), QStringList{good});

    // A pipe that holds a whole game, its writer gone, is no file either.
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const std::string game = GgfText(kFirst);
    ASSERT_EQ(::write(ends[1], game.data(), game.size()), ssize_t(game.size()));
    ::close(ends[1]);
    f.app.fileAnswers = {QStringLiteral("/proc/self/fd/%1").arg(ends[0])};
    f.Frame()->GetCommandAction(ID_FILE_OPEN)->trigger();
    ::close(ends[0]);

    EXPECT_FALSE(rescue.Rescued());
    EXPECT_EQ(f.Windows(), 0);
    EXPECT_TRUE(driver.messageBoxes.empty());
    EXPECT_TRUE(f.app.pGameTemplate->GetDocuments().empty());
    QFile::remove(fifo);
}
