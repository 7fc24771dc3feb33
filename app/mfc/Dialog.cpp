#include "Dialog.h"

#include "Gdi.h"
#include "ListCtrl.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QShowEvent>
#include <cmath>

void CDataExchange::Fail()
{
    m_bFailed = true;
    if (m_pLastControl) {
        m_pLastControl->setFocus();
        if (auto* edit = qobject_cast<QLineEdit*>(m_pLastControl))
            edit->selectAll();
    }
}

QWidget* CDataExchange::PrepareCtrl(int id)
{
    QWidget* control = m_pDlgWnd->GetDlgItem(id);
    ASSERT(control != nullptr);
    m_pLastControl = control;
    return control;
}

namespace {

// The control of `id` as a W; null when the exchange has failed already or the control
// is of another kind.
template <class W>
W* PrepareCtrlAs(CDataExchange* dx, int id)
{
    return dx->m_bFailed ? nullptr : qobject_cast<W*>(dx->PrepareCtrl(id));
}

// Refuses what was entered: the message, then the focus back on the control.
void Refuse(CDataExchange* dx, const QString& message)
{
    AfxMessageBox(message, MB_OK | MB_ICONEXCLAMATION, 0);
    dx->Fail();
}

} // namespace

void DDX_Text(CDataExchange* dx, int id, QString& value)
{
    if (dx->m_bFailed)
        return;
    QWidget* control = dx->PrepareCtrl(id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        if (dx->m_bSaveAndValidate)
            value = edit->text();
        else
            edit->setText(value);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        if (dx->m_bSaveAndValidate)
            value = label->text();
        else
            label->setText(value);
    }
}

void DDX_Text(CDataExchange* dx, int id, double& value)
{
    auto* edit = PrepareCtrlAs<QLineEdit>(dx, id);
    if (!edit)
        return;
    if (!dx->m_bSaveAndValidate) {
        edit->setText(QString::number(value, 'g', 15));
        return;
    }
    bool ok = false;
    const double read = edit->text().trimmed().toDouble(&ok);
    // "nan" and "inf" read as numbers here, but they are none.
    if (!ok || !std::isfinite(read))
        Refuse(dx, QStringLiteral("Please enter a number."));
    else
        value = read;
}

void DDV_MaxChars(CDataExchange* dx, const QString& value, int count)
{
    if (dx->m_bFailed)
        return;
    auto* edit = qobject_cast<QLineEdit*>(dx->m_pLastControl);
    if (!dx->m_bSaveAndValidate) {
        if (edit)
            edit->setMaxLength(count);
    } else if (value.size() > count) {
        Refuse(dx, QStringLiteral("Enter no more than %1 characters.").arg(count));
    }
}

void DDX_Check(CDataExchange* dx, int id, BOOL& value)
{
    auto* box = PrepareCtrlAs<QCheckBox>(dx, id);
    if (!box)
        return;
    if (dx->m_bSaveAndValidate)
        value = box->isChecked() ? 1 : 0;
    else
        box->setChecked(value != 0);
}

void DDX_Text(CDataExchange* dx, int id, int& value)
{
    auto* edit = PrepareCtrlAs<QLineEdit>(dx, id);
    if (!edit)
        return;
    if (!dx->m_bSaveAndValidate) {
        edit->setText(QString::number(value));
        return;
    }
    bool ok = false;
    const int read = edit->text().trimmed().toInt(&ok);
    if (!ok)
        Refuse(dx, QStringLiteral("Please enter an integer."));
    else
        value = read;
}

void DDX_CBString(CDataExchange* dx, int id, QString& value)
{
    auto* combo = PrepareCtrlAs<QComboBox>(dx, id);
    if (!combo)
        return;
    if (dx->m_bSaveAndValidate) {
        value = combo->currentText();
        return;
    }
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i).startsWith(value, Qt::CaseInsensitive)) {
            combo->setCurrentIndex(i);
            return;
        }
    }
    combo->setCurrentIndex(-1);
    combo->setEditText(value);
}

