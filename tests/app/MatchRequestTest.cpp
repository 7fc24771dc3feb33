// The match-request dialogs, driven through their widgets: what a request sends, the
// checks that refuse one, the defaults that the last request leaves, and the answer to a
// request from another player.
#include "ServiceTestSupport.h"

#include "DialogOsIncomingRequest.h"
#include "DialogOsMatchRequest.h"
#include "res/Resource.h"

#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

// A started application and a connection logged in as alice at the given level (-1: the
// level not known), with its "/os" service object.
struct Requests : ServiceSession<CHelpRecordingApp> {
    explicit Requests(int level) : ServiceSession("alice", level) {}
    // Runs the request dialog; `act` fills it in and ends it.
    int Ask(std::function<void(CDialog*)> act, const std::string& opponent = std::string())
    {
        ModalDriver driver;
        driver.OnDialog(std::move(act));
        CDialogOsGameRequest dialog = opponent.empty() ? CDialogOsGameRequest(Service())
                                                       : CDialogOsGameRequest(Service(), opponent);
        const int result = dialog.DoModal();
        EXPECT_TRUE(driver.Done());
        return result;
    }
};

CGGRequest<COsMatchType> RequestFrom(const std::string& text)
{
    CGGRequest<COsMatchType> request;
    std::istringstream is(text);
    is >> request;
    return request;
}

} // namespace

TEST(MatchRequest, StartsFromTheSettingsDefault)
{
    Requests r(0);
    EXPECT_EQ(r.Ask([](CDialog* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Reversi Game Request"));
        EXPECT_EQ(ComboOf(d, IDC_GR_BOARD)->currentText(), QStringLiteral("8x8"));
        EXPECT_EQ(ComboOf(d, IDC_GR_BOARD)->currentIndex(), 2);
        EXPECT_EQ(ComboOf(d, IDC_GR_COLOR)->currentText(), QStringLiteral("Random"));
        EXPECT_FALSE(CheckOf(d, IDC_GR_ANTI)->isChecked());
        EXPECT_FALSE(CheckOf(d, IDC_GR_RAND)->isChecked());
        EXPECT_EQ(EditOf(d, IDC_GR_DISCS)->text(), QStringLiteral("0"));
        EXPECT_EQ(EditOf(d, IDC_GR_MY_TIME)->text(), QStringLiteral("15:00//2:00"));
        EXPECT_EQ(EditOf(d, IDC_GR_OPP_TIME)->text(), QString());
        EXPECT_EQ(EditOf(d, IDC_GR_OPPONENT)->text(), QStringLiteral("wup"));
        EXPECT_FALSE(CheckOf(d, IDC_GR_RATED)->isChecked());
        ClickButton(d, IDOK);
    }), IDOK);
    // An unregistered user's request is the one line.
    EXPECT_EQ(r.Sent(), "t /os ask 8 15:00//2:00 15:00//2:00 wup\n");
}

TEST(MatchRequest, EmptyTimesGiveTheDefaultClock)
{
    Requests r(0);
    const auto times = [&](const QString& mine, const QString& theirs) {
        r.Ask([&](CDialog* d) {
            Retype(EditOf(d, IDC_GR_MY_TIME), mine);
            Retype(EditOf(d, IDC_GR_OPP_TIME), theirs);
            PressKey(EditOf(d, IDC_GR_OPP_TIME), Qt::Key_Return);
        }, "bob");
        return r.Sent();
    };
    EXPECT_EQ(times(QStringLiteral("5:00/10/1:00"), QString()), "t /os ask 8 5:00/0:10/1:00 5:00/0:10/1:00 bob\n");
    EXPECT_EQ(times(QStringLiteral("5:00/10/1:00"), QStringLiteral("20:00")),
              "t /os ask 8 5:00/0:10/1:00 20:00//0:00 bob\n");
    EXPECT_EQ(times(QString(), QStringLiteral("  ")), "t /os ask 8 15:00//2:00 15:00//2:00 bob\n");
    EXPECT_EQ(times(QStringLiteral(" "), QStringLiteral("1:00:00//0:00")), "t /os ask 8 15:00//2:00 1:00:00//0:00 bob\n");
    // Clocks that differ show both; equal ones only the own.
    r.Ask([](CDialog* d) {
        EXPECT_EQ(EditOf(d, IDC_GR_MY_TIME)->text(), QStringLiteral("15:00//2:00"));
        EXPECT_EQ(EditOf(d, IDC_GR_OPP_TIME)->text(), QStringLiteral("1:00:00//0:00"));
        ClickButton(d, IDCANCEL);
    });
    EXPECT_EQ(r.Sent(), "");
}

