// The dialog templates: each builds its controls, in tab order, into a dialog and
// files them under their ids.
#include "Icons.h"
#include "Resource.h"
#include "mfc/Dialog.h"
#include "mfc/Edit.h"
#include "mfc/ListCtrl.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <initializer_list>
#include <type_traits>

namespace {

// The templates' spacing, in dialog units: controls stand kMargin in from the dialog's
// edges, kGapAcross apart side by side and kGapDown apart one above the other.
constexpr int kMargin = 7;
constexpr int kGapAcross = 4;
constexpr int kGapDown = 3;

int Across(const CDialog& dialog, int units)
{
    return dialog.MapDialogRect(QRect(0, 0, units, 0)).width();
}

int Down(const CDialog& dialog, int units)
{
    return dialog.MapDialogRect(QRect(0, 0, 0, units)).height();
}

// The layout spaced as the templates are, `margin` units in from the edges of what it
// fills.
template <class L>
L* Spaced(const CDialog& dialog, L* layout, int margin = 0)
{
    layout->setContentsMargins(Across(dialog, margin), Down(dialog, margin), Across(dialog, margin),
                               Down(dialog, margin));
    if constexpr (std::is_same_v<L, QGridLayout>) {
        layout->setHorizontalSpacing(Across(dialog, kGapAcross));
        layout->setVerticalSpacing(Down(dialog, kGapDown));
    } else if constexpr (std::is_same_v<L, QHBoxLayout>) {
        layout->setSpacing(Across(dialog, kGapAcross));
    } else {
        layout->setSpacing(Down(dialog, kGapDown));
    }
    return layout;
}

// The layout of a group box: its members a little in from the frame, below the title
// (which the box keeps room for itself).
template <class L>
L* GroupLayout(const CDialog& dialog, QGroupBox* box)
{
    auto* layout = Spaced(dialog, new L(box));
    layout->setContentsMargins(Across(dialog, 4), Down(dialog, 1), Across(dialog, 4), Down(dialog, 3));
    return layout;
}

// The dialog's client size in dialog units. A dialog laid out by a layout grows should
// its controls need more room than that.
void SizeInUnits(CDialog& dialog, int cx, int cy)
{
    dialog.resize(dialog.MapDialogRect(QRect(0, 0, cx, cy)).size());
}

// Files the control under its id, by which the dialog and the tests find it.
template <class W>
W* Filed(CDialog& dialog, int id, W* control)
{
    control->setObjectName(QStringLiteral("control%1").arg(id));
    dialog.AddControl(id, control);
    return control;
}

QLineEdit* Edit(CDialog& dialog, int id)
{
    return Filed(dialog, id, MakeOneLine(new QLineEdit(&dialog)));
}

QPushButton* Button(CDialog& dialog, int id, const QString& text, bool isDefault = false)
{
    auto* button = Filed(dialog, id, new QPushButton(text, &dialog));
    button->setDefault(isDefault);
    button->setAutoDefault(isDefault);
    return button;
}

// A text that wraps at the width it is given.
QLabel* Text(CDialog& dialog, const QString& text, int id = -1)
{
    auto* label = new QLabel(text, &dialog);
    label->setWordWrap(true);
    return id >= 0 ? Filed(dialog, id, label) : label;
}

// The label of a field, on one line.
QLabel* Label(QWidget* parent, const QString& text)
{
    return new QLabel(text, parent);
}

// A group box with radio buttons; the first one's id names the group.
QGroupBox* RadioGroup(CDialog& dialog, const QString& title,
                      std::initializer_list<std::pair<int, const char*>> buttons)
{
    auto* box = new QGroupBox(title, &dialog);
    auto* layout = GroupLayout<QVBoxLayout>(dialog, box);
    auto* group = new QButtonGroup(box);
    const int first = buttons.begin()->first;
    for (const auto& entry : buttons) {
        auto* radio = new QRadioButton(QString::fromUtf8(entry.second), box);
        radio->setObjectName(QStringLiteral("control%1_%2").arg(first).arg(entry.first));
        group->addButton(radio);
        layout->addWidget(radio);
        dialog.AddRadio(first, entry.first, radio);
    }
    return box;
}

// OK (the default button) and, unless `okOnly`, Cancel in a column at the right.
QVBoxLayout* ButtonColumn(CDialog& dialog, bool okOnly = false)
{
    auto* column = Spaced(dialog, new QVBoxLayout);
    column->addWidget(Button(dialog, IDOK, QStringLiteral("OK"), true));
    if (!okOnly)
        column->addWidget(Button(dialog, IDCANCEL, QStringLiteral("Cancel")));
    return column;
}

// The button column at the end of `layout`, its buttons at the top.
void AddButtonColumn(CDialog& dialog, QBoxLayout* layout, bool okOnly = false)
{
    QVBoxLayout* buttons = ButtonColumn(dialog, okOnly);
    buttons->addStretch();
    layout->addLayout(buttons);
}

void BuildConnect(CDialog& dialog)
{
    dialog.setWindowTitle(QStringLiteral("GGS Connect"));
    SizeInUnits(dialog, 183, 102);
    auto* grid = Spaced(dialog, new QGridLayout);
    grid->addWidget(Label(&dialog, QStringLiteral("Login")), 0, 0);
    QLineEdit* login = Edit(dialog, IDC_LOGIN);
    grid->addWidget(login, 0, 1);
    grid->addWidget(Label(&dialog, QStringLiteral("Password")), 1, 0);
    QLineEdit* password = Edit(dialog, IDC_PASSWORD);
    password->setEchoMode(QLineEdit::Password);
    grid->addWidget(password, 1, 1);
    grid->addWidget(Filed(dialog, IDC_SAVE_PASSWORD, new QCheckBox(QStringLiteral("Remember password"), &dialog)),
                    2, 0, 1, 2);
    auto* top = Spaced(dialog, new QHBoxLayout);
    top->addLayout(grid);
    AddButtonColumn(dialog, top);
    auto* layout = Spaced(dialog, new QVBoxLayout(&dialog), kMargin);
    layout->addLayout(top);
    layout->addWidget(Text(dialog, QStringLiteral(
        "Enter your GGS login and password. If you have never logged onto GGS before, enter a "
        "login and password you would like to use.")));
    layout->addStretch();
}

// A label, one edit and the buttons: the shape of several small dialogs. Returns the
// button column, to which a dialog may add its own buttons.
QVBoxLayout* BuildOneEdit(CDialog& dialog, const QString& title, const QString& label, int editId)
{
    dialog.setWindowTitle(title);
    // The label and the edit on one line at the top, level with OK.
    auto* field = Spaced(dialog, new QHBoxLayout);
    field->addWidget(Label(&dialog, label));
    field->addWidget(Edit(dialog, editId));
    auto* layout = Spaced(dialog, new QHBoxLayout(&dialog), kMargin);
    layout->addLayout(field);
    layout->setAlignment(field, Qt::AlignTop);
    QVBoxLayout* buttons = ButtonColumn(dialog);
    layout->addLayout(buttons);
    return buttons;
}

void BuildAutopass(CDialog& dialog)
{
    dialog.setWindowTitle(QStringLiteral("Autopass"));
    auto* groups = Spaced(dialog, new QVBoxLayout);
    groups->addWidget(RadioGroup(dialog, QStringLiteral("Autopass"), {
        {IDC_AUTOPASS_OFF, "Off"}, {IDC_AUTOPASS_NOTIFY, "Notify"}, {IDC_AUTOPASS_INSTANT, "Instant"}}));
    groups->addWidget(RadioGroup(dialog, QStringLiteral("Autoforce"), {
        {IDC_AUTOFORCE_OFF, "Off"}, {IDC_AUTOFORCE_NOTIFY, "Notify"}, {IDC_AUTOFORCE_INSTANT, "Instant"}}));
    groups->addWidget(Text(dialog, QStringLiteral(
        "Autopass automatically plays passes for you. Autoforce automatically plays when you have "
        "only one legal move.")));
    auto* layout = Spaced(dialog, new QHBoxLayout(&dialog), kMargin);
    layout->addLayout(groups);
    AddButtonColumn(dialog, layout);
}

void BuildAutosave(CDialog& dialog)
{
    dialog.setWindowTitle(QStringLiteral("Autosave"));
    auto* groups = Spaced(dialog, new QVBoxLayout);
    groups->addWidget(Text(dialog, QStringLiteral("Save games you played or watched")));
    auto* row = Spaced(dialog, new QHBoxLayout);
    row->addWidget(RadioGroup(dialog, QStringLiteral("Played"), {
        {IDC_AUTOSAVE_MINE_NEVER, "Never"}, {IDC_AUTOSAVE_MINE_ASK, "Ask"},
        {IDC_AUTOSAVE_MINE_ALWAYS, "Always"}}));
    row->addWidget(RadioGroup(dialog, QStringLiteral("Watched"), {
        {IDC_AUTOSAVE_OTHERS_NEVER, "Never"}, {IDC_AUTOSAVE_OTHERS_ASK, "Ask"},
        {IDC_AUTOSAVE_OTHERS_ALWAYS, "Always"}}));
    groups->addLayout(row);
    auto* layout = Spaced(dialog, new QHBoxLayout(&dialog), kMargin);
    layout->addLayout(groups);
    AddButtonColumn(dialog, layout);
}

void BuildAbout(CDialog& dialog)
{
    dialog.setWindowTitle(QStringLiteral("About Tavo"));
    auto* icon = new QLabel(&dialog);
    icon->setPixmap(QPixmap::fromImage(DrawProgramIcon(48)));
    auto* texts = Spaced(dialog, new QVBoxLayout);
    texts->addWidget(Text(dialog, QStringLiteral("Tavo"), IDC_VERSION));
    texts->addWidget(Text(dialog, QStringLiteral(
        "A client for GGS, the internet game server, and its Reversi service.")));
    auto* layout = Spaced(dialog, new QHBoxLayout(&dialog), kMargin);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addLayout(texts);
    AddButtonColumn(dialog, layout, true);
}

// A check box that shows a value: a click does not change it.
class CShownCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override {}
};

