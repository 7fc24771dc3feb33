// The small settings dialogs and the login dialogs, driven through their widgets.
#include "AppTestSupport.h"

#include "DialogGGSConnect.h"
#include "DialogGetKomi.h"
#include "DialogGetLogin.h"
#include "DialogReversiAutopass.h"
#include "DialogReversiAutosave.h"
#include "DialogServerName.h"
#include "DialogTalkTo.h"
#include "TavoGGSStream.h"
#include "res/Resource.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <gtest/gtest.h>

namespace {

QRadioButton* Radio(CDialog* dialog, int id)
{
    return qobject_cast<QRadioButton*>(dialog->GetDlgItem(id));
}

QString ProfileString(const char* key)
{
    return TestProfile().value(QString::fromLatin1(key)).toString();
}

} // namespace

TEST(Dialogs, ServerName)
{
    TestApp app;
    app.SetRegistryKey(QStringLiteral("Deziduva"));

    // Default fills in the public server; Cancel keeps nothing.
    {
        ModalDriver driver;
        driver.OnDialog([](CDialog* d) {
            EXPECT_EQ(EditOf(d, IDC_SERVER)->text(), QStringLiteral("skatgame.net"));
            EditOf(d, IDC_SERVER)->clear();
            ClickButton(d, IDC_DEFAULT);
            EXPECT_EQ(EditOf(d, IDC_SERVER)->text(), QStringLiteral("skatgame.net"));
            ClickButton(d, IDCANCEL);
        });
        CDialogServerName dialog;
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_TRUE(driver.Done());
        EXPECT_EQ(ProfileString("GGS/server"), QString());
    }
    // OK stores what the edit holds, the empty name too.
    for (const QString& name : {QStringLiteral("localhost"), QString()}) {
        ModalDriver driver;
        driver.OnDialog([name](CDialog* d) {
            EditOf(d, IDC_SERVER)->selectAll();
            PressKey(EditOf(d, IDC_SERVER), Qt::Key_Backspace);
            TypeText(EditOf(d, IDC_SERVER), name);
            ClickButton(d, IDOK);
        });
        CDialogServerName dialog;
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(ProfileString("GGS/server"), name);
        EXPECT_TRUE(TestProfile().contains(QStringLiteral("GGS/server")));
    }
}

TEST(Dialogs, AutopassAndAutosave)
{
    TestApp app;
    {
        ModalDriver driver;
        driver.OnDialog([](CDialog* d) {
            EXPECT_TRUE(Radio(d, IDC_AUTOPASS_NOTIFY)->isChecked());
            EXPECT_TRUE(Radio(d, IDC_AUTOFORCE_OFF)->isChecked());
            EXPECT_FALSE(Radio(d, IDC_AUTOPASS_OFF)->isChecked());
            Radio(d, IDC_AUTOPASS_INSTANT)->click();
            Radio(d, IDC_AUTOFORCE_INSTANT)->click();
            EXPECT_FALSE(Radio(d, IDC_AUTOPASS_NOTIFY)->isChecked());
            ClickButton(d, IDOK);
        });
        CDialogReversiAutopass dialog;
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(app.nAutopass, 2);
        EXPECT_EQ(app.nAutoforce, 2);
    }
    {
        ModalDriver driver;
        driver.OnDialog([](CDialog* d) {
            Radio(d, IDC_AUTOPASS_OFF)->click();
            ClickButton(d, IDCANCEL);
        });
        CDialogReversiAutopass dialog;
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_EQ(app.nAutopass, 2);
    }
    {
        ModalDriver driver;
        driver.OnDialog([](CDialog* d) {
            EXPECT_TRUE(Radio(d, IDC_AUTOSAVE_MINE_ASK)->isChecked());
            EXPECT_TRUE(Radio(d, IDC_AUTOSAVE_OTHERS_ASK)->isChecked());
            Radio(d, IDC_AUTOSAVE_MINE_NEVER)->click();
            Radio(d, IDC_AUTOSAVE_OTHERS_ALWAYS)->click();
            ClickButton(d, IDOK);
        });
        CDialogReversiAutosave dialog;
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(app.nAutosaveMine, 0);
        EXPECT_EQ(app.nAutosaveOthers, 2);
    }
}