TEST(MatchRequest, BoardSpecialsAndColour)
{
    Requests r(0);
    r.Ask([](CDialog* d) {
        Choose(ComboOf(d, IDC_GR_BOARD), QStringLiteral("Octagonal"));
        Click(CheckOf(d, IDC_GR_ANTI));
        Choose(ComboOf(d, IDC_GR_COLOR), QStringLiteral("Black"));
        ClickButton(d, IDOK);
    }, "bob");
    EXPECT_EQ(r.Sent(), "t /os ask 88ab 15:00//2:00 15:00//2:00 bob\n");
    // The octagon is named "Octagon" and selects "Octagonal" the next time.
    r.Ask([](CDialog* d) {
        EXPECT_EQ(ComboOf(d, IDC_GR_BOARD)->currentIndex(), 6);
        EXPECT_EQ(ComboOf(d, IDC_GR_COLOR)->currentText(), QStringLiteral("Black"));
        EXPECT_TRUE(CheckOf(d, IDC_GR_ANTI)->isChecked());
        Choose(ComboOf(d, IDC_GR_BOARD), QStringLiteral("10x10"));
        Click(CheckOf(d, IDC_GR_ANTI));
        Click(CheckOf(d, IDC_GR_RAND));
        Retype(EditOf(d, IDC_GR_DISCS), QStringLiteral("20"));
        Choose(ComboOf(d, IDC_GR_COLOR), QStringLiteral("Synch"));
        ClickButton(d, IDOK);
    });
    EXPECT_EQ(r.Sent(), "t /os ask s10r20 15:00//2:00 15:00//2:00 bob\n");
    // A board typed in the field counts by its leading digits; a colour that is none of
    // the list asks for none.
    r.Ask([](CDialog* d) {
        Click(CheckOf(d, IDC_GR_RAND));
        Choose(ComboOf(d, IDC_GR_BOARD), QStringLiteral("6 by 6"));
        Choose(ComboOf(d, IDC_GR_COLOR), QStringLiteral("whatever"));
        ClickButton(d, IDOK);
    });
    EXPECT_EQ(r.Sent(), "t /os ask 6 15:00//2:00 15:00//2:00 bob\n");
    r.Ask([](CDialog* d) {
        EXPECT_EQ(ComboOf(d, IDC_GR_BOARD)->currentIndex(), 1);
        EXPECT_EQ(ComboOf(d, IDC_GR_COLOR)->currentText(), QStringLiteral("Random"));
        ClickButton(d, IDCANCEL);
    });
}

TEST(MatchRequest, RefusedTermsSendNothing)
{
    Requests r(0);
    // Each refusal shows its message and keeps the dialog open for the next try.
    ModalDriver driver;
    driver.OnDialog([](CDialog* d) {
        Click(CheckOf(d, IDC_GR_RAND));
        Retype(EditOf(d, IDC_GR_DISCS), QStringLiteral("20"));
        ClickButton(d, IDOK); // random colour
    });
    driver.OnMessageBox([](QMessageBox* box) {
        ExpectDialogFont(box);
        box->button(QMessageBox::Ok)->click();
    });
    driver.OnDialog([](CDialog* d) {
        Choose(ComboOf(d, IDC_GR_COLOR), QStringLiteral("Komi"));
        Retype(EditOf(d, IDC_GR_DISCS), QStringLiteral("2"));
        ClickButton(d, IDOK);
    });
    driver.AcceptMessageBox();
    driver.OnDialog([](CDialog* d) {
        Retype(EditOf(d, IDC_GR_DISCS), QStringLiteral("49"));
        ClickButton(d, IDOK);
    });
    driver.AcceptMessageBox();
    driver.OnDialog([](CDialog* d) {
        Retype(EditOf(d, IDC_GR_DISCS), QString());
        ClickButton(d, IDOK);
    });
    driver.AcceptMessageBox();
    driver.OnDialog([](CDialog* d) {
        Retype(EditOf(d, IDC_GR_DISCS), QStringLiteral("48"));
        Click(CheckOf(d, IDC_GR_RATED));
        ClickButton(d, IDOK); // rated, unregistered
    });
    driver.AcceptMessageBox();
    driver.OnDialog([](CDialog* d) { ClickButton(d, IDCANCEL); });
    CDialogOsGameRequest dialog(r.Service());
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(r.Sent(), "");
    const std::vector<QString> expected = {
        QStringLiteral("Rand games must have color = synch or komi"),
        QStringLiteral("Too few random discs for that board type"),
        QStringLiteral("Too many random discs for that board type"),
        QStringLiteral("Please enter an integer."),
        QStringLiteral("You must be registered to play rated games."),
    };
    EXPECT_EQ(driver.messageBoxes, expected);
    // Nothing sent, nothing remembered.
    EXPECT_EQ(CDialogOsGameRequest::DefaultsText(), "8 15:00//2:00 15:00//2:00 wup 0");
}