// The two match-request dialogs: the terms of a request, to be composed (editable) or
// answered (shown only).
void BuildMatchRequest(CDialog& dialog, bool incoming)
{
    dialog.setWindowTitle(incoming ? QStringLiteral("Incoming Reversi Match Request")
                                   : QStringLiteral("Reversi Game Request"));
    if (incoming)
        SizeInUnits(dialog, 185, 151);
    else
        SizeInUnits(dialog, 187, 143);
    const auto edit = [&](int id) {
        QLineEdit* control = Edit(dialog, id);
        control->setReadOnly(incoming);
        return control;
    };
    const auto check = [&](int id, const QString& text) {
        QCheckBox* box = incoming ? new CShownCheckBox(text, &dialog) : new QCheckBox(text, &dialog);
        return Filed(dialog, id, box);
    };
    const auto choice = [&](int id, std::initializer_list<const char*> entries) -> QWidget* {
        if (incoming)
            return edit(id);
        auto* combo = Filed(dialog, id, new QComboBox(&dialog));
        combo->setEditable(true);
        MakeOneLine(combo->lineEdit());
        combo->setInsertPolicy(QComboBox::NoInsert);
        for (const char* entry : entries)
            combo->addItem(QString::fromLatin1(entry));
        return combo;
    };

    // At the left the terms, the times and Rated; at the right the buttons and the
    // specials.
    auto* terms = Spaced(dialog, new QGridLayout);
    terms->addWidget(Label(&dialog, QStringLiteral("Opponent:")), 0, 0);
    terms->addWidget(edit(IDC_GR_OPPONENT), 0, 1);
    terms->addWidget(Label(&dialog, QStringLiteral("Board Size:")), 1, 0);
    terms->addWidget(choice(IDC_GR_BOARD, {"4x4", "6x6", "8x8", "10x10", "12x12", "14x14", "Octagonal"}), 1, 1);
    terms->addWidget(Label(&dialog, QStringLiteral("Color:")), 2, 0);
    terms->addWidget(choice(IDC_GR_COLOR, {"Random", "Black", "White", "Synch", "Komi"}), 2, 1);

    auto* time = new QGroupBox(QStringLiteral("Time"), &dialog);
    auto* timeLayout = GroupLayout<QGridLayout>(dialog, time);
    timeLayout->addWidget(Label(&dialog, QStringLiteral("Mine")), 0, 0);
    timeLayout->addWidget(edit(IDC_GR_MY_TIME), 0, 1);
    timeLayout->addWidget(Label(&dialog, QStringLiteral("Opponent")), 1, 0);
    timeLayout->addWidget(edit(IDC_GR_OPP_TIME), 1, 1);

    QCheckBox* rated = check(IDC_GR_RATED, QStringLiteral("Rated"));
    rated->setLayoutDirection(Qt::RightToLeft); // its text on the left

    auto* left = Spaced(dialog, new QVBoxLayout);
    left->addLayout(terms);
    left->addWidget(time);
    left->addWidget(rated, 0, Qt::AlignLeft | Qt::AlignAbsolute);
    left->addStretch();

    auto* specials = new QGroupBox(QStringLiteral("Specials"), &dialog);
    auto* specialsLayout = GroupLayout<QGridLayout>(dialog, specials);
    specialsLayout->addWidget(check(IDC_GR_ANTI, QStringLiteral("&Anti")), 0, 0, 1, 2);
    specialsLayout->addWidget(check(IDC_GR_RAND, QStringLiteral("&Rand")), 1, 0, 1, 2);
    specialsLayout->addWidget(Label(&dialog, QStringLiteral("Discs:")), 2, 0);
    QLineEdit* discs = edit(IDC_GR_DISCS);
    discs->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), discs));
    discs->setFixedWidth(Across(dialog, 24));
    specialsLayout->addWidget(discs, 2, 1);

    auto* right = Spaced(dialog, new QVBoxLayout);
    right->addWidget(Button(dialog, IDOK, incoming ? QStringLiteral("Accept") : QStringLiteral("OK"), true));
    right->addWidget(Button(dialog, IDCANCEL, incoming ? QStringLiteral("Decline") : QStringLiteral("Cancel")));
    right->addWidget(Button(dialog, ID_HELP, QStringLiteral("&Help")));
    right->addWidget(specials);
    right->addStretch();

    auto* layout = Spaced(dialog, new QHBoxLayout(&dialog), kMargin);
    layout->addLayout(left, 1);
    layout->addLayout(right);
}