TEST(Dialogs, KomiTalkToLoginAndAbout)
{
    TestApp app;
    {
        // A text that is not a number is refused and the dialog stays open.
        ModalDriver driver;
        driver.OnDialog([](CDialog* d) {
            EXPECT_EQ(EditOf(d, IDC_KOMI)->text(), QStringLiteral("0"));
            EditOf(d, IDC_KOMI)->selectAll();
            TypeText(EditOf(d, IDC_KOMI), QStringLiteral("abc"));
            ClickButton(d, IDOK);
        });
        driver.AcceptMessageBox();
        // Neither is "nan" or "inf" a komi.
        for (const QString& text : {QStringLiteral("nan"), QStringLiteral("-inf")}) {
            driver.OnDialog([text](CDialog* d) {
                EditOf(d, IDC_KOMI)->selectAll();
                TypeText(EditOf(d, IDC_KOMI), text);
                ClickButton(d, IDOK);
            });
            driver.AcceptMessageBox();
        }
        driver.OnDialog([](CDialog* d) {
            EditOf(d, IDC_KOMI)->selectAll();
            TypeText(EditOf(d, IDC_KOMI), QStringLiteral("3.5"));
            ClickButton(d, IDOK);
        });
        CDialogGetKomi dialog;
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_DOUBLE_EQ(dialog.m_dKomi, 3.5);
        EXPECT_EQ(driver.messageBoxes.size(), 3u);
    }
    {
        // At most eight characters can be typed.
        ModalDriver driver;
        driver.OnDialog([](CDialog* d) {
            TypeText(EditOf(d, IDC_TALK_TO), QStringLiteral("abcdefghij"));
            EXPECT_EQ(EditOf(d, IDC_TALK_TO)->text(), QStringLiteral("abcdefgh"));
            PressKey(EditOf(d, IDC_TALK_TO), Qt::Key_Return);
        });
        CDialogTalkTo dialog;
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(dialog.m_strLogin, QStringLiteral("abcdefgh"));
    }
    {
        ModalDriver driver;
        driver.OnDialog([](CDialog* d) { ClickButton(d, IDOK); });
        CDialogGetLogin dialog;
        dialog.m_strLogin = QStringLiteral("alice");
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(dialog.m_strLogin, QStringLiteral("alice"));
    }
    {
        ModalDriver driver;
        driver.OnDialog([](CDialog* d) {
            EditOf(d, IDC_LOGIN)->clear();
            ClickButton(d, IDOK);
        });
        CDialogGetLogin dialog;
        dialog.m_strLogin = QStringLiteral("alice");
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(dialog.m_strLogin, QString());
    }
    {
        ModalDriver driver;
        driver.OnDialog([](CDialog* d) {
            EXPECT_EQ(qobject_cast<QLabel*>(d->GetDlgItem(IDC_VERSION))->text(), QStringLiteral("Version 0.75"));
            EXPECT_EQ(d->GetDlgItem(IDCANCEL), nullptr);
            ClickButton(d, IDOK);
        });
        CAboutDlg dialog;
        EXPECT_EQ(dialog.DoModal(), IDOK);
    }
}

TEST(Dialogs, ConnectLoginRuleAndFocus)
{
    EXPECT_TRUE(CDialogGGSConnect::IsValidLogin(QStringLiteral("ab")));
    EXPECT_TRUE(CDialogGGSConnect::IsValidLogin(QStringLiteral("a.b_c9")));
    EXPECT_TRUE(CDialogGGSConnect::IsValidLogin(QStringLiteral("12345678")));
    EXPECT_FALSE(CDialogGGSConnect::IsValidLogin(QStringLiteral("a")));
    EXPECT_FALSE(CDialogGGSConnect::IsValidLogin(QStringLiteral("123456789")));
    EXPECT_FALSE(CDialogGGSConnect::IsValidLogin(QStringLiteral(".abc")));
    EXPECT_FALSE(CDialogGGSConnect::IsValidLogin(QStringLiteral("_abc")));
    EXPECT_FALSE(CDialogGGSConnect::IsValidLogin(QStringLiteral("ab,c")));
    EXPECT_FALSE(CDialogGGSConnect::IsValidLogin(QStringLiteral("ab/c")));

    TestApp app;
    app.SetRegistryKey(QStringLiteral("Deziduva"));
    tavostream stream; // never connected: a refused login sends nothing

    // A refused login shows 48038, keeps what was typed and writes nothing.
    {
        ModalDriver driver;
        driver.OnDialog([](CDialog* d) {
            EXPECT_EQ(d->GetFocusControl(), d->GetDlgItem(IDC_LOGIN));
            EXPECT_TRUE(qobject_cast<QCheckBox*>(d->GetDlgItem(IDC_SAVE_PASSWORD))->isChecked());
            TypeText(EditOf(d, IDC_LOGIN), QStringLiteral("_bad"));
            TypeText(EditOf(d, IDC_PASSWORD), QStringLiteral("secretpass"));
            EXPECT_EQ(EditOf(d, IDC_PASSWORD)->text(), QStringLiteral("secretpa"));
            EXPECT_EQ(EditOf(d, IDC_PASSWORD)->echoMode(), QLineEdit::Password);
            ClickButton(d, IDOK);
        });
        driver.AcceptMessageBox();
        driver.OnDialog([](CDialog* d) {
            EXPECT_EQ(EditOf(d, IDC_LOGIN)->text(), QStringLiteral("_bad"));
            ClickButton(d, IDCANCEL);
        });
        CDialogGGSConnect dialog(&stream);
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        ASSERT_EQ(driver.messageBoxes.size(), 1u);
        EXPECT_TRUE(driver.messageBoxes[0].startsWith(QStringLiteral("Your login name must be between 2 and 8")));
        EXPECT_EQ(ProfileString("GGS/login"), QString());
    }

    // The focus skips what is remembered: login only, then login and password.
    QSettings profile = TestProfile();
    profile.setValue(QStringLiteral("GGS/login"), QStringLiteral("alice"));
    profile.sync();
    {
        ModalDriver driver;
        driver.OnDialog([](CDialog* d) {
            EXPECT_EQ(EditOf(d, IDC_LOGIN)->text(), QStringLiteral("alice"));
            EXPECT_EQ(EditOf(d, IDC_PASSWORD)->text(), QString());
            EXPECT_EQ(d->GetFocusControl(), d->GetDlgItem(IDC_PASSWORD));
            ClickButton(d, IDCANCEL);
        });
        CDialogGGSConnect dialog(&stream);
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    }
    profile.setValue(QStringLiteral("GGS/password"), QStringLiteral("secret"));
    profile.setValue(QStringLiteral("GGS/fSavePassword"), 0);
    profile.sync();
    {
        ModalDriver driver;
        driver.OnDialog([](CDialog* d) {
            EXPECT_EQ(d->GetFocusControl(), d->GetDlgItem(IDOK));
            EXPECT_FALSE(qobject_cast<QCheckBox*>(d->GetDlgItem(IDC_SAVE_PASSWORD))->isChecked());
            ClickButton(d, IDCANCEL);
        });
        CDialogGGSConnect dialog(&stream);
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    }
}
