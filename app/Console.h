// A text window for talking with the server: the raw server console, a window per user
// or channel, or the one joined chat window ".chat". The server's texts appear in the
// output box; a line typed into the input and sent with Enter goes to the server.
#pragma once

#include "mfc/Dialog.h"
#include "mfc/Edit.h"

#include <string>

class tavostream;

class CConsole : public CDialog {
public:
    // Creates the window and shows it at its place (PlaceNewWindow) without activating
    // it; "no parent" makes the main window its owner.
    CConsole(const std::string& name, tavostream* stream, bool raw, QWidget* parent = nullptr);
    ~CConsole() override;

    void DoDataExchange(CDataExchange* dx) override;
    // Sends the input line (Enter in the input).
    void OnOK() override;
    // Appends server text, first dropping the oldest text when the output has grown
    // past its bound.
    void AddText(const char* text);
    void AddText(const std::string& text);
    // Focus to the input, and the window restored and brought forward.
    void Activate();
    // Shows the window without taking the focus.
    void ShowNoActivate();
    // The joined window only: its input starts with the recipient and a blank.
    void PrefillInput();
    // The joined window only: the recipient of the lines typed without one.
    void SetRecipient(const std::string& name);
    void OnSize(UINT type, int cx, int cy) override;
    void OnGetMinMaxInfo(MINMAXINFO* info) override;

    CEdit m_editOutput;
    CEdit m_editInput;
    int m_cxLast = 0;
    int m_cyLast = 0;
    bool m_bSized = false;
    std::string m_sName;
    bool m_bRaw;
    // Null once the connection has ended.
    tavostream* m_pStream;

    // The output keeps at most this many characters before text is added; past it the
    // oldest text goes in pieces of kTrim characters.
    static constexpr int kBound = 20000;
    static constexpr int kTrim = 10000;
};

// The text with a CR before every LF that has none.
std::string ConvertToCRLF(const char* text);