// The windows laid out by their own size handlers: controls at fixed places given in
// dialog units, no layout.
template <class W>
W* Placed(CDialog& dialog, int id, W* control, int x, int y, int cx, int cy)
{
    control->setGeometry(dialog.MapDialogRect(QRect(x, y, cx, cy)));
    return Filed(dialog, id, control);
}

void BuildConsole(CDialog& dialog)
{
    dialog.setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    SizeInUnits(dialog, 186, 94);
    auto* output = Placed(dialog, IDC_CONSOLE_OUTPUT, new QPlainTextEdit(&dialog), 0, 0, 185, 80);
    output->setReadOnly(true);
    output->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    output->setFocusPolicy(Qt::ClickFocus);
    Placed(dialog, IDC_CONSOLE_INPUT, MakeOneLine(new QLineEdit(&dialog)), 0, 81, 185, 13);
    QPushButton* send = Button(dialog, IDOK, QStringLiteral("Send"), true);
    send->setGeometry(dialog.MapDialogRect(QRect(156, 80, 30, 14)));
    send->hide();
}

void BuildWho(CDialog& dialog)
{
    dialog.setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    dialog.setWindowTitle(QStringLiteral("GGS Who"));
    SizeInUnits(dialog, 159, 246);
    const auto button = [&dialog](int id, const QString& text, int x, int cx) {
        Button(dialog, id, text)->setGeometry(dialog.MapDialogRect(QRect(x, 1, cx, 15)));
    };
    button(IDC_WHO_REFRESH, QStringLiteral("Refresh"), 0, 50);
    button(IDC_WHO_CHAT, QStringLiteral("Chat"), 55, 49);
    button(IDC_WHO_RATINGS, QStringLiteral("Ratings"), 110, 49);
    auto* servers = Placed(dialog, IDC_WHO_SHOW_SERVERS, new QCheckBox(QStringLiteral("Show servers"), &dialog),
                           0, 17, 59, 10);
    // The style's box and a face that stands in for the dialog font's may need more room
    // than the template gives; below the box there is room to the list.
    servers->resize(servers->size().expandedTo(servers->sizeHint()));
    Placed(dialog, IDC_WHO_LIST, new CListCtrl(&dialog), 0, 30, 159, 216);
}

