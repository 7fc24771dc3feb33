// Edit controls: a one-line edit (QLineEdit) or a multi-line one (QPlainTextEdit),
// reached through one small interface bound to the dialog's control.
#pragma once

#include "Afx.h"

#include <QElapsedTimer>
#include <QString>

class CDataExchange;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

// Positions and lengths count what the control holds with CR LF line ends: a line end
// is two characters, so a text trims at the same place whichever widget shows it.
// Texts handed in may end their lines with CR LF or LF alone.
//
// A multi-line control takes text added at its end at once but shows it when the
// window thread next has time, and not more often than every kShowInterval ms,
// however many pieces came meanwhile; removing text from its front works on that
// pending text as well. So a flood of text costs one layout of what remains of it now
// and then, not one per piece.
class CEdit {
public:
    static constexpr int kShowInterval = 50;

    void Attach(QWidget* control);
    QWidget* GetControl() const;

    int GetWindowTextLength() const;
    // The text with LF line ends.
    QString GetWindowText();
    void SetWindowText(const QString& text);
    // Selects from `start` to `end`; an `end` of -1 or past the text selects to its end.
    // Unless `noScroll` is set the view scrolls to the caret.
    void SetSel(int start, int end, BOOL noScroll = FALSE);
    // Replaces the selection by the text; the caret goes after it. The multi-line
    // control is changed without undo in any case (it keeps no undo history).
    void ReplaceSel(const QString& text, BOOL canUndo = FALSE);
    void SetFocus();
    // Shows the text added so far.
    void Flush();

private:
    // The document position of a position as the control counts it.
    int ToDocument(int position) const;
    int DocumentLength() const;
    void SelectInDocument(int from, int to, bool noScroll);

    QLineEdit* m_pLine = nullptr;
    QPlainTextEdit* m_pText = nullptr;
    // Text after the document's end, not shown yet (CR LF line ends).
    QString m_pending;
    bool m_bFlushQueued = false;
    QElapsedTimer m_sinceFlush;
    // A selection that reaches into the pending text, in the control's positions;
    // while it is not set the widget's own selection holds.
    bool m_bSelPending = false;
    int m_nSelFrom = 0;
    int m_nSelTo = 0;
    bool m_bNoScroll = false;
    // Set while the program itself moves the widget's caret.
    bool m_bOwnChange = false;
};

// Binds the control of `id` to the edit when the exchange first meets it.
void DDX_Control(CDataExchange* dx, int id, CEdit& edit);

// A one-line edit of the platform never holds a line break: every CR and LF pasted,
// dropped or set into it becomes a blank, so that its text never reaches the server as
// more than one line. The dialog resources make every one-line edit so.
QLineEdit* MakeOneLine(QLineEdit* edit);
// Lets the edit keep the line breaks pasted into it, for an input whose every line is
// meant as a line of its own.
void KeepLineBreaks(QLineEdit* edit);
