// Support for the tests of the service's dialogs and list windows: their controls found
// by id and used as a user does, and an application that records the help it opens.
#pragma once

#include "GameTestSupport.h"
#include "TalkSupport.h"

#include "DialogResizableList.h"
#include "mfc/Dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <chrono>

inline QComboBox* ComboOf(CDialog* dialog, int id)
{
    return qobject_cast<QComboBox*>(dialog->GetDlgItem(id));
}

inline QCheckBox* CheckOf(CDialog* dialog, int id)
{
    return qobject_cast<QCheckBox*>(dialog->GetDlgItem(id));
}

// Clears an edit and types the text, as the user does.
inline void Retype(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    PressKey(edit, Qt::Key_Backspace);
    TypeText(edit, text);
}

// Types the text into a combo box's field.
inline void Choose(QComboBox* combo, const QString& text)
{
    Retype(combo->lineEdit(), text);
}

inline void Click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
}

// The rows of a list window, each as its cells joined by '|'.
inline std::vector<std::string> Rows(CDialogResizableList* dialog)
{
    return ListRows(dialog->m_list);
}

// The column titles of a list window, joined by '|'.
inline std::string Columns(CDialogResizableList* dialog)
{
    std::string text;
    for (int column = 0; column < dialog->m_list->columnCount(); ++column)
        text += (column ? "|" : "") + ToStd(dialog->m_list->headerItem()->text(column));
    return text;
}

// Closes every modal window that stays open for a second (a plain build's second), and
// keeps its title: a box or dialog that a test does not answer fails the test instead of
// waiting for a click.
class StrayModals {
public:
    StrayModals() : m_context(new QObject)
    {
        auto* timer = new QTimer(m_context.get());
        QObject::connect(timer, &QTimer::timeout, m_context.get(), [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal != m_seen) {
                m_seen = modal;
                m_since = std::chrono::steady_clock::now();
            } else if (modal && std::chrono::steady_clock::now() - m_since > Scaled(std::chrono::seconds(1))) {
                titles.push_back(ToStd(modal->windowTitle()));
                m_seen = nullptr;
                modal->close();
            }
        });
        timer->start(10);
    }
    std::vector<std::string> titles;

private:
    std::unique_ptr<QObject> m_context;
    QWidget* m_seen = nullptr;
    std::chrono::steady_clock::time_point m_since;
};

// An application that records the help pages it is asked for instead of opening them.
class CHelpRecordingApp : public CGameTestApp {
public:
    void WinHelp(DWORD data, UINT command) override
    {
        if (command == HELP_CONTEXT)
            help.push_back(data & 0xFFFF);
    }
    std::vector<DWORD> help;
};