TEST(MatchRequest, RegisteredUserAsksUnratedBetweenTheSwitches)
{
    for (int level : {1, 2, -1}) {
        Requests r(level);
        r.Ask([](CDialog* d) { ClickButton(d, IDOK); }, "bob");
        EXPECT_EQ(r.Sent(), "t /os rated -\nt /os ask 8 15:00//2:00 15:00//2:00 bob\nt /os rated +\n") << level;
        r.Ask([](CDialog* d) {
            Click(CheckOf(d, IDC_GR_RATED));
            ClickButton(d, IDOK);
        });
        EXPECT_EQ(r.Sent(), "t /os ask 8 15:00//2:00 15:00//2:00 bob\n") << level;
    }
}

TEST(MatchRequest, TheLastRequestIsTheNextDefault)
{
    Requests r(1);
    r.Ask([](CDialog* d) {
        Retype(EditOf(d, IDC_GR_OPPONENT), QStringLiteral("carol"));
        Choose(ComboOf(d, IDC_GR_BOARD), QStringLiteral("10x10"));
        Retype(EditOf(d, IDC_GR_MY_TIME), QStringLiteral("10:00/5/0:00"));
        Retype(EditOf(d, IDC_GR_OPP_TIME), QStringLiteral("2:00//0:00"));
        Click(CheckOf(d, IDC_GR_RATED));
        ClickButton(d, IDOK);
    });
    EXPECT_EQ(r.Sent(), "t /os ask 10 10:00/0:05/0:00 2:00//0:00 carol\n");
    // The who window and the ratings window give an opponent of their own; the rest is
    // the last request's.
    r.Ask([](CDialog* d) {
        EXPECT_EQ(EditOf(d, IDC_GR_OPPONENT)->text(), QStringLiteral("dave"));
        EXPECT_EQ(ComboOf(d, IDC_GR_BOARD)->currentText(), QStringLiteral("10x10"));
        EXPECT_EQ(EditOf(d, IDC_GR_MY_TIME)->text(), QStringLiteral("10:00/0:05/0:00"));
        EXPECT_EQ(EditOf(d, IDC_GR_OPP_TIME)->text(), QStringLiteral("2:00//0:00"));
        EXPECT_TRUE(CheckOf(d, IDC_GR_RATED)->isChecked());
        ClickButton(d, IDCANCEL);
    }, "dave");
    EXPECT_EQ(r.Sent(), "");
    // Cancel kept the last request; exit writes it to the settings.
    r.app.SaveSettings();
    EXPECT_EQ(TestProfile().value(QStringLiteral("os/grDefault")).toString(),
              QStringLiteral("10 10:00/0:05/0:00 2:00//0:00 carol 1"));
}

TEST(MatchRequest, KomiValueIsKeptThoughNotShown)
{
    Requests r(0);
    TestProfile().setValue(QStringLiteral("os/grDefault"), QStringLiteral("8k3.5 10:00//1:00 10:00//1:00 bob 0"));
    r.app.LoadSettings();
    r.Ask([](CDialog* d) {
        EXPECT_EQ(ComboOf(d, IDC_GR_COLOR)->currentText(), QStringLiteral("Komi"));
        EXPECT_EQ(EditOf(d, IDC_GR_OPPONENT)->text(), QStringLiteral("bob"));
        ClickButton(d, IDOK);
    });
    EXPECT_EQ(r.Sent(), "t /os ask 8k3.5 10:00//1:00 10:00//1:00 bob\n");
    r.Ask([](CDialog* d) {
        Choose(ComboOf(d, IDC_GR_COLOR), QStringLiteral("White"));
        ClickButton(d, IDOK);
    });
    EXPECT_EQ(r.Sent(), "t /os ask 8w 10:00//1:00 10:00//1:00 bob\n");
    r.Ask([](CDialog* d) {
        Choose(ComboOf(d, IDC_GR_COLOR), QStringLiteral("Komi"));
        ClickButton(d, IDOK);
    });
    EXPECT_EQ(r.Sent(), "t /os ask 8k3.5 10:00//1:00 10:00//1:00 bob\n");

    TestProfile().setValue(QStringLiteral("os/grDefault"), QStringLiteral("8k 10:00//1:00 10:00//1:00 bob 0"));
    r.app.LoadSettings();
    r.Ask([](CDialog* d) { ClickButton(d, IDOK); });
    EXPECT_EQ(r.Sent(), "t /os ask 8k 10:00//1:00 10:00//1:00 bob\n");
}

