#include "Edit.h"

#include "Dialog.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QValidator>
#include <algorithm>

namespace {

// Turns the line breaks of an edit's text into blanks as the text changes, whichever
// way the change came: typing, pasting, dropping or setting it.
class COneLineValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& text, int& position) const override
    {
        (void)position;
        for (QChar& c : text)
            if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
                c = QLatin1Char(' ');
        return Acceptable;
    }
};

// The text as the widgets hold it: LF line ends, no CR.
QString WithoutCR(const QString& text)
{
    if (!text.contains(QLatin1Char('\r')))
        return text;
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.remove(QLatin1Char('\r'));
    return result;
}

} // namespace

void CEdit::Attach(QWidget* control)
{
    m_pLine = qobject_cast<QLineEdit*>(control);
    m_pText = qobject_cast<QPlainTextEdit*>(control);
    if (!m_pText)
        return;
    // Text added by the program is never undone; an undo history would keep every
    // character ever removed from a box that is trimmed as it grows.
    m_pText->setUndoRedoEnabled(false);
    // The user's own caret replaces a selection that waits for the pending text.
    QObject::connect(m_pText, &QPlainTextEdit::cursorPositionChanged, m_pText, [this] {
        if (!m_bOwnChange)
            m_bSelPending = false;
    });
}

QWidget* CEdit::GetControl() const
{
    if (m_pLine)
        return m_pLine;
    return m_pText;
}

int CEdit::DocumentLength() const
{
    const QTextDocument* document = m_pText->document();
    // The document counts one separator after every block, the last one included;
    // the control counts two between blocks and none after the last.
    return document->characterCount() - 1 + document->blockCount() - 1;
}

int CEdit::GetWindowTextLength() const
{
    if (m_pLine)
        return int(m_pLine->text().size());
    return m_pText ? DocumentLength() + int(m_pending.size()) : 0;
}

QString CEdit::GetWindowText()
{
    if (m_pLine)
        return m_pLine->text();
    Flush();
    return m_pText ? m_pText->toPlainText() : QString();
}

void CEdit::SetWindowText(const QString& text)
{
    if (m_pLine) {
        m_pLine->setText(WithoutCR(text));
    } else if (m_pText) {
        m_pending.clear();
        m_bSelPending = false;
        m_pText->setPlainText(WithoutCR(text));
    }
}

int CEdit::ToDocument(int position) const
{
    const QTextDocument* document = m_pText->document();
    if (position < 0 || position >= DocumentLength())
        return document->characterCount() - 1;
    int left = position;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const int length = block.length() - 1;
        if (left <= length)
            return block.position() + left;
        left -= length;
        if (!block.next().isValid())
            break;
        // A position inside the CR LF pair counts as the start of the next line.
        if (left <= 2)
            return block.next().position();
        left -= 2;
    }
    return document->characterCount() - 1;
}

void CEdit::SelectInDocument(int from, int to, bool noScroll)
{
    QTextCursor cursor(m_pText->document());
    cursor.setPosition(ToDocument(from));
    cursor.setPosition(ToDocument(to), QTextCursor::KeepAnchor);
    QScrollBar* bar = m_pText->verticalScrollBar();
    const int scrolled = bar->value();
    m_bOwnChange = true;
    m_pText->setTextCursor(cursor);
    m_bOwnChange = false;
    if (noScroll)
        bar->setValue(scrolled);
    else if (cursor.atEnd())
        bar->setValue(bar->maximum()); // the last line in full
}

void CEdit::SetSel(int start, int end, BOOL noScroll)
{
    const int length = GetWindowTextLength();
    const int to = end < 0 || end > length ? length : end;
    const int from = std::clamp(start, 0, to);
    if (m_pLine) {
        m_pLine->setSelection(from, to - from);
    } else if (m_pText && to <= DocumentLength() && !(from == length && to == length)) {
        m_bSelPending = false;
        SelectInDocument(from, to, noScroll);
    } else if (m_pText) {
        // The end, where text is added, or a range that reaches into the pending text.
        m_bSelPending = true;
        m_nSelFrom = from;
        m_nSelTo = to;
        m_bNoScroll = noScroll;
    }
}

void CEdit::ReplaceSel(const QString& text, BOOL canUndo)
{
    (void)canUndo;
    if (m_pLine) {
        m_pLine->insert(WithoutCR(text));
        return;
    }
    if (!m_pText)
        return;
    if (!m_bSelPending) {
        QTextCursor cursor = m_pText->textCursor();
        cursor.insertText(WithoutCR(text));
        m_bOwnChange = true;
        m_pText->setTextCursor(cursor);
        m_bOwnChange = false;
        return;
    }
    const int shown = DocumentLength();
    if (text.isEmpty()) {
        // Removed: what of the range is shown, then what of it is pending. A range that
        // ends between the CR and the LF of a line end takes the whole line end.
        const int pendingFrom = std::max(m_nSelFrom, shown) - shown;
        int pendingTo = m_nSelTo - shown;
        if (pendingTo > 0 && pendingTo < int(m_pending.size()) && m_pending[pendingTo - 1] == QLatin1Char('\r')
            && m_pending[pendingTo] == QLatin1Char('\n'))
            ++pendingTo;
        if (m_nSelFrom < shown) {
            QTextCursor cursor(m_pText->document());
            cursor.setPosition(ToDocument(m_nSelFrom));
            cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
            m_bOwnChange = true;
            cursor.removeSelectedText();
            m_bOwnChange = false;
        }
        m_pending.remove(pendingFrom, pendingTo - pendingFrom);
    } else if (m_nSelFrom >= shown) {
        m_pending.replace(m_nSelFrom - shown, m_nSelTo - m_nSelFrom, text);
    } else {
        Flush();
        SelectInDocument(m_nSelFrom, m_nSelTo, m_bNoScroll);
        ReplaceSel(text, canUndo);
        return;
    }
    m_nSelFrom = m_nSelTo = m_nSelFrom + int(text.size());
    if (!m_pending.isEmpty() && !m_bFlushQueued) {
        m_bFlushQueued = true;
        const qint64 since = m_sinceFlush.isValid() ? m_sinceFlush.elapsed() : kShowInterval;
        QTimer::singleShot(int(std::max<qint64>(0, kShowInterval - since)), m_pText, [this] { Flush(); });
    }
}

void CEdit::Flush()
{
    m_bFlushQueued = false;
    if (!m_pText || m_pending.isEmpty())
        return;
    QTextCursor end(m_pText->document());
    end.movePosition(QTextCursor::End);
    m_bOwnChange = true;
    end.insertText(WithoutCR(m_pending));
    m_bOwnChange = false;
    m_pending.clear();
    m_sinceFlush.start();
    if (m_bSelPending) {
        m_bSelPending = false;
        SelectInDocument(m_nSelFrom, m_nSelTo, m_bNoScroll);
    }
}

void CEdit::SetFocus()
{
    if (QWidget* control = GetControl())
        control->setFocus();
}

void DDX_Control(CDataExchange* dx, int id, CEdit& edit)
{
    if (!edit.GetControl())
        edit.Attach(dx->m_pDlgWnd->GetDlgItem(id));
}

QLineEdit* MakeOneLine(QLineEdit* edit)
{
    if (edit)
        edit->setValidator(new COneLineValidator(edit));
    return edit;
}

void KeepLineBreaks(QLineEdit* edit)
{
    if (edit && dynamic_cast<const COneLineValidator*>(edit->validator()))
        edit->setValidator(nullptr);
}
