// The request of a match: board, specials, colour, clocks, opponent and whether it is
// rated, sent to the Reversi service as an "ask". The last request sent is the default
// of the next one and is kept in the settings.
#pragma once

#include "OsObjects.h"
#include "ServerOsTavo.h"
#include "mfc/Dialog.h"

#include <string>

class CDialogOsGameRequest : public CDialog {
public:
    explicit CDialogOsGameRequest(CServerOsTavo* server);
    // The same with the opponent filled in.
    CDialogOsGameRequest(CServerOsTavo* server, const std::string& opponent);

    void InitFromDefaults();
    // The defaults from the setting "os" / "grDefault", and back.
    static void LoadDefaults();
    static void SaveDefaults();
    // The defaults as the setting holds them: type, own clock, opponent's clock,
    // opponent, rated 0 or 1, separated by single blanks.
    static std::string DefaultsText();
    static void ReadDefaults(const std::string& text);

    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    void OnHelp();

    CServerOsTavoHandle m_pServer;
    COsMatchType m_matchType;
    CGGClock m_clocks[2]; // own, opponent's
    BOOL m_bAnti = 0;
    QString m_strBoard;
    QString m_strOpponent;
    BOOL m_bRand = 0;
    int m_nDiscs = 0;
    QString m_strMyTime;
    QString m_strOppTime;
    QString m_strColor;
    BOOL m_bRated = 0;

    static COsMatchType s_defaultType;
    static CGGClock s_defaultClocks[2];
    static std::string s_defaultOpponent;
    static bool s_bDefaultRated;

private:
    // The exchanged values from the terms, and the terms from them.
    void ShowTerms();
    void ReadTerms();
};

// The colour of a match type's kind as the request dialogs name it.
QString ColorName(char kind);
// A clock as the request dialogs show it: 15:00//2:00.
QString ClockText(const CGGClock& clock);