TEST(MatchRequest, DefaultsSettingReadFieldByField)
{
    using Request = CDialogOsGameRequest;
    Request::ReadDefaults("6w 5:00//1:00 7:00//1:00 ann 1");
    EXPECT_EQ(Request::DefaultsText(), "6w 5:00//1:00 7:00//1:00 ann 1");
    // The first field that cannot be read ends the reading; it and the rest stay.
    Request::ReadDefaults("12 x:y");
    EXPECT_EQ(Request::DefaultsText(), "12 5:00//1:00 7:00//1:00 ann 1");
    Request::ReadDefaults("10 1:00//0:00 1:00//0:00 bob maybe");
    EXPECT_EQ(Request::DefaultsText(), "10 1:00//0:00 1:00//0:00 bob 1");
    Request::ReadDefaults("");
    EXPECT_EQ(Request::DefaultsText(), "10 1:00//0:00 1:00//0:00 bob 1");
    // Edited by hand: the opponent is the word after the clocks, however many blanks
    // stand before it.
    Request::ReadDefaults("8 15:00//2:00 15:00//2:00  \t wup 0");
    EXPECT_EQ(Request::DefaultsText(), "8 15:00//2:00 15:00//2:00 wup 0");
    Request::ReadDefaults("8 15:00//2:00 15:00//2:00 ann");
    EXPECT_EQ(Request::DefaultsText(), "8 15:00//2:00 15:00//2:00 ann 0");
    // A request to nobody is kept as such: the saved text reads back the same.
    Request::s_defaultOpponent.clear();
    Request::s_bDefaultRated = false;
    const std::string saved = Request::DefaultsText();
    EXPECT_EQ(saved, "8 15:00//2:00 15:00//2:00  0");
    Request::s_defaultOpponent = "zed";
    Request::s_bDefaultRated = true;
    Request::ReadDefaults(saved);
    EXPECT_EQ(Request::s_defaultOpponent, "");
    EXPECT_FALSE(Request::s_bDefaultRated);
}

TEST(MatchRequest, OpponentFieldTakesOneShortLine)
{
    Requests r(0);
    r.Ask([](CDialog* d) {
        QLineEdit* opponent = EditOf(d, IDC_GR_OPPONENT);
        Retype(opponent, QStringLiteral("abcdefghij"));
        EXPECT_EQ(opponent->text(), QStringLiteral("abcdefgh"));
        // A pasted line break would start a command of its own: it becomes a blank.
        opponent->selectAll();
        PasteText(opponent, QStringLiteral("x\nquit"));
        EXPECT_EQ(opponent->text(), QStringLiteral("x quit"));
        ClickButton(d, IDOK);
    });
    EXPECT_EQ(r.Sent(), "t /os ask 8 15:00//2:00 15:00//2:00 x quit\n");
}

TEST(MatchRequest, HelpOpensTheMatchTypesPage)
{
    Requests r(0);
    EXPECT_EQ(r.Ask([](CDialog* d) {
        ClickButton(d, ID_HELP);
        EXPECT_TRUE(d->isVisible());
        ClickButton(d, IDCANCEL);
    }), IDCANCEL);
    EXPECT_EQ(r.app.help, std::vector<DWORD>{IDH_MATCH_TYPES});
    EXPECT_EQ(r.Sent(), "");
    EXPECT_EQ(LoadStringResource(IDH_MATCH_TYPES), QStringLiteral("Help/Os/MatchTypes.html"));
}

TEST(MatchRequest, ConnectionEndingWhileOpen)
{
    Requests r(0);
    EXPECT_EQ(r.Ask([&](CDialog* d) {
        r.connection.reset(); // the service object goes with it
        ClickButton(d, IDOK);
    }), IDCANCEL);
}

