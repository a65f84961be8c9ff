// The plan dialog as it opens: its lists filled from the input files and the options, the
// preselections, focus and tab order, and how its one-entry lists and destination box answer keys.
#include "support/GuiTestSupport.h"
#include "support/PlanDriving.h"

#include "app/Controls.h"
#include "app/PlannerState.h"
#include "app/Text.h"
#include "plan/PlanDialog.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <random>

namespace {
// In file order: KJFK, eddm, EDDF, EBBR, LFPG, edaa, EGLL; a line without a comma gives no code.
const std::string Airports =
    "KJFK,N40* 38.00',W73* 47.00',13\r\n"
    "eddm,N48* 21.00',E11* 47.00',1487\r\n"
    "EDDF,N50* 2.00',E8* 34.00',364\r\n"
    "no comma on this line\r\n"
    "EBBR,N50* 54.00',E4* 29.00',184\r\n"
    "  LFPG ,N49* 0.00',E2* 33.00',392\r\n"
    "edaa,N50* 0.00',E8* 0.00',100\r\n"
    "EGLL,N51* 28.00',W0* 27.00',83\r\n";
const QStringList SortedCodes = {"EBBR", "edaa", "EDDF", "eddm", "EGLL", "KJFK", "LFPG"};

const std::string Aircraft =
    "JET7,450,\"Example Air Boeing 737-800\"\r\n"
    "\r\n"
    "PROP2,120,no title in quotes\r\n"
    "   CAFE1,300,\"Caf\xE9 Air Dash 8\" trailing words\r\n"
    "JET9,460,\"Zulu Cargo 777F\"\r\n"
    "EURO1,1,\"\x80uro \x81\x9F\"\r\n";
const QStringList AircraftShown = {"JET7,450,\"Example Air Boeing 737-800\"", "",
                                   QStringLiteral("CAFE1,300,\"Caf\u00E9 Air Dash 8\""), "JET9,460,\"Zulu Cargo 777F\"",
                                   QStringLiteral("EURO1,1,\"\u20ACuro \u0081\u0178\"")};

const QStringList TemplateTabOrder = {
    "IDC_AIRCRAFT",      "IDC_REGISTRATION",    "IDC_PERIOD",         "IDC_FLIGHT_RULE",
    "IDC_TRAFFIC_LIMIT", "IDC_ACCEPT_HEADER",   "IDC_DEPARTURE_TIME", "IDC_DAY_OF_WEEK",
    "IDC_FLIGHT_NUMBER", "IDC_FLIGHT_LEVEL",    "IDC_ACCEPT_LEG",     "IDOK",
    "IDCANCEL",          "IDC_TIME_DIFFERENCE", "IDC_PLAN_PREVIEW",   "IDC_DESTINATION",
};

OneLineList* List(QWidget& dialog, const char* name)
{
    auto* list = Control<OneLineList>(dialog, name);
    if (!list)
        qFatal("no list %s", name);
    return list;
}

DestinationBox* Destination(QWidget& dialog) { return Control<DestinationBox>(dialog, "IDC_DESTINATION"); }

QStringList Shown(const OneLineList* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

QString SelectedText(const OneLineList* list)
{
    const int index = list->GetCurSel();
    return index < 0 ? QString() : list->item(index)->text();
}

// The selected entry stands in the one-entry-high window of the list.
bool SelectedInView(const OneLineList* list)
{
    const int index = list->GetCurSel();
    if (index < 0)
        return false;
    const QRect entry = list->visualItemRect(list->item(index));
    return list->viewport()->rect().contains(QPoint(entry.left() + 2, entry.top() + 2));
}

// Opens the plan dialog as Start does, lets `inspect` look at it and act on it, then cancels it.
// Returns the end code; the messages shown before `inspect` ran land in `messagesAtOpening`.
int RunPlanDialog(const std::function<void(CPlanDialog&)>& inspect, QStringList* messagesAtOpening = nullptr)
{
    ModalScript script;
    script.Then([&](QDialog& dialog) {
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        if (messagesAtOpening)
            *messagesAtOpening = TakeMessages();
        inspect(static_cast<CPlanDialog&>(dialog));
        if (dialog.isVisible())
            ClickButton(dialog, "IDCANCEL");
    });
    CPlanDialog plan(nullptr);
    const int endCode = plan.Run();
    return script.AllStepsRun() ? endCode : LeftOpen;
}
} // namespace

class PlanDialogSetupTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        ResetState();
        m_folder = std::make_unique<WorkingFolder>();
        UseInputFiles(*m_folder, Aircraft, Airports);
    }
    void cleanup() { m_folder.reset(); }

    void firstOpeningWithEmptyOptionsOffersTheWholeDay()
    {
        int count = -1, selected = -2, destination = -2;
        QString first, last, shownSelected, destinationText;
        QStringList messages;
        const int endCode = RunPlanDialog(
            [&](CPlanDialog& dialog) {
                OneLineList* departures = List(dialog, "IDC_DEPARTURE_TIME");
                count = departures->count();
                first = departures->item(0)->text();
                last = departures->item(count - 1)->text();
                selected = departures->GetCurSel();
                shownSelected = SelectedText(departures);
                destination = Destination(dialog)->GetCurSel();
                destinationText = Destination(dialog)->text();
            },
            &messages);
        QCOMPARE(endCode, IDCANCEL);
        QCOMPARE(messages, QStringList());
        QCOMPARE(count, 288);
        QCOMPARE(first, QStringLiteral("00:00"));
        QCOMPARE(last, QStringLiteral("23:55"));
        QCOMPARE(selected, 0);
        QCOMPARE(shownSelected, QStringLiteral("00:00"));
        QCOMPARE(destination, 0);
        QCOMPARE(destinationText, QStringLiteral("EBBR"));
        QCOMPARE(State().firstHour, 0);
        QCOMPARE(State().endHour, 24);
        QCOMPARE(State().departureIndex, 0);
        QCOMPARE(State().destinationIndex, 0);
    }

    void departuresFollowTheHoursWithoutDepartures_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("until");
        QTest::addColumn<int>("rememberedIndex");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("departureIndex");
        QTest::addColumn<int>("firstHour");
        QTest::addColumn<int>("endHour");
        QTest::newRow("between 23 and 06 spans midnight") << "23"
                                                          << "06" << 0 << 204 << "06:00"
                                                          << "22:55"
                                                          << "06:00" << 0 << 6 << 23;
        QTest::newRow("and typed as 06:30 selects index 6") << ""
                                                            << "06:30" << 0 << 216 << "06:00"
                                                            << "23:55"
                                                            << "06:30" << 6 << 6 << 24;
        QTest::newRow("between 5 and 23 leaves no departure") << "5"
                                                              << "23" << 0 << 0 << ""
                                                              << ""
                                                              << "" << -1 << 23 << 5;
        QTest::newRow("between of blanks and no and") << "  "
                                                      << "" << 3 << 0 << ""
                                                      << ""
                                                      << "" << 3 << 0 << 0;
        QTest::newRow("and of letters selects nothing") << ""
                                                        << "ab" << 0 << 288 << "00:00"
                                                        << "23:55"
                                                        << "" << -1 << 0 << 24;
        QTest::newRow("no and keeps the remembered index") << "20"
                                                           << "" << 17 << 240 << "00:00"
                                                           << "19:55"
                                                           << "01:25" << 17 << 0 << 20;
        QTest::newRow("remembered index beyond the list") << "1"
                                                          << "" << 40 << 12 << "00:00"
                                                          << "00:55"
                                                          << "" << 40 << 0 << 1;
        QTest::newRow("between 26 ends the day at 23:55") << "26"
                                                          << "" << 0 << 288 << "00:00"
                                                          << "23:55"
                                                          << "00:00" << 0 << 0 << 24;
        QTest::newRow("and -2 starts at 00:00") << ""
                                                << "-2" << 0 << 288 << "00:00"
                                                << "23:55"
                                                << "" << -1 << 0 << 24;
        QTest::newRow("huge between builds one day at most") << "99999999999"
                                                             << "" << 0 << 288 << "00:00"
                                                             << "23:55"
                                                             << "00:00" << 0 << 0 << 24;
        QTest::newRow("huge negative between leaves none") << "-99999999999"
                                                           << "" << 0 << 0 << ""
                                                           << ""
                                                           << "" << 0 << 0 << 0;
        QTest::newRow("huge and leaves none") << ""
                                              << "4294967302" << 0 << 0 << ""
                                              << ""
                                              << "" << -1 << 24 << 24;
    }
    void departuresFollowTheHoursWithoutDepartures()
    {
        QFETCH(QString, from);
        QFETCH(QString, until);
        QFETCH(int, rememberedIndex);
        QFETCH(int, count);
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(QString, selected);
        QFETCH(int, departureIndex);
        QFETCH(int, firstHour);
        QFETCH(int, endHour);
        SetStoredOptions("", "", from.toLatin1().constData(), until.toLatin1().constData());
        State().departureIndex = rememberedIndex;
        QStringList shown;
        QString shownSelected;
        bool inView = false;
        RunPlanDialog([&](CPlanDialog& dialog) {
            OneLineList* departures = List(dialog, "IDC_DEPARTURE_TIME");
            shown = Shown(departures);
            shownSelected = SelectedText(departures);
            inView = departures->GetCurSel() < 0 || SelectedInView(departures);
        });
        QCOMPARE(shown.size(), count);
        QCOMPARE(shown.value(0), first);
        QCOMPARE(shown.isEmpty() ? QString() : shown.constLast(), last);
        QCOMPARE(shownSelected, selected);
        QVERIFY(inView);
        QCOMPARE(State().departureIndex, departureIndex);
        QCOMPARE(State().firstHour, firstHour);
        QCOMPARE(State().endHour, endHour);
        // Every entry is a time of the day, five minutes after the one before.
        for (int i = 0; i < shown.size(); ++i) {
            const int minutes = (firstHour * 60) + 5 * i;
            QCOMPARE(shown[i], QStringLiteral("%1:%2")
                                   .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                                   .arg(minutes % 60, 2, 10, QLatin1Char('0')));
        }
    }

    void destinationPreselection_data()
    {
        QTest::addColumn<QString>("firstDestination");
        QTest::addColumn<int>("rememberedIndex");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("destinationIndex");
        QTest::newRow("two letters in lower case") << "ed" << 0 << 1 << "edaa" << 1;
        QTest::newRow("prefix matching a lower-case code") << "EDDM" << 0 << 3 << "eddm" << 3;
        QTest::newRow("one letter") << "k" << 5 << 5 << "KJFK" << 5;
        QTest::newRow("no code begins with it") << "ZZ" << 2 << -1 << "" << -1;
        QTest::newRow("remembered index") << "" << 4 << 4 << "EGLL" << 4;
        QTest::newRow("remembered index beyond a shorter list") << "" << 12 << -1 << "" << 12;
        QTest::newRow("remembered -1") << "" << -1 << -1 << "" << -1;
    }
    void destinationPreselection()
    {
        QFETCH(QString, firstDestination);
        QFETCH(int, rememberedIndex);
        QFETCH(int, selected);
        QFETCH(QString, shown);
        QFETCH(int, destinationIndex);
        SetStoredOptions("", firstDestination.toLatin1().constData(), "", "");
        State().destinationIndex = rememberedIndex;
        int shownSelection = -2;
        QString text;
        QStringList codes;
        RunPlanDialog([&](CPlanDialog& dialog) {
            DestinationBox* box = Destination(dialog);
            shownSelection = box->GetCurSel();
            text = box->text();
            for (int i = 0; i < box->Count(); ++i)
                codes << QString::fromStdString(box->GetLBText(i));
        });
        QCOMPARE(codes, SortedCodes);
        QCOMPARE(shownSelection, selected);
        QCOMPARE(text, shown);
        QCOMPARE(State().destinationIndex, destinationIndex);
    }

    void destinationCodesSortWithoutRegardToCase_data()
    {
        QTest::addColumn<int>("longest");
        QTest::addColumn<int>("commonPrefix");
        QTest::newRow("codes of up to five bytes") << 5 << 0;
        QTest::newRow("codes of up to twelve bytes") << 12 << 0;
        QTest::newRow("long codes agreeing in their first nine bytes") << 14 << 9;
    }
    void destinationCodesSortWithoutRegardToCase()
    {
        QFETCH(int, longest);
        QFETCH(int, commonPrefix);
        // Letters in both cases, digits, and bytes above 0x7F with a case of their own (0xC9/0xE9,
        // 0x8A/0x9A) or none (0xD7); repeated codes and codes equal but for case included.
        const std::string alphabet = "aAbBzZ09\xC9\xE9\x8A\x9A\xD7_";
        std::mt19937 random(1234u + unsigned(longest));
        std::vector<std::string> codes;
        std::string file;
        for (int i = 0; i < 3000; ++i) {
            std::string code(size_t(commonPrefix), 'Q');
            const int length = 1 + int(random() % unsigned(longest - commonPrefix));
            for (int k = 0; k < length; ++k)
                code += alphabet[random() % alphabet.size()];
            if (i % 7 == 0 && !codes.empty())
                code = codes[random() % codes.size()]; // the same code again
            if (i % 11 == 0 && !codes.empty()) {
                code = codes[random() % codes.size()];
                for (char& c : code)
                    c = char(UpperByte(static_cast<unsigned char>(c)));
            }
            codes.push_back(code);
            file += code + ",N1* 0.00',E1* 0.00',1\r\n";
        }
        UseInputFiles(*m_folder, Aircraft, file);
        std::vector<std::string> expected = codes;
        std::stable_sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) {
            const int order = CompareNoCase(a, b);
            return order != 0 ? order < 0 : a < b;
        });
        std::vector<std::string> shown;
        RunPlanDialog([&](CPlanDialog& dialog) {
            for (int i = 0; i < Destination(dialog)->Count(); ++i)
                shown.push_back(Destination(dialog)->GetLBText(i));
        });
        QCOMPARE(shown.size(), expected.size());
        for (size_t i = 0; i < shown.size(); ++i)
            QVERIFY2(shown[i] == expected[i], qPrintable(QStringLiteral("entry %1 differs").arg(i)));
    }

    void firstDestinationTypedInTheOptionsPreselectsIt()
    {
        QCOMPARE(RunOptions([](QDialog& dialog) {
                     TypeInto(dialog, "IDC_FIRST_DESTINATION", QStringLiteral(" eg"));
                     QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                 }),
                 0);
        QString text;
        RunPlanDialog([&](CPlanDialog& dialog) { text = Destination(dialog)->text(); });
        QCOMPARE(text, QStringLiteral("EGLL"));
        QCOMPARE(State().destinationIndex, 4);
    }

    void optionsCancelKeepsTheEarlierValues()
    {
        QCOMPARE(RunOptions([](QDialog& dialog) {
                     TypeInto(dialog, "IDC_FIRST_DESTINATION", QStringLiteral("lf"));
                     TypeInto(dialog, "IDC_QUIET_FROM", QStringLiteral("23"));
                     TypeInto(dialog, "IDC_QUIET_UNTIL", QStringLiteral("6"));
                     ClickButton(dialog, "IDOK");
                 }),
                 0);
        QCOMPARE(RunOptions([](QDialog& dialog) {
                     TypeInto(dialog, "IDC_FIRST_DESTINATION", QStringLiteral("KJ"));
                     TypeInto(dialog, "IDC_QUIET_UNTIL", QStringLiteral("9"));
                     ClickButton(dialog, "IDCANCEL");
                 }),
                 IDCANCEL);
        int count = 0;
        QString departure, destination;
        RunPlanDialog([&](CPlanDialog& dialog) {
            count = List(dialog, "IDC_DEPARTURE_TIME")->count();
            departure = SelectedText(List(dialog, "IDC_DEPARTURE_TIME"));
            destination = Destination(dialog)->text();
            SaveScreenshot(dialog, QStringLiteral("plan-dialog-preselected"));
        });
        QCOMPARE(count, 204);
        QCOMPARE(departure, QStringLiteral("06:00"));
        QCOMPARE(destination, QStringLiteral("LFPG"));
    }

    void fixedListsArePreselectedAndEveryControlIsReady()
    {
        struct Seen {
            QStringList entries;
            QString selected;
            bool inView = false;
        };
        QHash<QString, Seen> lists;
        bool dayListVisible = false, dayLabelVisible = false;
        QStringList notReady, notEmpty;
        RunPlanDialog([&](CPlanDialog& dialog) {
            for (OneLineList* list : dialog.findChildren<OneLineList*>())
                lists.insert(list->objectName(), Seen{Shown(list), SelectedText(list), SelectedInView(list)});
            dayListVisible = List(dialog, "IDC_DAY_OF_WEEK")->isVisible();
            dayLabelVisible = Control<QLabel>(dialog, "IDC_DAY_OF_WEEK_LABEL")->isVisible();
            for (QWidget* control : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (!control->isVisible() || !control->isEnabled())
                    notReady << control->objectName();
            }
            for (const char* name : {"IDC_REGISTRATION", "IDC_FLIGHT_NUMBER", "IDC_FLIGHT_LEVEL"}) {
                if (!Control<QLineEdit>(dialog, name)->text().isEmpty())
                    notEmpty << name;
            }
            if (!Control<QPlainTextEdit>(dialog, "IDC_PLAN_PREVIEW")->toPlainText().isEmpty())
                notEmpty << "IDC_PLAN_PREVIEW";
            SaveScreenshot(dialog, QStringLiteral("plan-dialog-opened"));
        });
        QCOMPARE(lists.size(), 7);
        QCOMPARE(lists["IDC_PERIOD"].entries, (QStringList{"1Hr", "2Hr", "4Hr", "6Hr", "8Hr", "12Hr", "24Hr", "WEEK"}));
        QCOMPARE(lists["IDC_PERIOD"].selected, QStringLiteral("24Hr"));
        QCOMPARE(lists["IDC_FLIGHT_RULE"].entries, (QStringList{"IFR", "VFR"}));
        QCOMPARE(lists["IDC_FLIGHT_RULE"].selected, QStringLiteral("IFR"));
        QCOMPARE(lists["IDC_TRAFFIC_LIMIT"].entries,
                 (QStringList{"10", "20", "30", "40", "50", "60", "70", "80", "90", "100"}));
        QCOMPARE(lists["IDC_TRAFFIC_LIMIT"].selected, QStringLiteral("50"));
        QStringList differences;
        for (int d = -12; d <= 12; ++d)
            differences << QString::number(d);
        QCOMPARE(lists["IDC_TIME_DIFFERENCE"].entries, differences);
        QCOMPARE(lists["IDC_TIME_DIFFERENCE"].selected, QStringLiteral("0"));
        QCOMPARE(lists["IDC_DAY_OF_WEEK"].entries,
                 (QStringList{"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"}));
        QCOMPARE(lists["IDC_DAY_OF_WEEK"].selected, QStringLiteral("Sunday"));
        QCOMPARE(lists["IDC_AIRCRAFT"].entries, AircraftShown);
        QCOMPARE(lists["IDC_AIRCRAFT"].selected, AircraftShown.constFirst());
        for (auto it = lists.cbegin(); it != lists.cend(); ++it)
            QVERIFY2(it->inView, qPrintable(it.key()));
        QVERIFY(dayListVisible);
        QVERIFY(dayLabelVisible);
        QCOMPARE(notReady, QStringList());
        QCOMPARE(notEmpty, QStringList());
    }

    void labelsAndButtonsFitTheirRectangles()
    {
        CPlanDialog dialog(nullptr);
        dialog.OnInitDialog();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Generating Flightplan"));
        QStringList cut;
        for (QLabel* label : dialog.findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
            if (QFontMetrics(label->font()).horizontalAdvance(label->text()) > label->contentsRect().width())
                cut << label->text();
        }
        for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
            if (QFontMetrics(button->font()).horizontalAdvance(button->text()) + 8 > button->width())
                cut << button->text();
        }
        QCOMPARE(cut, QStringList());
        QCOMPARE(Control<QLabel>(dialog, "IDC_DAY_OF_WEEK_LABEL")->text(), QStringLiteral("Day of Week :"));
        QStringList groups;
        for (QGroupBox* group : dialog.findChildren<QGroupBox*>())
            groups << group->title();
        QCOMPARE(groups, (QStringList{"General : Generating Header", "Generating Leg"}));
        QVERIFY(Control<QPushButton>(dialog, "IDOK")->isDefault());
    }

    void aircraftEntriesKeepTheirBytesAndShowDecoded()
    {
        std::vector<std::string> bytes;
        QString selected;
        RunPlanDialog([&](CPlanDialog& dialog) {
            OneLineList* aircraft = List(dialog, "IDC_AIRCRAFT");
            for (int i = 0; i < aircraft->count(); ++i)
                bytes.push_back(aircraft->GetText(i));
            selected = SelectedText(aircraft);
        });
        const std::vector<std::string> expected = {"JET7,450,\"Example Air Boeing 737-800\"", "",
                                                   "CAFE1,300,\"Caf\xE9 Air Dash 8\"", "JET9,460,\"Zulu Cargo 777F\"",
                                                   "EURO1,1,\"\x80uro \x81\x9F\""};
        QCOMPARE(bytes, expected);
        QCOMPARE(selected, AircraftShown.constFirst());
    }

    void destinationCodesKeepTheirBytesAndShowDecoded()
    {
        UseInputFiles(*m_folder, Aircraft, "LFMN,x\r\nL\xC9\x41\x42,x\r\nLEMD,x\r\n");
        SetStoredOptions("", "L\xC9", "", "");
        QString text;
        std::string code;
        RunPlanDialog([&](CPlanDialog& dialog) {
            text = Destination(dialog)->text();
            code = Destination(dialog)->GetLBText(Destination(dialog)->GetCurSel());
        });
        QCOMPARE(text, QStringLiteral("L\u00C9AB"));
        QCOMPARE(code, std::string("L\xC9\x41\x42"));
    }

    void focusStartsOnTheAircraftListAndTabFollowsTheTemplate()
    {
        QString atOpening;
        QStringList forward, backward;
        RunPlanDialog([&](CPlanDialog&) {
            atOpening = FocusName();
            forward << FocusName();
            for (int i = 0; i < TemplateTabOrder.size(); ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                forward << FocusName();
            }
            backward << FocusName();
            for (int i = 0; i < TemplateTabOrder.size(); ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
                backward << FocusName();
            }
        });
        QCOMPARE(atOpening, QStringLiteral("IDC_AIRCRAFT"));
        QCOMPARE(forward, TemplateTabOrder + QStringList{"IDC_AIRCRAFT"});
        QStringList reversed{"IDC_AIRCRAFT"};
        for (qsizetype i = TemplateTabOrder.size() - 1; i >= 0; --i)
            reversed << TemplateTabOrder[i];
        QCOMPARE(backward, reversed);
    }

    void oneLineListStepsWithTheArrowKeysAndIgnoresLetters()
    {
        QStringList seen;
        RunPlanDialog([&](CPlanDialog& dialog) {
            OneLineList* period = List(dialog, "IDC_PERIOD");
            period->setFocus(Qt::TabFocusReason);
            auto press = [&](Qt::Key key, const QString& text = {}) {
                QTest::sendKeyEvent(QTest::Click, period, key, text, Qt::NoModifier);
                seen << SelectedText(period) + (SelectedInView(period) ? QString() : QStringLiteral(" (out of view)"));
            };
            press(Qt::Key_Down);
            press(Qt::Key_Down); // stays on the last entry
            press(Qt::Key_Up);
            press(Qt::Key_Up);
            press(Qt::Key_1, QStringLiteral("1"));
            press(Qt::Key_W, QStringLiteral("W"));
            press(Qt::Key_Home);
        });
        QCOMPARE(seen, (QStringList{"WEEK", "WEEK", "24Hr", "12Hr", "12Hr", "12Hr", "1Hr"}));
    }

    void setCurSelMinusOneClearsTheSelection()
    {
        int listSelection = 0, selectedItems = -1, boxSelection = 0, afterDown = -2;
        bool currentCleared = false, farEntryInView = false;
        QString boxText = QStringLiteral("unchanged");
        RunPlanDialog([&](CPlanDialog& dialog) {
            OneLineList* departures = List(dialog, "IDC_DEPARTURE_TIME");
            departures->SetCurSel(200);
            farEntryInView = SelectedInView(departures) && SelectedText(departures) == QStringLiteral("16:40");
            departures->SetCurSel(-1);
            listSelection = departures->GetCurSel();
            selectedItems = int(departures->selectedItems().size());
            currentCleared = departures->currentItem() == nullptr;
            departures->setFocus(Qt::TabFocusReason);
            QTest::keyClick(departures, Qt::Key_Down);
            afterDown = departures->GetCurSel();

            DestinationBox* box = Destination(dialog);
            box->SetCurSel(3);
            box->SetCurSel(-1);
            boxSelection = box->GetCurSel();
            boxText = box->text();
        });
        QVERIFY(farEntryInView);
        QCOMPARE(listSelection, -1);
        QCOMPARE(selectedItems, 0);
        QVERIFY(currentCleared);
        QCOMPARE(afterDown, 0);
        QCOMPARE(boxSelection, -1);
        QCOMPARE(boxText, QString());
    }

    void destinationBoxFollowsWhatIsTyped()
    {
        struct Step {
            QString text;
            int selected;
        };
        QList<Step> steps;
        int countAfterEnter = 0;
        bool openAfterEnter = false;
        RunPlanDialog([&](CPlanDialog& dialog) {
            DestinationBox* box = Destination(dialog);
            box->setFocus(Qt::TabFocusReason);
            box->selectAll();
            auto note = [&] { steps << Step{box->text(), box->GetCurSel()}; };
            QTest::keyClicks(box, QStringLiteral("e"));
            note();
            QTest::keyClicks(box, QStringLiteral("d"));
            note();
            QTest::keyClicks(box, QStringLiteral("d"));
            note();
            QTest::keyClicks(box, QStringLiteral("x"));
            note();
            QTest::keyClick(box, Qt::Key_Backspace);
            note();
            QTest::keyClick(box, Qt::Key_Down);
            note();
            QTest::keyClick(box, Qt::Key_Down);
            note();
            QTest::keyClick(box, Qt::Key_Up);
            note();
            box->selectAll();
            QTest::keyClicks(box, QStringLiteral("XYZ"));
            note();
            QTest::keyClick(box, Qt::Key_Down);
            note();
            box->selectAll();
            QTest::keyClicks(box, QStringLiteral("NEW1"));
            QTest::keyClick(box, Qt::Key_Return);
            TakeMessages(); // Enter pressed OK, which refuses a plan without legs
            countAfterEnter = box->Count();
            openAfterEnter = dialog.isVisible();
        });
        const QList<std::pair<QString, int>> expected = {
            {"e", 0},                  // EBBR
            {"ed", 1},                 // edaa: the typed text stays as typed
            {"edd", 2},                // EDDF
            {"eddx", -1},              // no code begins with it: no stale code stays selected
            {"edd", 2},   {"eddm", 3}, // the arrow keys step through the sorted codes
            {"EGLL", 4},  {"eddm", 3}, {"XYZ", -1}, {"EBBR", 0},
        };
        QCOMPARE(steps.size(), expected.size());
        for (qsizetype i = 0; i < steps.size(); ++i) {
            QCOMPARE(steps[i].text, expected[i].first);
            QCOMPARE(steps[i].selected, expected[i].second);
        }
        QCOMPARE(countAfterEnter, int(SortedCodes.size()));
        QVERIFY(openAfterEnter);
    }

    void enterInAFieldOrAListPressesOk_data()
    {
        QTest::addColumn<QString>("control");
        for (const char* name : {"IDC_AIRCRAFT", "IDC_REGISTRATION", "IDC_PERIOD", "IDC_DEPARTURE_TIME",
                                 "IDC_FLIGHT_LEVEL", "IDC_DESTINATION"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void enterInAFieldOrAListPressesOk()
    {
        QFETCH(QString, control);
        // OK refuses a plan without legs with a message and leaves the dialog open: that message shows
        // that Enter pressed it.
        QStringList messages;
        bool open = false;
        QString periodShown;
        RunPlanDialog([&](CPlanDialog& dialog) {
            QWidget* widget = Control<QWidget>(dialog, control.toLatin1().constData());
            widget->setFocus(Qt::TabFocusReason);
            QTest::keyClick(widget, Qt::Key_Return);
            messages = TakeMessages();
            open = dialog.isVisible();
            periodShown = SelectedText(List(dialog, "IDC_PERIOD"));
        });
        QCOMPARE(messages.size(), 1);
        QVERIFY(open);
        QCOMPARE(periodShown, QStringLiteral("24Hr"));
    }

    void previewTakesEnterAsALineBreak()
    {
        QString text;
        QStringList messages;
        bool open = false, wraps = true;
        RunPlanDialog([&](CPlanDialog& dialog) {
            auto* preview = Control<QPlainTextEdit>(dialog, "IDC_PLAN_PREVIEW");
            preview->setFocus(Qt::TabFocusReason);
            QTest::keyClicks(preview, QStringLiteral("one"));
            QTest::keyClick(preview, Qt::Key_Return);
            QTest::keyClicks(preview, QStringLiteral("two"));
            text = preview->toPlainText();
            open = dialog.isVisible();
            wraps = preview->lineWrapMode() != QPlainTextEdit::NoWrap;
            messages = TakeMessages();
        });
        QCOMPARE(text, QStringLiteral("one\ntwo"));
        QVERIFY(open);
        QVERIFY(!wraps);
        QCOMPARE(messages, QStringList()); // Enter did not press OK
    }

    void unreadableInputFileOpensEmptyWithOneMessage_data()
    {
        QTest::addColumn<bool>("aircraftBad");
        QTest::addColumn<bool>("airportsBad");
        QTest::addColumn<bool>("emptyPath");
        QTest::newRow("no aircraft file chosen") << true << false << true;
        QTest::newRow("airport file in a missing folder") << false << true << false;
        QTest::newRow("both in a missing folder") << true << true << false;
    }
    void unreadableInputFileOpensEmptyWithOneMessage()
    {
        QFETCH(bool, aircraftBad);
        QFETCH(bool, airportsBad);
        QFETCH(bool, emptyPath);
        const std::filesystem::path missing = m_folder->Path("no such folder") / "list.txt";
        if (aircraftBad)
            State().aircraftChosenPath = emptyPath ? std::filesystem::path() : missing;
        if (airportsBad)
            State().airportChosenPath = emptyPath ? std::filesystem::path() : missing;
        int aircraftCount = -1, codeCount = -1, departures = -1;
        QStringList messages;
        const int endCode = RunPlanDialog(
            [&](CPlanDialog& dialog) {
                aircraftCount = List(dialog, "IDC_AIRCRAFT")->count();
                codeCount = Destination(dialog)->Count();
                departures = List(dialog, "IDC_DEPARTURE_TIME")->count();
            },
            &messages);
        QCOMPARE(endCode, IDCANCEL);
        QCOMPARE(aircraftCount, aircraftBad ? 0 : int(AircraftShown.size()));
        QCOMPARE(codeCount, airportsBad ? 0 : int(SortedCodes.size()));
        QCOMPARE(departures, 288);
        QCOMPARE(messages.size(), 1);
        const QString message = messages.constFirst();
        if (!emptyPath)
            QVERIFY2(message.contains(QStringLiteral("no such folder")), qPrintable(message));
        QCOMPARE(message.contains(QStringLiteral("Aircraft")), aircraftBad);
        QCOMPARE(message.contains(QStringLiteral("Airport")), airportsBad);
        QVERIFY(!Exists(m_folder->Path("no such folder")));
    }

    void missingFileInAnExistingFolderIsCreatedWithoutAMessage()
    {
        State().airportChosenPath = m_folder->Path("new airports.txt");
        int codeCount = -1, selection = -2;
        QString text = QStringLiteral("unchanged");
        QStringList messages;
        RunPlanDialog(
            [&](CPlanDialog& dialog) {
                codeCount = Destination(dialog)->Count();
                selection = Destination(dialog)->GetCurSel();
                text = Destination(dialog)->text();
            },
            &messages);
        QCOMPARE(messages, QStringList());
        QCOMPARE(codeCount, 0);
        QCOMPARE(selection, -1);
        QCOMPARE(text, QString());
        QVERIFY(Exists(m_folder->Path("new airports.txt")));
        QCOMPARE(ReadBytes(m_folder->Path("new airports.txt")), std::string());
    }

    void withoutAChosenPathTheStoredOneIsRead()
    {
        WriteBytes(m_folder->Path("fleet.txt"), "ONLY1,1,\"Only One\"\r\n");
        State().aircraftChosenPath.clear();
        State().aircraftPath = m_folder->Path("fleet.txt").string();
        QStringList shown;
        RunPlanDialog([&](CPlanDialog& dialog) { shown = Shown(List(dialog, "IDC_AIRCRAFT")); });
        QCOMPARE(shown, QStringList{"ONLY1,1,\"Only One\""});
    }

    void everyOpeningReadsTheFilesAfresh()
    {
        RunPlanDialog([](CPlanDialog&) {});
        UseInputFiles(*m_folder, "NEW1,1,\"New One\"\r\n", "ZZZZ,x\r\nAAAA,x\r\n");
        State().destinationIndex = 1;
        QStringList aircraft;
        QString destination;
        int codes = 0;
        RunPlanDialog([&](CPlanDialog& dialog) {
            aircraft = Shown(List(dialog, "IDC_AIRCRAFT"));
            destination = Destination(dialog)->text();
            codes = Destination(dialog)->Count();
        });
        QCOMPARE(aircraft, QStringList{"NEW1,1,\"New One\""});
        QCOMPARE(codes, 2);
        QCOMPARE(destination, QStringLiteral("ZZZZ"));
    }

private:
    std::unique_ptr<WorkingFolder> m_folder;
};

QTEST_MAIN(PlanDialogSetupTest)
#include "test_plan_dialog_setup.moc"