void DDX_Radio(CDataExchange* dx, int firstId, int& value)
{
    if (dx->m_bFailed)
        return;
    dx->PrepareCtrl(firstId);
    const std::vector<QRadioButton*>* group = dx->m_pDlgWnd->GetRadioGroup(firstId);
    if (!group)
        return;
    if (dx->m_bSaveAndValidate) {
        value = -1;
        for (size_t i = 0; i < group->size(); ++i)
            if ((*group)[i]->isChecked())
                value = int(i);
        return;
    }
    for (size_t i = 0; i < group->size(); ++i) {
        QRadioButton* button = (*group)[i];
        // Exclusive buttons cannot all be cleared one by one.
        button->setAutoExclusive(false);
        button->setChecked(int(i) == value);
        button->setAutoExclusive(true);
    }
}

QFont DialogFont()
{
    CFont font;
    font.CreatePointFont(80, "Liberation Sans");
    return font.GetQFont();
}

CDialog::CDialog(UINT templateId, QWidget* parent)
    : QDialog(AfxGetSafeOwner(parent)), m_nIDTemplate(templateId)
{
    setFont(DialogFont());
}

QRect CDialog::MapDialogRect(const QRect& units) const
{
    // The platform's base units: the average width of the letters, rounded, and the
    // height of the font.
    const QFontMetrics metrics(font());
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int baseX = (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2;
    const int baseY = metrics.height();
    const auto across = [baseX](int n) { return (n * baseX + 2) / 4; };
    const auto down = [baseY](int n) { return (n * baseY + 4) / 8; };
    // Each edge is mapped, as the platform maps a rectangle's four sides: controls that
    // meet in units meet in pixels, and one that ends at the dialog's edge ends there.
    const int left = across(units.x());
    const int top = down(units.y());
    return QRect(left, top, across(units.x() + units.width()) - left, down(units.y() + units.height()) - top);
}

bool CDialog::BuildControls()
{
    if (m_bBuilt)
        return true;
    if (!BuildDialogResource(m_nIDTemplate, *this))
        return false;
    m_bBuilt = true;
    for (const auto& control : m_controls) {
        auto* button = qobject_cast<QAbstractButton*>(control.second);
        if (!button || qobject_cast<QRadioButton*>(button) || qobject_cast<QCheckBox*>(button))
            continue;
        const int id = control.first;
        connect(button, &QAbstractButton::clicked, this, [this, id] {
            if (id == IDOK)
                OnOK();
            else if (id == IDCANCEL)
                OnCancel();
            else if (const auto handler = m_clickHandlers.find(id); handler != m_clickHandlers.end())
                handler->second();
        });
    }
    return true;
}

int CDialog::DoModal()
{
    if (!BuildControls())
        return -1;
    m_pFocus = NextTabControl(this);
    if (OnInitDialog() && m_pFocus)
        m_pFocus = NextTabControl(this);
    if (m_pFocus)
        m_pFocus->setFocus();
    return exec();
}

BOOL CDialog::Create(QWidget* parent)
{
    parent = AfxGetSafeOwner(parent);
    if (parent != parentWidget())
        setParent(parent, windowFlags());
    if (!BuildControls())
        return FALSE;
    m_bModeless = true;
    MINMAXINFO info{QPoint(minimumWidth(), minimumHeight())};
    OnGetMinMaxInfo(&info);
    setMinimumSize(info.ptMinTrackSize.x(), info.ptMinTrackSize.y());
    m_pFocus = NextTabControl(this);
    if (OnInitDialog() && m_pFocus)
        m_pFocus = NextTabControl(this);
    // A list whose columns were widened to show their titles is as much wider, and the
    // window with it: it shows as many columns as its template made room for.
    for (const auto& control : m_controls)
        if (auto* list = dynamic_cast<CListCtrl*>(control.second); list && list->GetTitleWidening() > 0) {
            list->resize(list->width() + list->GetTitleWidening(), list->height());
            resize(width() + list->GetTitleWidening(), height());
        }
    return TRUE;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate != 0);
    DoDataExchange(&dx);
    return !dx.m_bFailed;
}

void CDialog::EndDialog(int result)
{
    done(result);
}

QWidget* CDialog::NextTabControl(QWidget* from) const
{
    for (QWidget* w = from->nextInFocusChain(); w && w != this; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && !w->isHidden())
            return w;
    return nullptr;
}