TEST(IncomingRequest, ShownFromTheUsersSide)
{
    Requests r(1);
    // bob asks to play black, with clocks that differ.
    CDialogOsIncomingRequest incoming(RequestFrom("1600 bob 10:00//0:00 8b R 1500 alice 15:00//2:00"), r.Service(),
                                      ".12");
    ModalDriver driver;
    driver.OnDialog([](CDialog* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Incoming Reversi Match Request"));
        EXPECT_EQ(EditOf(d, IDC_GR_OPPONENT)->text(), QStringLiteral("bob"));
        EXPECT_EQ(EditOf(d, IDC_GR_BOARD)->text(), QStringLiteral("8x8"));
        EXPECT_EQ(EditOf(d, IDC_GR_COLOR)->text(), QStringLiteral("White"));
        EXPECT_EQ(EditOf(d, IDC_GR_MY_TIME)->text(), QStringLiteral("15:00//2:00"));
        EXPECT_EQ(EditOf(d, IDC_GR_OPP_TIME)->text(), QStringLiteral("10:00//0:00"));
        EXPECT_EQ(EditOf(d, IDC_GR_DISCS)->text(), QStringLiteral("0"));
        EXPECT_TRUE(EditOf(d, IDC_GR_OPPONENT)->isReadOnly());
        EXPECT_TRUE(CheckOf(d, IDC_GR_RATED)->isChecked());
        // The terms are shown, not changed.
        Click(CheckOf(d, IDC_GR_ANTI));
        Click(CheckOf(d, IDC_GR_RATED));
        EXPECT_FALSE(CheckOf(d, IDC_GR_ANTI)->isChecked());
        EXPECT_TRUE(CheckOf(d, IDC_GR_RATED)->isChecked());
        ClickButton(d, ID_HELP);
        EXPECT_EQ(qobject_cast<QPushButton*>(d->GetDlgItem(IDOK))->text(), QStringLiteral("Accept"));
        ClickButton(d, IDOK);
    });
    EXPECT_EQ(incoming.DoModal(), IDOK);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(r.Sent(), "t /os accept .12\n");
    EXPECT_EQ(r.app.help, std::vector<DWORD>{IDH_MATCH_TYPES});
}

TEST(IncomingRequest, DeclinedByButtonEscOrCloseBox)
{
    Requests r(1);
    // A synchro request with a random start, equal clocks and unrated.
    const auto request = RequestFrom("1600 bob 5:00//1:00 s10ar16 U 1500 alice 5:00//1:00");
    const std::vector<std::function<void(CDialog*)>> endings = {
        [](CDialog* d) { ClickButton(d, IDCANCEL); },
        [](CDialog* d) { PressKey(EditOf(d, IDC_GR_MY_TIME), Qt::Key_Escape); },
        [](CDialog* d) { d->close(); },
    };
    for (const auto& end : endings) {
        CDialogOsIncomingRequest incoming(request, r.Service(), ".13");
        ModalDriver driver;
        driver.OnDialog([&](CDialog* d) {
            EXPECT_EQ(EditOf(d, IDC_GR_COLOR)->text(), QStringLiteral("Synch"));
            EXPECT_EQ(EditOf(d, IDC_GR_BOARD)->text(), QStringLiteral("10x10"));
            EXPECT_EQ(EditOf(d, IDC_GR_OPP_TIME)->text(), QString());
            EXPECT_EQ(EditOf(d, IDC_GR_DISCS)->text(), QStringLiteral("16"));
            EXPECT_TRUE(CheckOf(d, IDC_GR_ANTI)->isChecked());
            EXPECT_TRUE(CheckOf(d, IDC_GR_RAND)->isChecked());
            EXPECT_FALSE(CheckOf(d, IDC_GR_RATED)->isChecked());
            end(d);
        });
        EXPECT_EQ(incoming.DoModal(), IDCANCEL);
        EXPECT_TRUE(driver.Done());
        EXPECT_EQ(r.Sent(), "t /os decline .13\n");
    }
    // The other colour wish is shown the other way round.
    CDialogOsIncomingRequest white(RequestFrom("1600 bob 5:00//1:00 8w R 1500 alice"), r.Service(), ".14");
    ModalDriver driver;
    driver.OnDialog([](CDialog* d) {
        EXPECT_EQ(EditOf(d, IDC_GR_COLOR)->text(), QStringLiteral("Black"));
        EXPECT_EQ(EditOf(d, IDC_GR_OPP_TIME)->text(), QString());
        d->close();
    });
    white.DoModal();
}
