// The document of one game window: one game, live on the service or read from a file.
// Every change of the game reaches the window's views through it as a hint code; it
// sends the user's moves and comments, plays forced moves and passes when the user
// wishes so, carries the game commands and saves the game when its window closes.
#pragma once

#include "GameLive.h"
#include "mfc/Doc.h"

#include <string>

class CTavoDoc : public CDocument, public CGameLive {
public:
    // The hint codes: what changed, for the views and panes.
    enum Hint : int {
        kHintIdle = 0,      // nothing changed; live clocks are redrawn
        kHintLoaded = 1,    // a game was loaded into a new window
        kHintJoined = 2,    // a whole new state of the game arrived
        kHintMove = 3,      // one move was added at the end
        kHintEcho = 4,      // the server's echo of the user's own move, already played here
        kHintEnded = 5,     // the game ended: the final record
        kHintComments = 6,  // the comment list changed
        kHintOptions = 7,   // the display options changed
        kHintStyle = 8,     // the board style changed
        kHintDetached = 9,  // the game was detached from the service
        kHintStart = 10,    // show the start position
        kHintBack = 11,     // replay one move back
        kHintForward = 12,  // replay one move forward
        kHintCurrent = 13,  // back to the current position
        kHintLast = kHintCurrent,
    };

    // How much of a file Open reads.
    static constexpr size_t kMaxFileText = 256 * 1024;

    CTavoDoc();
    ~CTavoDoc() override;

    BOOL OnOpenDocument(const QString& path) override;
    BOOL OnSaveDocument(const QString& path) override;
    void OnCloseDocument() override;
    BOOL SaveModified() override;

    // The one entry for changes of the game: takes the game (the document's own may be
    // passed) and tells the views.
    virtual void OnGameChanged(const COsGame& game, int code);
    // Sends the user's move with its evaluation (a komi game's first move: the bid) and
    // plays it here at once, unless it is a bid.
    virtual void SendMove(const COsMove& move, double eval);
    virtual void SendComment(const std::string& text);
    void Detach() override;
    void AddComment(const std::string& text) override;

    // On the user's turn: the forced move or the pass, as the settings say.
    void AutoPlay();
    // "black vs white  date", with " 0" or " 1" for a synchro game; the file form has
    // '_' for every character that a file name should not have.
    void SetGameTitle(bool fileForm);
    // The folder of the document's file, with its '/'; empty when there is none.
    std::string GetAutosaveDir() const;
    void BringViewToTop();

private:
    // Undo, Break, Resign and Abort: only while the user plays the game and it goes on.
    bool CanSendGameCommand() const;
    void GameCommand(const char* command);
    // Where an autosave into the folder may write without replacing another game.
    QString FreeAutosavePath(const QString& folder) const;
};