void CDialog::GotoDlgCtrl(QWidget* control)
{
    m_pFocus = control;
    if (control)
        control->setFocus();
}

void CDialog::NextDlgCtrl()
{
    QWidget* from = m_pFocus ? m_pFocus : focusWidget();
    if (QWidget* next = NextTabControl(from ? from : this))
        GotoDlgCtrl(next);
}

void CDialog::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (m_pFocus)
        m_pFocus->setFocus();
}

void CDialog::ShowWindow(int cmdShow)
{
    if (cmdShow == SW_HIDE) {
        hide();
    } else if (cmdShow == SW_RESTORE) {
        showNormal();
        raise();
        activateWindow();
    } else if (cmdShow == SW_SHOWNOACTIVATE) {
        const bool kept = m_bModeless || testAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_ShowWithoutActivating);
        if (isMinimized())
            showNormal();
        else
            show();
        setAttribute(Qt::WA_ShowWithoutActivating, kept);
    } else {
        // A window that was hidden comes up as the active one; one already shown stays
        // as it is.
        const bool hidden = !isVisible();
        show();
        if (hidden && m_bModeless)
            activateWindow();
    }
}

void CDialog::setVisible(bool visible)
{
    // Only a dialog that starts selects the text of the edit that gets the focus: a
    // modeless window shown again keeps that edit's caret and selection.
    QWidget* focus = m_pFocus ? m_pFocus : focusWidget();
    auto* edit = m_bModeless && visible && !isVisible() ? qobject_cast<QLineEdit*>(focus) : nullptr;
    const int start = edit ? int(edit->selectionStart()) : -1;
    const int length = edit ? int(edit->selectionLength()) : 0;
    const int cursor = edit ? edit->cursorPosition() : 0;
    if (m_bModeless && visible && !m_bPlaced) {
        m_bPlaced = true;
        PlaceNewWindow(this);
        // A modeless window takes the focus only when it is asked to (SW_SHOW of a hidden
        // window, SW_RESTORE): one that the program shows by itself leaves the keyboard
        // with the window the user is in. Qt tells the window system as the window is made.
        setAttribute(Qt::WA_ShowWithoutActivating);
    }
    QDialog::setVisible(visible);
    if (edit && start >= 0)
        edit->setSelection(start, length);
    else if (edit)
        edit->setCursorPosition(cursor);
}

void CDialog::OnSize(UINT type, int cx, int cy)
{
    (void)type;
    (void)cx;
    (void)cy;
}

void CDialog::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    const UINT type = isMinimized() ? SIZE_MINIMIZED : isMaximized() ? SIZE_MAXIMIZED : SIZE_RESTORED;
    OnSize(type, e->size().width(), e->size().height());
}

void CDialog::keyPressEvent(QKeyEvent* e)
{
    // Enter chooses the default button even when it is hidden, and OK when the dialog
    // has none, as the platform's dialogs do.
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && e->modifiers() == Qt::NoModifier) {
        QPushButton* byDefault = nullptr;
        for (const auto& control : m_controls)
            if (auto* button = qobject_cast<QPushButton*>(control.second); button && button->isDefault())
                byDefault = button;
        if (!byDefault) {
            if (auto* focused = qobject_cast<QPushButton*>(focusWidget()))
                focused->click();
            else
                OnOK();
            return;
        }
        if (!byDefault->isVisible()) {
            byDefault->click();
            return;
        }
    }
    QDialog::keyPressEvent(e);
}

void CDialog::AddControl(int id, QWidget* control)
{
    m_controls[id] = control;
}

void CDialog::AddRadio(int groupFirstId, int id, QRadioButton* button)
{
    m_controls[id] = button;
    m_radioGroups[groupFirstId].push_back(button);
}

QWidget* CDialog::GetDlgItem(int id) const
{
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

const std::vector<QRadioButton*>* CDialog::GetRadioGroup(int firstId) const
{
    const auto it = m_radioGroups.find(firstId);
    return it == m_radioGroups.end() ? nullptr : &it->second;
}

void CDialog::OnButtonClicked(int id, std::function<void()> handler)
{
    m_clickHandlers[id] = std::move(handler);
}