// The service's list windows: the list fills the window (for some one unit narrower).
void BuildServiceList(CDialog& dialog, const QString& title, int cx, int cy, int listCx)
{
    dialog.setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog.setWindowTitle(title);
    SizeInUnits(dialog, cx, cy);
    auto* list = Placed(dialog, IDC_OS_LIST, new CListCtrl(&dialog), 0, 0, listCx, cy);
    list->header()->setSectionsClickable(false);
}

} // namespace

bool BuildDialogResource(UINT id, CDialog& dialog)
{
    switch (id) {
    case IDD_ABOUTBOX:
        BuildAbout(dialog);
        return true;
    case IDD_GGS_CONNECT:
        BuildConnect(dialog);
        return true;
    case IDD_TALK_TO:
        BuildOneEdit(dialog, QStringLiteral("Create talk window"), QStringLiteral("Talk to:"), IDC_TALK_TO);
        return true;
    case IDD_CONSOLE:
        BuildConsole(dialog);
        return true;
    case IDD_GGS_WHO:
        BuildWho(dialog);
        return true;
    case IDD_GET_KOMI:
        BuildOneEdit(dialog, QStringLiteral("Komi Value"), QStringLiteral("Komi Value:"), IDC_KOMI);
        return true;
    case IDD_SERVER_NAME:
        BuildOneEdit(dialog, QStringLiteral("Set server name"), QStringLiteral("Server Name:"), IDC_SERVER)
            ->addWidget(Button(dialog, IDC_DEFAULT, QStringLiteral("Default")));
        return true;
    case IDD_REVERSI_AUTOPASS:
        BuildAutopass(dialog);
        return true;
    case IDD_REVERSI_AUTOSAVE:
        BuildAutosave(dialog);
        return true;
    case IDD_OS_GAME_REQUEST:
        BuildMatchRequest(dialog, false);
        return true;
    case IDD_OS_INCOMING_REQUEST:
        BuildMatchRequest(dialog, true);
        return true;
    case IDD_OS_MATCHES:
        BuildServiceList(dialog, QStringLiteral("Reversi Matches"), 150, 86, 150);
        return true;
    case IDD_OS_HISTORY:
        BuildServiceList(dialog, QStringLiteral("Match History"), 243, 105, 243);
        return true;
    case IDD_OS_STORED:
        BuildServiceList(dialog, QStringLiteral("Stored Matches"), 222, 86, 222);
        return true;
    case IDD_OS_TOP:
        BuildServiceList(dialog, QStringLiteral("Top Reversi Players"), 234, 153, 233);
        return true;
    case IDD_OS_WHO:
        BuildServiceList(dialog, QStringLiteral("Ratings"), 245, 158, 245);
        return true;
    case IDD_GET_LOGIN:
        BuildOneEdit(dialog, QStringLiteral("Login"), QStringLiteral("Login:"), IDC_LOGIN);
        SizeInUnits(dialog, 153, 47);
        return true;
    default:
        return false;
    }
}
