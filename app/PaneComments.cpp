#include "PaneComments.h"

#include "Console.h"
#include "Tavo.h"
#include "TavoDoc.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

// The input's edit: Enter sends its text instead of going into it.
class CommentLine : public QLineEdit {
public:
    // The pane is the one being made around the edit: it is reached only once made.
    explicit CommentLine(CPaneCommentsIn* pane) : m_pane(pane)
    {
        // The pane draws the one outline there is.
        setFrame(false);
    }

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
            m_pane->OnEnter();
            return;
        }
        QLineEdit::keyPressEvent(e);
    }

private:
    CPaneCommentsIn* m_pane;
};

// The output's edit: read-only, scrolled by its bar and the wheel; a click in its text
// neither moves the caret, selects, nor takes the focus.
class CommentText : public QPlainTextEdit {
public:
    CommentText()
    {
        setReadOnly(true);
        setFrameShape(QFrame::NoFrame);
        setFocusPolicy(Qt::NoFocus);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }

protected:
    void mousePressEvent(QMouseEvent* e) override { e->accept(); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { e->accept(); }
    void mouseMoveEvent(QMouseEvent* e) override { e->accept(); }
    void mouseReleaseEvent(QMouseEvent* e) override { e->accept(); }
};

} // namespace

CPaneComments::CPaneComments(QWidget* owner, CPane* parent, int left, int top, int right, int bottom,
                             std::unique_ptr<QWidget> window)
    : CPaneGame(owner, parent, left, top, right, bottom), m_pWindow(std::move(window))
{
    ASSERT(m_pWindow != nullptr);
    if (!m_pWindow)
        return;
    Attach(m_pWindow.get());
    m_pWindow->setParent(owner);
    CRect rect = GetWindowRect();
    rect.DeflateRect(1, 1);
    m_pWindow->setGeometry(ToQRect(rect));
    m_pWindow->setFont(GetFont()->GetQFont());
    // The edit paints all of its area: a repaint of it leaves the view below alone.
    m_pWindow->setAutoFillBackground(true);
    CtlColor();
    m_pWindow->setAttribute(Qt::WA_ShowWithoutActivating);
    m_pWindow->show();
}

CPaneComments::~CPaneComments() = default;

CFont* CPaneComments::GetFont()
{
    static CFont font;
    if (!font.IsCreated())
        font.CreatePointFont(90, "Arial");
    return &font;
}

void CPaneComments::CtlColor()
{
    if (!m_pWindow)
        return;
    const CBoardStyle* style = TavoApp()->GetBoardStyle();
    QPalette palette = m_pWindow->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Text, ToQColor(style->crText));
        palette.setColor(group, QPalette::Base, ToQColor(style->crBackground));
        palette.setColor(group, QPalette::Window, ToQColor(style->crBackground));
    }
    if (palette != m_pWindow->palette())
        m_pWindow->setPalette(palette);
}

void CPaneComments::Draw(CDC* dc)
{
    // The view paints before the edits inside it: they repaint in the style's colours.
    CtlColor();
    CRect rect = DrawOutline(dc);
    // On paper the edit is drawn as well, where it sits, with all of its text.
    if (dc->IsPrinting() && m_pWindow && !m_pWindow->isHidden()) {
        Flush();
        rect.DeflateRect(1, 1);
        dc->DrawWindow(m_pWindow.get(), rect);
    }
}

// ---------------------------------------------------------------------------------

CPaneCommentsIn::CPaneCommentsIn(QWidget* owner, CPane* parent, int left, int top, int right, int bottom)
    : CPaneComments(owner, parent, left, top, right, bottom, std::make_unique<CommentLine>(this))
{
}

void CPaneCommentsIn::Update(LPARAM hint)
{
    ASSERT(hint >= CTavoDoc::kHintIdle && hint <= CTavoDoc::kHintLast);
    if (hint != CTavoDoc::kHintDetached || !GetWindow())
        return;
    // The keys the user types next go to the window, not to the next control in it.
    if (GetWindow()->hasFocus())
        m_pOwner->setFocus();
    GetWindow()->hide();
}

void CPaneCommentsIn::OnEnter()
{
    QString text = GetWindowText();
    // A comment is one line: line breaks pasted into the field go out as blanks, so
    // that no text of the user's reaches the server as a command line of its own.
    for (QChar& c : text)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    CTavoDoc* doc = GetDocument();
    if (!text.isEmpty() && doc && doc->GetServer())
        doc->SendComment(ToStd(text));
    SetWindowText(QString());
}

// ---------------------------------------------------------------------------------

CPaneCommentsOut::CPaneCommentsOut(QWidget* owner, CPane* parent, int left, int top, int right, int bottom)
    : CPaneComments(owner, parent, left, top, right, bottom, std::make_unique<CommentText>())
{
}

void CPaneCommentsOut::Update(LPARAM hint)
{
    switch (hint) {
    case CTavoDoc::kHintComments:
        AddNewComments();
        break;
    case CTavoDoc::kHintLoaded:
    case CTavoDoc::kHintStart:
    case CTavoDoc::kHintBack:
    case CTavoDoc::kHintForward:
    case CTavoDoc::kHintCurrent:
        Refill();
        break;
    case CTavoDoc::kHintIdle:
    case CTavoDoc::kHintJoined:
    case CTavoDoc::kHintMove:
    case CTavoDoc::kHintEcho:
    case CTavoDoc::kHintEnded:
    case CTavoDoc::kHintOptions:
    case CTavoDoc::kHintStyle:
    case CTavoDoc::kHintDetached:
        break;
    default:
        ASSERT(false);
        break;
    }
}

void CPaneCommentsOut::Refill()
{
    Show(0, true);
}

void CPaneCommentsOut::AddNewComments()
{
    const CGameLive* game = GetGame();
    if (!game)
        return;
    if (game->GetCommentsDropped() != m_nFirstShown)
        Refill();
    else
        Show(m_nEndShown - m_nFirstShown, false);
}

void CPaneCommentsOut::Show(size_t from, bool replace)
{
    const CGameLive* game = GetGame();
    if (!GetWindow() || !game)
        return;
    const std::vector<std::string>& comments = game->GetComments();
    std::string text;
    for (size_t i = from; i < comments.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += ConvertToCRLF(comments[i].c_str());
    }
    m_nFirstShown = game->GetCommentsDropped();
    m_nEndShown = m_nFirstShown + comments.size();
    if (replace) {
        SetSel(0, -1, TRUE);
        ReplaceSel(QString(), FALSE);
    }
    if (text.empty())
        return;
    // Added at the end, where the edit shows it (the caret after it, in view) when the
    // window thread next has time: a flood of comments costs a layout now and then, not
    // one per comment.
    const int length = GetWindowTextLength();
    SetSel(length, length, FALSE);
    ReplaceSel(ToQ(text), FALSE);
}
