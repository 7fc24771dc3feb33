#include "Console.h"

#include "Tavo.h"
#include "TavoGGSStream.h"
#include "res/Resource.h"

#include <QLineEdit>
#include <cstring>

namespace {

bool UnifiedChat()
{
    CTavoApp* app = TavoApp();
    return app && app->fUnifiedChat;
}

std::string ConvertToCRLF(const char* text, size_t size)
{
    std::string result;
    result.reserve(size + size / 16);
    for (size_t i = 0; i < size; ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            result += '\r';
        result += text[i];
    }
    return result;
}

} // namespace

std::string ConvertToCRLF(const char* text)
{
    return ConvertToCRLF(text, std::strlen(text));
}

CConsole::CConsole(const std::string& name, tavostream* stream, bool raw, QWidget* parent)
    : CDialog(IDD_CONSOLE, parent), m_sName(name), m_bRaw(raw), m_pStream(stream)
{
    if (!Create(parent))
        return;
    // The raw console sends every line pasted into its input as a command of its own.
    if (m_bRaw)
        KeepLineBreaks(qobject_cast<QLineEdit*>(m_editInput.GetControl()));
    setWindowTitle(ToQ(m_sName));
    if (UnifiedChat() && m_sName == ".chat") {
        if (m_pStream && m_pStream->lastTellPartner.empty())
            m_pStream->lastTellPartner = ".chat";
        PrefillInput();
    }
    // A window opened by the server's text leaves the keyboard where the user is; the
    // commands that open one activate it themselves.
    ShowWindow(SW_SHOWNOACTIVATE);
}

CConsole::~CConsole() = default;

void CConsole::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_CONSOLE_OUTPUT, m_editOutput);
    DDX_Control(dx, IDC_CONSOLE_INPUT, m_editInput);
}

void CConsole::OnOK()
{
    if (!m_pStream) {
        m_editOutput.ReplaceSel(QStringLiteral("[ERR not connected]\r\n"));
        return;
    }
    // Only the raw console's input holds line breaks: each pasted line goes out as a
    // command, ended by LF alone.
    QString typed = m_editInput.GetWindowText();
    typed.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    typed.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    std::string text = ToStd(typed);
    const int length = m_editOutput.GetWindowTextLength();
    m_editOutput.SetSel(length, length);
    m_editOutput.ReplaceSel(ToQ(text) + QStringLiteral("\r\n"));
    m_editInput.SetWindowText(QString());
    text += "\n";
    if (m_bRaw) {
        *m_pStream << text;
        m_pStream->flush();
    } else if (UnifiedChat() && m_sName == ".chat") {
        // The first word of the line names the recipient, a user or a channel.
        const std::string::size_type blank = text.find(' ');
        if (blank != std::string::npos) {
            *m_pStream << "t " << text;
            m_pStream->flush();
            m_pStream->lastTellPartner = text.substr(0, blank);
        } else {
            m_editOutput.ReplaceSel(
                QStringLiteral("Please enter the user name or channel, then a space, then your message\r\n"));
        }
        PrefillInput();
    } else {
        *m_pStream << "t " << m_sName << " " << text;
        m_pStream->flush();
    }
}

void CConsole::AddText(const char* text)
{
    AddText(std::string(text));
}

void CConsole::AddText(const std::string& text)
{
    QString added = ToQ(ConvertToCRLF(text.data(), text.size()));
    int length = m_editOutput.GetWindowTextLength();
    if (length > kBound) {
        // As many pieces as bring the output back within its bound, so that it cannot
        // grow however large the texts that arrive.
        const int cut = (length - kBound + kTrim - 1) / kTrim * kTrim;
        m_editOutput.SetSel(0, cut, TRUE);
        m_editOutput.ReplaceSel(QString(), FALSE);
        length -= cut;
    }
    // A text larger than the whole bound shows its end.
    if (added.size() > kBound) {
        added = added.right(kBound);
        if (added.front() == QLatin1Char('\n') || added.front().isLowSurrogate())
            added.remove(0, 1);
    }
    m_editOutput.SetSel(length, length);
    m_editOutput.ReplaceSel(added, FALSE);
}

void CConsole::Activate()
{
    m_editInput.SetFocus();
    ShowWindow(SW_RESTORE);
}

void CConsole::ShowNoActivate()
{
    ShowWindow(SW_SHOWNOACTIVATE);
}

void CConsole::PrefillInput()
{
    ASSERT(m_sName == ".chat");
    if (UnifiedChat() && m_pStream && !m_pStream->lastTellPartner.empty())
        m_editInput.SetWindowText(ToQ(m_pStream->lastTellPartner + " "));
    else
        m_editInput.SetWindowText(QString());
    const int length = m_editInput.GetWindowTextLength();
    m_editInput.SetSel(length, length);
}

void CConsole::SetRecipient(const std::string& name)
{
    const bool joined = UnifiedChat() && m_sName == ".chat";
    ASSERT(joined);
    if (!joined || !m_pStream)
        return;
    m_pStream->lastTellPartner = name;
    PrefillInput();
}

void CConsole::OnSize(UINT type, int cx, int cy)
{
    CDialog::OnSize(type, cx, cy);
    if (type != SIZE_RESTORED && type != SIZE_MAXIMIZED)
        return;
    if (!m_bSized) {
        m_cxLast = cx;
        m_cyLast = cy;
        m_bSized = true;
        return;
    }
    const int dx = cx - m_cxLast;
    const int dy = cy - m_cyLast;
    MoveWindowEdges(m_editOutput.GetControl(), 0, 0, dx, dy);
    MoveWindowEdges(m_editInput.GetControl(), 0, dy, dx, dy);
    m_cxLast = cx;
    m_cyLast = cy;
}

void CConsole::OnGetMinMaxInfo(MINMAXINFO* info)
{
    CDialog::OnGetMinMaxInfo(info);
    info->ptMinTrackSize = QPoint(100, 100);
}
