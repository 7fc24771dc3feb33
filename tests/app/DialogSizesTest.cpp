// The dialogs whose designs give a size open at it, in pixels of the dialog font's own
// units, with every control whole: inside the window, clear of its neighbours and with
// room for its text.
#include "AppTestSupport.h"

#include "Console.h"
#include "DialogGGSConnect.h"
#include "DialogGGSWho.h"
#include "DialogGetLogin.h"
#include "DialogOsGames.h"
#include "DialogOsHistory.h"
#include "DialogOsIncomingRequest.h"
#include "DialogOsMatchRequest.h"
#include "DialogOsStored.h"
#include "DialogOsTop.h"
#include "DialogOsWho.h"
#include "mfc/ListCtrl.h"
#include "res/Resource.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

// A size in dialog units, in pixels of the dialog's font.
QSize InPixels(const CDialog* dialog, int cx, int cy)
{
    return dialog->MapDialogRect(QRect(0, 0, cx, cy)).size();
}

std::string Name(const QWidget* w)
{
    std::string name = w->metaObject()->className();
    if (!w->objectName().isEmpty())
        name += " " + ToStd(w->objectName());
    if (const auto* button = qobject_cast<const QAbstractButton*>(w))
        name += " \"" + ToStd(button->text()) + "\"";
    else if (const auto* label = qobject_cast<const QLabel*>(w))
        name += " \"" + ToStd(label->text()) + "\"";
    else if (const auto* box = qobject_cast<const QGroupBox*>(w))
        name += " \"" + ToStd(box->title()) + "\"";
    return name;
}

// Sizes and rectangles are compared as text, which a failing check prints.
std::string Text(const QSize& s)
{
    return std::to_string(s.width()) + "x" + std::to_string(s.height());
}

std::string Text(const QRect& r)
{
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + Text(r.size());
}

// The blank that a one-line edit leaves on either side of its text, inside its frame.
constexpr int kEditMargin = 2;

// The room that the text of a control needs, and whether the control has it: a label
// and a check or radio box their size hint, a wrapped label the height of its lines at
// its width, a push button its text within the style's margins (the style's wider
// preferred width is not needed), an edit its text and a combo box each of its entries
// within the frame, a group box its title.
void ExpectRoomForText(const QWidget* w)
{
    const QFontMetrics fm(w->font());
    const QSize size = w->size();
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        if (label->wordWrap()) {
            EXPECT_LE(label->heightForWidth(size.width()), size.height()) << Name(w);
            const QRect lines = fm.boundingRect(QRect(0, 0, size.width(), 10000), Qt::TextWordWrap, label->text());
            EXPECT_LE(lines.width(), size.width()) << Name(w);
        } else if (label->pixmap().isNull()) {
            EXPECT_GE(size.width(), label->sizeHint().width()) << Name(w);
            EXPECT_GE(size.height(), label->sizeHint().height()) << Name(w);
        }
    } else if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w)) {
        EXPECT_GE(size.width(), w->sizeHint().width()) << Name(w);
        EXPECT_GE(size.height(), w->sizeHint().height()) << Name(w);
    } else if (const auto* button = qobject_cast<const QPushButton*>(w)) {
        QStyleOptionButton option;
        option.initFrom(button);
        const int margins = 2 * (w->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, w)
                                 + w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, w));
        EXPECT_GE(size.width(), fm.size(Qt::TextShowMnemonic, button->text()).width() + margins) << Name(w);
        EXPECT_GE(size.height(), w->sizeHint().height()) << Name(w);
    } else if (const auto* edit = qobject_cast<const QLineEdit*>(w)) {
        const int frame = w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w);
        EXPECT_GE(size.height(), fm.height() + 2 * frame) << Name(w);
        EXPECT_LE(fm.horizontalAdvance(edit->displayText()), size.width() - 2 * frame - 2 * kEditMargin)
            << Name(w) << " \"" << ToStd(edit->displayText()) << "\"";
    } else if (const auto* combo = qobject_cast<const QComboBox*>(w)) {
        const int frame = w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w);
        EXPECT_GE(size.height(), fm.height() + 2 * frame) << Name(w);
        // Every entry fits its field.
        ASSERT_NE(combo->lineEdit(), nullptr) << Name(w);
        for (int i = 0; i < combo->count(); ++i)
            EXPECT_LE(fm.horizontalAdvance(combo->itemText(i)), combo->lineEdit()->width() - 2 * kEditMargin)
                << Name(w) << " \"" << ToStd(combo->itemText(i)) << "\"";
    } else if (const auto* box = qobject_cast<const QGroupBox*>(w)) {
        EXPECT_GE(size.width(), fm.size(Qt::TextShowMnemonic, box->title()).width() + 2 * fm.averageCharWidth())
            << Name(w);
    }
}

