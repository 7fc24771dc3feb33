// Game files: opening archives and single games, saving, the File commands, the recent
// files, files handed over by the desktop, and files that are not games at all.
#include "GameTestSupport.h"

#include "MainFrm.h"
#include "mfc/Frame.h"
#include "res/Resource.h"

#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <fstream>
#include <iostream>
#include <gtest/gtest.h>
#include <random>

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

    // A file that cannot be written: not saved, still modified.
    doc->SetModifiedFlag();
    EXPECT_FALSE(doc->OnSaveDocument(Folder() + QStringLiteral("no/such/folder.ggf")));
    EXPECT_TRUE(doc->IsModified());

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
    // Thousands of small files: in memory where the system has a place for them.
    const QString folder = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/") : Folder();
    const QString stem = folder + QStringLiteral("tavo-%1-").arg(QCoreApplication::applicationPid());
    const QString in = stem + QStringLiteral("real.ggf");
    const QString out = stem + QStringLiteral("saved.ggf");
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
    QFile::remove(in);
    QFile::remove(out);
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
