// The options dialog: its labels, focus and tab order, Enter, Ctrl+Enter, Escape and Cancel, and
// the four values it stores, typed with real keys into the real controls.
#include "support/GuiTestSupport.h"
#include "support/PlanDriving.h"

#include "app/PlannerState.h"
#include "plan/OptionsDialog.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {
const char* const Fields[] = {"IDC_COMMENT", "IDC_FIRST_DESTINATION", "IDC_QUIET_FROM", "IDC_QUIET_UNTIL"};

QWidget* Field(QDialog& dialog, const char* name) { return Control<QWidget>(dialog, name); }

QString TextOf(QDialog& dialog, const char* name)
{
    if (auto* edit = Control<QLineEdit>(dialog, name))
        return edit->text();
    if (auto* edit = Control<QPlainTextEdit>(dialog, name))
        return edit->toPlainText();
    return QStringLiteral("<no such field>");
}
} // namespace

class OptionsDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetState(); }

    void labelsReadExactlyAsWrittenAndFit()
    {
        COptionsDialog options(nullptr);
        options.show();
        QVERIFY(QTest::qWaitForWindowExposed(&options));
        QCOMPARE(options.windowTitle(), QStringLiteral("Options Dialog"));
        QStringList texts;
        for (QLabel* label : options.findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
            texts << label->text();
            // Every label shows its whole text inside its own rectangle.
            const QRect room = label->contentsRect();
            if (label->wordWrap())
                QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(label->text()));
            else
                QVERIFY2(QFontMetrics(label->font()).horizontalAdvance(label->text()) <= room.width(),
                         qPrintable(label->text()));
        }
        QCOMPARE(texts,
                 (QStringList{
                     "If  you like to comment your new flightplan, do it here:",
                     "Enter your  first Destination Airport ICAO Code :",
                     "As the airport file might be rather large, it is sometimes convenient to pre-select the first "
                     "destination airport ICAO code in order to avoid having to go  through the whole airport list",
                     "Hours with no AI Traffic Departures (Local Time) :",
                     "between",
                     "and",
                     "h",
                     "h",
                 }));
        QCOMPARE(Control<QPushButton>(options, "IDOK")->text(), QStringLiteral("OK"));
        QCOMPARE(Control<QPushButton>(options, "IDCANCEL")->text(), QStringLiteral("Cancel"));
        QVERIFY(Control<QPushButton>(options, "IDOK")->isDefault());
    }

    void openingPutsTheFocusInTheEmptyCommentField()
    {
        QString focus;
        QStringList texts;
        const int endCode = RunOptions([&](QDialog& dialog) {
            focus = FocusName();
            for (const char* name : Fields)
                texts << TextOf(dialog, name);
            SaveScreenshot(dialog, QStringLiteral("options-dialog-empty"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        });
        QCOMPARE(endCode, IDCANCEL);
        QCOMPARE(focus, QStringLiteral("IDC_COMMENT"));
        QCOMPARE(texts, QStringList(4, QString()));
    }

    void enterInAnyFieldEndsAsOkAndStoresTheValuesNormalised_data()
    {
        QTest::addColumn<QString>("enterIn");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("until");
        QTest::addColumn<QByteArray>("storedFirst");
        QTest::addColumn<QByteArray>("storedUntil");
        QTest::newRow("lower case with blanks, in the comment") << "IDC_COMMENT"
                                                                << "  eddf "
                                                                << "23"
                                                                << "6" << QByteArray("EDDF") << QByteArray("06");
        QTest::newRow("in the first destination") << "IDC_FIRST_DESTINATION"
                                                  << "ed"
                                                  << "7"
                                                  << "06" << QByteArray("ED") << QByteArray("06");
        QTest::newRow("in between, a 6 with a blank stays") << "IDC_QUIET_FROM"
                                                            << "LfPg"
                                                            << ""
                                                            << "6 " << QByteArray("LFPG") << QByteArray("6 ");
        QTest::newRow("in and, an empty and stays empty") << "IDC_QUIET_UNTIL"
                                                          << ""
                                                          << "22"
                                                          << "" << QByteArray("") << QByteArray("");
        QTest::newRow("a letter as and gets its 0 too") << "IDC_QUIET_UNTIL"
                                                        << "k"
                                                        << "x"
                                                        << "a" << QByteArray("K") << QByteArray("0a");
        QTest::newRow("an and of 06:30 stays") << "IDC_QUIET_FROM"
                                               << ""
                                               << ""
                                               << "06:30" << QByteArray("") << QByteArray("06:30");
    }
    void enterInAnyFieldEndsAsOkAndStoresTheValuesNormalised()
    {
        QFETCH(QString, enterIn);
        QFETCH(QString, first);
        QFETCH(QString, from);
        QFETCH(QString, until);
        QFETCH(QByteArray, storedFirst);
        QFETCH(QByteArray, storedUntil);
        SetStoredOptions("old", "OLD", "1", "2");
        const int endCode = RunOptions([&](QDialog& dialog) {
            TypeInto(dialog, "IDC_COMMENT", QStringLiteral(" Summer  schedule "));
            TypeInto(dialog, "IDC_FIRST_DESTINATION", first);
            TypeInto(dialog, "IDC_QUIET_FROM", from);
            TypeInto(dialog, "IDC_QUIET_UNTIL", until);
            QWidget* field = Field(dialog, enterIn.toLatin1().constData());
            field->setFocus(Qt::MouseFocusReason);
            QTest::keyClick(field, Qt::Key_Return);
        });
        QCOMPARE(endCode, 0);
        QCOMPARE(State().comment, std::string(" Summer  schedule "));
        QCOMPARE(State().firstDestination, storedFirst.toStdString());
        QCOMPARE(State().quietFrom, from.toStdString());
        QCOMPARE(State().quietUntil, storedUntil.toStdString());
    }

    void okWithEveryFieldEmptyClearsEarlierValues()
    {
        SetStoredOptions("earlier comment", "EDDF", "23", "06");
        const int endCode = RunOptions(PressButton("IDOK"));
        QCOMPARE(endCode, 0);
        QCOMPARE(State().comment, std::string());
        QCOMPARE(State().firstDestination, std::string());
        QCOMPARE(State().quietFrom, std::string());
        QCOMPARE(State().quietUntil, std::string());
    }

    void ctrlEnterStartsANewLineInTheComment()
    {
        bool openAfterCtrlEnter = false;
        QString shown;
        const int endCode = RunOptions([&](QDialog& dialog) {
            QWidget* comment = Field(dialog, "IDC_COMMENT");
            QTest::keyClicks(comment, QStringLiteral("Winter"));
            QTest::keyClick(comment, Qt::Key_Return, Qt::ControlModifier);
            QTest::keyClicks(comment, QStringLiteral("daily"));
            openAfterCtrlEnter = dialog.isVisible();
            shown = TextOf(dialog, "IDC_COMMENT");
            QTest::keyClick(comment, Qt::Key_Return);
        });
        QVERIFY(openAfterCtrlEnter);
        QCOMPARE(shown, QStringLiteral("Winter\ndaily"));
        QCOMPARE(endCode, 0);
        QCOMPARE(State().comment, std::string("Winter\ndaily"));
    }

    void escapeAndCancelStoreNothing_data()
    {
        QTest::addColumn<bool>("useEscape");
        QTest::newRow("Escape") << true;
        QTest::newRow("Cancel button") << false;
    }
    void escapeAndCancelStoreNothing()
    {
        QFETCH(bool, useEscape);
        // An earlier opening confirmed its values.
        QCOMPARE(RunOptions([](QDialog& dialog) {
                     TypeInto(dialog, "IDC_COMMENT", QStringLiteral("kept"));
                     TypeInto(dialog, "IDC_FIRST_DESTINATION", QStringLiteral("lf"));
                     TypeInto(dialog, "IDC_QUIET_FROM", QStringLiteral("22"));
                     TypeInto(dialog, "IDC_QUIET_UNTIL", QStringLiteral("5"));
                     ClickButton(dialog, "IDOK");
                 }),
                 0);
        QStringList shownAtSecondOpening;
        const int endCode = RunOptions([&](QDialog& dialog) {
            for (const char* name : Fields)
                shownAtSecondOpening << TextOf(dialog, name);
            TypeInto(dialog, "IDC_COMMENT", QStringLiteral("thrown away"));
            TypeInto(dialog, "IDC_FIRST_DESTINATION", QStringLiteral("KJ"));
            TypeInto(dialog, "IDC_QUIET_UNTIL", QStringLiteral("7"));
            if (useEscape)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            else
                ClickButton(dialog, "IDCANCEL");
        });
        QCOMPARE(shownAtSecondOpening, QStringList(4, QString()));
        QCOMPARE(endCode, IDCANCEL);
        QCOMPARE(State().comment, std::string("kept"));
        QCOMPARE(State().firstDestination, std::string("LF"));
        QCOMPARE(State().quietFrom, std::string("22"));
        QCOMPARE(State().quietUntil, std::string("05"));
    }

    void tabAndShiftTabFollowTheTemplateOrder()
    {
        const QStringList order = {"IDC_COMMENT", "IDC_FIRST_DESTINATION", "IDOK",
                                   "IDCANCEL",    "IDC_QUIET_FROM",        "IDC_QUIET_UNTIL"};
        QStringList forward, backward;
        const int endCode = RunOptions([&](QDialog& dialog) {
            // Some text in the comment, so Tab cannot be mistaken for typing.
            QTest::keyClicks(Field(dialog, "IDC_COMMENT"), QStringLiteral("abc"));
            forward << FocusName();
            for (int i = 0; i < order.size(); ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                forward << FocusName();
            }
            backward << FocusName();
            for (int i = 0; i < order.size(); ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
                backward << FocusName();
            }
            const QString comment = TextOf(dialog, "IDC_COMMENT");
            QCOMPARE(comment, QStringLiteral("abc"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        });
        QCOMPARE(endCode, IDCANCEL);
        QCOMPARE(forward, order + QStringList{"IDC_COMMENT"});
        QStringList reversed{"IDC_COMMENT"};
        for (qsizetype i = order.size() - 1; i >= 0; --i)
            reversed << order[i];
        QCOMPARE(backward, reversed);
    }

    void enterOnTheFocusedCancelButtonCancels()
    {
        SetStoredOptions("kept", "", "", "");
        const int endCode = RunOptions([](QDialog& dialog) {
            TypeInto(dialog, "IDC_COMMENT", QStringLiteral("new"));
            Field(dialog, "IDCANCEL")->setFocus(Qt::TabFocusReason);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        QCOMPARE(endCode, IDCANCEL);
        QCOMPARE(State().comment, std::string("kept"));
    }

    void characterWithoutAPlanByteIsRefusedAndTheDialogStays_data()
    {
        QTest::addColumn<QString>("field");
        for (const char* name : Fields)
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void characterWithoutAPlanByteIsRefusedAndTheDialogStays()
    {
        QFETCH(QString, field);
        const QByteArray name = field.toLatin1();
        SetStoredOptions("earlier", "EDDF", "", "");
        const QString plane(QChar(0x2708));
        QStringList messages;
        bool stayedOpen = false;
        QString keptText;
        const int endCode = RunOptions([&](QDialog& dialog) {
            TypeInto(dialog, name.constData(), QStringLiteral("Caf"));
            QWidget* widget = Field(dialog, name.constData());
            // é has a plan byte; the plane has none.
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_Eacute, QString(QChar(0xE9)), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, plane, Qt::NoModifier);
            QTest::keyClick(widget, Qt::Key_Return);
            messages = TakeMessages();
            stayedOpen = dialog.isVisible();
            keptText = TextOf(dialog, name.constData());
            // Take the plane out again; now OK goes through.
            QTest::keyClick(widget, Qt::Key_Backspace);
            QTest::keyClick(widget, Qt::Key_Return);
        });
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.constFirst().contains(plane), qPrintable(messages.constFirst()));
        QVERIFY(messages.constFirst().contains(QStringLiteral("cannot")));
        QVERIFY(stayedOpen);
        QCOMPARE(keptText, QStringLiteral("Caf\u00E9") + plane);
        QCOMPARE(endCode, 0);
        const std::string typed = "Caf\xE9";
        const std::string upper = "CAF\xC9"; // é upper-cased by the code page is É
        QCOMPARE(State().comment, name == "IDC_COMMENT" ? typed : std::string());
        QCOMPARE(State().firstDestination, name == "IDC_FIRST_DESTINATION" ? upper : std::string());
        QCOMPARE(State().quietFrom, name == "IDC_QUIET_FROM" ? typed : std::string());
        QCOMPARE(State().quietUntil, name == "IDC_QUIET_UNTIL" ? typed : std::string());
    }

    void screenshotWithTypedValues()
    {
        RunOptions([](QDialog& dialog) {
            TypeInto(dialog, "IDC_COMMENT", QStringLiteral("Summer schedule 2024"));
            TypeInto(dialog, "IDC_FIRST_DESTINATION", QStringLiteral("EDDF"));
            TypeInto(dialog, "IDC_QUIET_FROM", QStringLiteral("23"));
            TypeInto(dialog, "IDC_QUIET_UNTIL", QStringLiteral("6"));
            SaveScreenshot(dialog, QStringLiteral("options-dialog-filled"));
            QCOMPARE(TextOf(dialog, "IDC_QUIET_UNTIL"), QStringLiteral("6"));
            ClickButton(dialog, "IDOK");
        });
        QCOMPARE(State().quietUntil, std::string("06"));
    }
};

QTEST_MAIN(OptionsDialogTest)
#include "test_options_dialog.moc"