// Every control shown on `parent` (the dialog, or a group box of it): inside it, clear
// of its shown neighbours, with room for its text; a group box's members likewise.
void ExpectWhole(const QWidget* parent)
{
    std::vector<const QWidget*> shown;
    for (const QObject* child : parent->children())
        if (child->isWidgetType() && !static_cast<const QWidget*>(child)->isWindow()
            && !static_cast<const QWidget*>(child)->isHidden())
            shown.push_back(static_cast<const QWidget*>(child));
    for (size_t i = 0; i < shown.size(); ++i) {
        const QWidget* w = shown[i];
        EXPECT_TRUE(parent->rect().contains(w->geometry()))
            << Name(w) << " at " << Text(w->geometry()) << " in " << Text(parent->rect());
        for (size_t j = i + 1; j < shown.size(); ++j)
            EXPECT_FALSE(w->geometry().intersects(shown[j]->geometry()))
                << Name(w) << " at " << Text(w->geometry()) << " and " << Name(shown[j]) << " at "
                << Text(shown[j]->geometry());
        ExpectRoomForText(w);
        if (qobject_cast<const QGroupBox*>(w))
            ExpectWhole(w);
    }
}

// Runs the dialog modally and checks it as it shows: its size in units, its controls.
void ExpectModalAt(CDialog& dialog, int cx, int cy)
{
    ModalDriver driver;
    driver.OnDialog([&](CDialog* d) {
        EXPECT_EQ(Text(d->size()), Text(InPixels(d, cx, cy))) << ToStd(d->windowTitle());
        ExpectWhole(d);
        d->EndDialog(IDCANCEL);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(driver.Done());
}

// A modeless window as it first shows: the template's size, wider by as much as its list
// was widened to show its column titles.
void ExpectShownAt(CDialog& dialog, int cx, int cy, const CListCtrl* list)
{
    ASSERT_TRUE(ProcessEventsUntil([&] { return dialog.isVisible(); }));
    const int widening = list ? list->GetTitleWidening() : 0;
    EXPECT_EQ(Text(dialog.size()), Text(InPixels(&dialog, cx, cy) + QSize(widening, 0)))
        << ToStd(dialog.windowTitle());
    ExpectWhole(&dialog);
}

CListCtrl* ListOf(const CDialog& dialog, int id)
{
    return dynamic_cast<CListCtrl*>(dialog.GetDlgItem(id));
}

} // namespace

// The dialog units themselves: 8-point Liberation Sans, 11 pixels, has letters 6 pixels
// wide on average and is 12 pixels high, so a unit is 1.5 by 1.5 pixels; each edge of a
// rectangle is mapped, so rectangles that meet in units meet in pixels.
TEST(DialogSizes, DialogUnitsOfTheDialogFont)
{
    TestApp app;
    CDialog dialog(IDD_GET_LOGIN);
    EXPECT_EQ(Text(dialog.MapDialogRect(QRect(0, 0, 187, 143))), "0,0 281x215");
    EXPECT_EQ(Text(dialog.MapDialogRect(QRect(0, 0, 185, 151))), "0,0 278x227");
    // The console's input, 13 units from 81 down, ends with the window's 94.
    EXPECT_EQ(Text(dialog.MapDialogRect(QRect(0, 81, 185, 13))), "0,122 278x19");
    EXPECT_EQ(dialog.MapDialogRect(QRect(0, 0, 186, 94)).bottom() + 1, 141);
    EXPECT_EQ(Text(dialog.MapDialogRect(QRect(1, 1, 1, 1))), "2,2 1x1");
}

TEST(DialogSizes, RequestDialogsOpenAtTheirTemplatesSize)
{
    TestApp app;
    ASSERT_TRUE(app.Start());
    {
        CDialogOsGameRequest request(nullptr, "abcdefgh");
        ExpectModalAt(request, 187, 143);
    }
    {
        CGGRequest<COsMatchType> asked;
        std::istringstream is("1600 bob 1:00:00//2:00 s12ar20 R 1500 alice 30:00/10/2:00");
        is >> asked;
        CDialogOsIncomingRequest incoming(asked, nullptr, ".12");
        ExpectModalAt(incoming, 185, 151);
    }
}

TEST(DialogSizes, ConnectAndLoginDialogsOpenAtTheirTemplatesSize)
{
    TestApp app;
    ASSERT_TRUE(app.Start());
    tavostream stream;
    {
        CDialogGGSConnect connect(&stream);
        ExpectModalAt(connect, 183, 102);
    }
    {
        CDialogGetLogin login;
        login.m_strLogin = QStringLiteral("abcdefgh");
        ExpectModalAt(login, 153, 47);
    }
}

TEST(DialogSizes, ResizableWindowsOpenAtTheirTemplatesSize)
{
    TestApp app;
    ASSERT_TRUE(app.Start());
    tavostream stream;
    {
        CConsole console("bob", &stream, false);
        ExpectShownAt(console, 186, 94, nullptr);
        EXPECT_EQ(Text(console.minimumSize()), "100x100");
    }
    {
        CDialogGGSWho who;
        ASSERT_TRUE(who.Create(&stream));
        who.ShowWindow(SW_SHOW);
        ExpectShownAt(who, 159, 246, ListOf(who, IDC_WHO_LIST));
        EXPECT_EQ(Text(who.minimumSize()), "100x100");
    }
    const auto list = [](auto& window, int cx, int cy) {
        ASSERT_TRUE(window.Create(nullptr));
        window.ShowWindow(SW_SHOW);
        ExpectShownAt(window, cx, cy, ListOf(window, IDC_OS_LIST));
    };
    CDialogOsMatches matches;
    list(matches, 150, 86);
    CDialogOsHistory history;
    list(history, 243, 105);
    CDialogOsStored stored;
    list(stored, 222, 86);
    CDialogOsTop top;
    list(top, 234, 153);
    CDialogOsWho ratings;
    list(ratings, 245, 158);
}
