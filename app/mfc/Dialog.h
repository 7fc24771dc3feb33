// Modal dialogs built from a dialog resource, with controls found by id, OK and
// Cancel handling, button click handlers and dialog data exchange (DDX/DDV); and
// modeless ones, which closing only hides.
#pragma once

#include "WinApp.h"
#include "Window.h"

#include <QDialog>
#include <functional>
#include <map>
#include <vector>

class CDialog;
class QRadioButton;

// The direction and outcome of one exchange between a dialog's fields and controls.
class CDataExchange {
public:
    CDataExchange(CDialog* dialog, bool save) : m_bSaveAndValidate(save), m_pDlgWnd(dialog) {}
    // Marks the exchange failed and puts the focus on the last control exchanged.
    void Fail();
    QWidget* PrepareCtrl(int id);

    bool m_bSaveAndValidate;
    CDialog* m_pDlgWnd;
    bool m_bFailed = false;
    QWidget* m_pLastControl = nullptr;
};

void DDX_Text(CDataExchange* dx, int id, QString& value);
// A number shown with up to 15 significant digits; a text that is not a number is
// refused with a message and fails the exchange.
void DDX_Text(CDataExchange* dx, int id, double& value);
// Limits what the last exchanged edit accepts and what it hands back.
void DDV_MaxChars(CDataExchange* dx, const QString& value, int count);
void DDX_Check(CDataExchange* dx, int id, BOOL& value);
// A whole number; an empty text or one that is not such a number is refused with a
// message and fails the exchange.
void DDX_Text(CDataExchange* dx, int id, int& value);
// A combo box with an editable field: towards the control the first list entry that
// begins with the text (case ignored) is selected, else the text is put into the field;
// back from it comes the field's text.
void DDX_CBString(CDataExchange* dx, int id, QString& value);
// The group of radio buttons that starts with `firstId`: the index of the checked one,
// -1 when none is.
void DDX_Radio(CDataExchange* dx, int firstId, int& value);

// The font of every dialog and its controls: 8-point sans-serif (Liberation Sans, which
// has Arial's measures), 11 pixels as on a 96-DPI screen whichever face is found.
QFont DialogFont();

// A dialog is owned by its parent window, by the main window when no parent is given
// (AfxGetSafeOwner): it stacks above its owner and opens centred on it. The owner does
// not delete it; it belongs to whoever made it.
class CDialog : public QDialog, public CCmdTarget {
public:
    explicit CDialog(UINT templateId, QWidget* parent = nullptr);

    // Builds the controls (once), initialises the dialog and runs it modally: IDOK,
    // IDCANCEL, or -1 when the template cannot be built.
    virtual int DoModal();
    // Modeless: builds the controls and initialises the dialog, not yet visible; the main
    // window owns it when no parent is given. Closing it (OK, Cancel, the close box) only
    // hides it. False when the template cannot be built.
    BOOL Create(QWidget* parent = nullptr);
    // Whether the dialog's controls have been built (by Create or DoModal).
    bool HasWindow() const { return m_bBuilt; }
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* dx) { (void)dx; }
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    void EndDialog(int result);
    // Moves the focus one control on in tab order, or to the given control.
    void NextDlgCtrl();
    void GotoDlgCtrl(QWidget* control);
    QWidget* GetFocusControl() const { return m_pFocus; }
    void ShowWindow(int cmdShow);
    void setVisible(bool visible) override;
    // A size event of the window: SIZE_RESTORED, SIZE_MAXIMIZED or SIZE_MINIMIZED with
    // the new client size.
    virtual void OnSize(UINT type, int cx, int cy);
    // Asked once at creation; the minimum tracking size set here holds for the client.
    virtual void OnGetMinMaxInfo(MINMAXINFO* info) { (void)info; }
    // A rectangle in dialog units, in pixels, its edges mapped one by one. A horizontal
    // unit is a quarter of the dialog font's average character width, a vertical one an
    // eighth of its height.
    QRect MapDialogRect(const QRect& units) const;

    // Used by the dialog resources while they build the controls.
    void AddControl(int id, QWidget* control);
    void AddRadio(int groupFirstId, int id, QRadioButton* button);
    QWidget* GetDlgItem(int id) const;
    const std::vector<QRadioButton*>* GetRadioGroup(int firstId) const;

protected:
    // Calls `handler` when button `id` is clicked.
    void OnButtonClicked(int id, std::function<void()> handler);
    void reject() override { OnCancel(); }
    void showEvent(QShowEvent* e) override;
    void accept() override { OnOK(); }
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    bool BuildControls();
    QWidget* NextTabControl(QWidget* from) const;

    UINT m_nIDTemplate;
    bool m_bBuilt = false;
    bool m_bModeless = false;
    // A modeless dialog has been given its place.
    bool m_bPlaced = false;
    QWidget* m_pFocus = nullptr;
    std::map<int, QWidget*> m_controls;
    std::map<int, std::vector<QRadioButton*>> m_radioGroups;
    std::map<int, std::function<void()>> m_clickHandlers;
};

// Builds the controls of dialog resource `id` into the dialog; false when there is no
// such resource.
bool BuildDialogResource(UINT id, CDialog& dialog);
