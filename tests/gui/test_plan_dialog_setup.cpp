// The three dialogs as their templates lay them out; what the options dialog stores and the plan dialog then
// preselects; how the plan dialog's lists and destination box answer keys, clicks and a long paste.
#include "support/OpenPlanDialog.h"
#include "support/PlanDriving.h"

#include "app/Controls.h"
#include "app/DialogBuilder.h"
#include "plan/OptionsDialog.h"
#include "res/DialogTemplates.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>

namespace {
// Sorted: EBBR, edaa, EDDF, eddm, EGLL, KJFK, LFPG, L\xC9AB.
const std::string Airports =
    "KJFK,x\r\neddm,x\r\nEDDF,x\r\nEBBR,x\r\n  LFPG ,x\r\nedaa,x\r\nEGLL,x\r\nL\xC9\x41\x42,x\r\n";
const std::string Aircraft = "EU,1,\"\x80\x9F\" trailing\r\nJET9,460,\"Zulu\"\r\n";

QString Selected(OneLineList* list) { return list->model()->index(list->GetCurSel(), 0).data().toString(); }
} // namespace

class PlanDialogSetupTest : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetState(); }

    void everyControlLandsOnItsRoundedRectangle()
    {
        // Each dialog at base units of 10 by 12 pixels: caption and size, then each control in template order
        // (labels beside their controls) with identifier, text, x, y, width, height and whether Tab stops on
        // it; the templates' units worked out by hand, each rounded on its own, halves up: 379 units are 948.
        // clang-format off
        const std::pair<const DialogTemplate&, QStringList> dialogs[] = {
            {PlanDialogTemplate(), {
                "IDD_102 \"Generating Flightplan\" 0,0,948,419", " \"General : Generating Header\" 75,15,800,113",
                " \"Aircraft :\" 108,38,63,15",                     "IDC_AIRCRAFT \"\" 195,36,380,15 tab",
                " \"Registration :\" 633,38,100,15",                "IDC_REGISTRATION \"\" 740,38,88,15 tab",
                " \"Period :\" 108,68,63,15",                       "IDC_PERIOD \"\" 195,68,105,15 tab",
                " \"Flight Rule :\" 385,68,88,15",                  "IDC_FLIGHT_RULE \"\" 485,68,65,15 tab",
                " \"Traffic Limit :\" 628,68,100,15",               "IDC_TRAFFIC_LIMIT \"\" 745,66,75,15 tab",
                " \"%\" 828,68,20,15",                             "IDC_ACCEPT_HEADER \"Accept Header\" 405,93,125,23 tab",
                " \"Generating Leg\" 25,143,888,135",
                " \"Local Departure Time :\" 50,173,175,15",        "IDC_DEPARTURE_TIME \"\" 238,173,113,15 tab",
                "IDC_DAY_OF_WEEK_LABEL \"Day of Week :\" 615,173,113,15", "IDC_DAY_OF_WEEK \"\" 730,173,145,15 tab",
                " \"Flight # :\" 50,203,63,15",                     "IDC_FLIGHT_NUMBER \"\" 150,203,88,15 tab",
                " \"Flight Level :\" 308,204,100,15",               "IDC_FLIGHT_LEVEL \"\" 415,204,75,15 tab",
                " \"Flight Goal  (ICAO) :\" 575,203,150,15",        "IDC_ACCEPT_LEG \"Accept Leg\" 403,233,125,23 tab",
                "IDOK \"OK\" 310,375,125,21 tab",                   "IDCANCEL \"Cancel\" 475,375,125,21 tab",
                " \"Time Difference :\" 375,173,138,15",            "IDC_TIME_DIFFERENCE \"\" 513,173,75,15 tab",
                "IDC_PLAN_PREVIEW \"\" 25,314,888,45 tab",          " \"Flightplan in TTools format :\" 30,293,213,15",
                "IDC_DESTINATION \"\" 730,198,145,18 tab"}},
            {OptionsDialogTemplate(), {
                "IDD_103 \"Options Dialog\" 0,0,560,269",
                " \"If  you like to comment your new flightplan, do it here:\" 73,15,388,15",
                "IDC_COMMENT \"\" 43,38,475,18 tab",
                " \"Enter your  first Destination Airport ICAO Code :\" 38,182,350,15",
                "IDC_FIRST_DESTINATION \"\" 428,180,88,18 tab",
                " \"As the airport file might be rather large, it is sometimes convenient to pre-select the first "
                "destination airport ICAO code in order to avoid having to go  through the whole airport list\" "
                "43,78,460,45",
                "IDOK \"OK\" 135,221,125,21 tab",                   "IDCANCEL \"Cancel\" 300,221,125,21 tab",
                " \"Hours with no AI Traffic Departures (Local Time) :\" 38,128,375,15",
                " \"between\" 100,150,75,15",                       "IDC_QUIET_FROM \"\" 188,150,55,15 tab",
                " \"and\" 318,150,33,15",                           "IDC_QUIET_UNTIL \"\" 365,150,63,15 tab",
                " \"h\" 255,150,25,15",                             " \"h\" 448,150,25,15"}},
            {CloseDialogTemplate(), {
                "IDD_104 \"Close\" 0,0,323,90", "IDOK \"OK\" 18,42,125,21 tab", "IDCANCEL \"Cancel\" 183,42,125,21 tab",
                " \"Close Program ?\" 93,15,145,12"}},
        };
        // clang-format on
        for (const auto& [layout, expected] : dialogs) {
            QDialog dialog, real; // the second at the units of the template's font, where every text must fit
            BuildDialog(dialog, layout, DialogUnits{10, 12});
            BuildDialog(real, layout);
            QVERIFY(real.width() <= 1024 && real.height() <= 768); // a small screen holds it
            // The font's horizontal unit is the average width of the 52 letters, rounded.
            const int letters = real.fontMetrics().horizontalAdvance(
                QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
            QVERIFY(std::abs(DialogUnitsOf(real.font()).baseX * 52 - letters) <= 26);
            QStringList shown{QString::asprintf("%s \"%s\" 0,0,%d,%d", qUtf8Printable(dialog.objectName()),
                                                qUtf8Printable(dialog.windowTitle()), dialog.width(), dialog.height())};
            const QList<QWidget*> fitting = real.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
            for (const QWidget* w : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                const QString text = w->property("text").toString() + w->property("title").toString();
                shown << QString::asprintf("%s \"%s\" %d,%d,%d,%d%s", qUtf8Printable(w->objectName()),
                                           qUtf8Printable(text), w->x(), w->y(), w->width(), w->height(),
                                           w->focusPolicy() & Qt::TabFocus ? " tab" : "");
                const QWidget* r = fitting.at(shown.size() - 2);
                QVERIFY2(r->property("wordWrap").toBool() ? r->heightForWidth(r->width()) <= r->height()
                                                          : r->fontMetrics().horizontalAdvance(text) + 4 <= r->width(),
                         qUtf8Printable(text));
            }
            QCOMPARE(shown, expected);
        }
    }

    // Where a caption decides the unit, it is the smallest that leaves the caption six pixels of frame each
    // side: a button whose caption needs an exact multiple of its width in quarter units is exactly that wide.
    void aButtonCaptionThatDecidesTheUnitKeepsItsFrame()
    {
        const QFont font = TemplateFont(PlanDialogTemplate());
        const int base = DialogUnitsOf(font).baseX;
        for (QByteArray caption = "Accept"; caption.size() < 60; caption += 'x') {
            const int needed = QFontMetrics(font).horizontalAdvance(QString::fromLatin1(caption)) + 12;
            for (int unit = base + 1; unit <= 2 * base; ++unit) {
                if (needed * 4 % unit != 0)
                    continue;
                const DialogTemplate narrow{
                    1,
                    "",
                    60,
                    30,
                    "MS Sans Serif",
                    10,
                    {{1, "IDOK", ControlClass::Button, 0, caption, 5, 5, needed * 4 / unit, 14}}};
                QDialog dialog;
                BuildDialog(dialog, narrow);
                QCOMPARE(Control<QPushButton>(dialog, "IDOK")->width(), needed);
                return;
            }
        }
        QFAIL("no caption needs a multiple of a width");
    }

    void theOptionsStoreWhatThePlanDialogPreselects()
    {
        // Typed into the options (comment, first destination, between, and), where Enter ends them, and the
        // departure and destination index an earlier plan left. Then the options stored, the end code, the
        // departure and destination preselected, the indexes left for the next plan, any message.
        const struct {
            const char *comment, *first, *from, *until, *in;
            int remembered;
            const char* seen;
        } rows[] = {
            {"Winter\ndaily", "", "", "", "IDC_COMMENT", 0, "Winter\ndaily||| 0 00:00 EBBR 0 0"},
            {"", "  ed ", "23", "6", "IDC_QUIET_UNTIL", 0, "|ED|23|06 0 06:00 edaa 0 1"},
            {"", "l\u00E9", "", "06:30", "IDC_FIRST_DESTINATION", 0, "|L\u00C9||06:30 0 06:30 L\u00C9AB 6 7"},
            {"", "ZZ", "5", "23", "IDOK", 3, "|ZZ|5|23 0 23:00  60 -1"}, // quiet within the day
            {"", "", "x", "a", "IDC_QUIET_FROM", 3, "||x|0a 0  eddm -1 3"},
            {"", "", "", "", "IDOK", 4, "||| 0 00:20 EGLL 4 4"},
            {"", "", "1", "", "IDOK", 12, "||1| 0   12 12"},
            {"new", "KJ", "5", "7", "IDCANCEL", 0, "earlier|EG|23|06 2 06:00 EGLL 0 4"},
            {"", "\u2708", "", "", "IDOK", 0,
             "earlier|EG|23|06 -1 06:00 EGLL 0 4 Error: The character \"\u2708\" "
             "cannot be written to the flightplan!"},
        };
        for (const auto& row : rows) {
            PlannerState& s = State();
            s.comment = "earlier", s.firstDestination = "EG", s.quietFrom = "23", s.quietUntil = "06";
            s.departureIndex = s.destinationIndex = row.remembered;
            ModalScript script; // answers the message box
            COptionsDialog options(nullptr);
            options.setResult(-1);
            options.show();
            QVERIFY(QTest::qWaitForWindowActive(&options));
            QCOMPARE(QApplication::focusWidget()->objectName(), "IDC_COMMENT");
            const QStringList lines = QString(row.comment).split('\n');
            TypeInto(options, "IDC_COMMENT", lines.first());
            for (const QString& line : lines.mid(1)) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier); // a new line
                QTest::keyClicks(QApplication::focusWidget(), line);
            }
            TypeInto(options, "IDC_FIRST_DESTINATION", row.first);
            TypeInto(options, "IDC_QUIET_FROM", row.from);
            TypeInto(options, "IDC_QUIET_UNTIL", row.until);
            Control<QWidget>(options, row.in)->setFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);

            const QStringList messages = QStringList{""} + TakeMessages();
            WorkingFolder folder;
            OpenPlanDialog open(folder, Aircraft, Airports, s.comment);
            const std::string stored = s.comment + "|" + s.firstDestination + "|" + s.quietFrom + "|" + s.quietUntil;
            QCOMPARE(
                QString::asprintf("%s %d %s %s %d %d%s", qUtf8Printable(QString::fromLatin1(stored)), options.result(),
                                  qUtf8Printable(Selected(Control<OneLineList>(*open.dialog, "IDC_DEPARTURE_TIME"))),
                                  qUtf8Printable(Control<QLineEdit>(*open.dialog, "IDC_DESTINATION")->text()),
                                  s.departureIndex, s.destinationIndex, qUtf8Printable(messages.join(' '))),
                row.seen);
            QStringList lists{QApplication::focusWidget()->objectName()};
            for (const char* name : {"IDC_AIRCRAFT", "IDC_PERIOD", "IDC_FLIGHT_RULE", "IDC_TRAFFIC_LIMIT",
                                     "IDC_TIME_DIFFERENCE", "IDC_DAY_OF_WEEK"})
                lists << Selected(Control<OneLineList>(*open.dialog, name));
            QCOMPARE(lists, (QStringList{"IDC_AIRCRAFT", "EU,1,\"\u20AC\u0178\"", "24Hr", "IFR", "50", "0", "Sunday"}));
        }
    }

    void typingSelectsAndTheListWithTheFocusStandsOut()
    {
        WorkingFolder folder;
        OpenPlanDialog open(folder, Aircraft, Airports);
        // Keys typed into a control in turn ("|" a pause of over a second), then the list's selection if it was
        // drawn apart while the list had the focus, clearly lighter or darker than without it.
        QStringList seen;
        const auto lightness = [](OneLineList* list) { // right of the entry's text, clear of any focus frame
            return list->viewport()->grab().toImage().pixelColor(list->viewport()->width() - 6, 8).lightness();
        };
        for (const QString row :
             {"IDC_AIRCRAFT jex", "IDC_PERIOD 12", "IDC_PERIOD |w", "IDC_FLIGHT_RULE v", "IDC_TRAFFIC_LIMIT 1",
              "IDC_TRAFFIC_LIMIT 1", "IDC_ACCEPT_HEADER  ", "IDC_DEPARTURE_TIME 11", "IDC_TIME_DIFFERENCE -5",
              "IDC_DAY_OF_WEEK s", "IDC_DAY_OF_WEEK s", "IDC_DAY_OF_WEEK s", "IDC_DAY_OF_WEEK |th"}) {
            auto* control = Control<QWidget>(*open.dialog, qPrintable(row.section(' ', 0, 0)));
            control->setFocus();
            for (const QChar key : row.section(' ', 1))
                key == '|' ? QTest::qWait(1100) : QTest::keyClicks(control, key);
            auto* list = qobject_cast<OneLineList*>(control);
            const int focused = list ? lightness(list) : 0;
            control->clearFocus();
            if (list && std::abs(focused - lightness(list)) > 16)
                seen << Selected(list);
        }
        AcceptLeg(*open.dialog, {-1, -1, -1, "101", "350", "EDDF"});
        QCOMPARE(seen.join(' ') + PreviewText(*open.dialog),
                 "JET9,460,\"Zulu\" 12Hr WEEK VFR 10 100 11:00 -5 Sunday Saturday Sunday Thursday"
                 "\n\nJET9,,100%,WEEK,VFR,4/16:00,,350,F,101,EDDF");
    }

    void listsKeepTheirSelectionTheDestinationCompletesAndNothingIsCut()
    {
        WorkingFolder folder;
        OpenPlanDialog open(folder, Aircraft, Airports);
        auto* period = Control<OneLineList>(*open.dialog, "IDC_PERIOD");
        period->setFocus();
        QStringList seen;
        for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Down, Qt::Key_Down, Qt::Key_1, Qt::Key_Home}) {
            // Ctrl+Space and Ctrl+click would take the selection back; typing keys find nothing.
            QTest::keyClick(period, key, Qt::ControlModifier);
            QTest::mouseClick(period->viewport(), Qt::LeftButton, Qt::ControlModifier,
                              period->visualRect(period->currentIndex()).center());
            seen << Selected(period);
        }
        period->SetCurSel(-1); // as set-up may
        seen << Selected(period);
        QTest::keyClick(period, Qt::Key_Down);
        seen << Selected(period);
        QCOMPARE(seen, (QStringList{"24Hr", "WEEK", "WEEK", "WEEK", "1Hr", "", "1Hr"}));
        // Sorted as the flight rule list, without regard to case and equal ones in turn; in file order as the others.
        OneLineList rules(true), plain(false);
        QAbstractItemModelTester checked(plain.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        std::string texts;
        for (OneLineList* list : {&rules, &plain}) {
            list->AddStrings(std::vector<std::string>{"VFR", "ifr", "b"});
            list->AddStrings(EntryList{"IFR", "a"});
            for (int i = 0; i <= list->Count(); ++i)
                texts += list->GetText(i) + (i < list->Count() ? "," : "|");
        }
        QCOMPARE(texts, "a,b,ifr,IFR,VFR,|VFR,ifr,b,IFR,a,|");
        // Text for the display role only, and none for the row just past the end (an index of a longer list).
        const QVariant tip = plain.model()->index(0, 0).data(Qt::ToolTipRole);
        QVERIFY(!tip.isValid() && !plain.model()->data(period->model()->index(5, 0)).isValid());

        auto* box = Control<DestinationBox>(*open.dialog, "IDC_DESTINATION");
        box->setFocus();
        box->selectAll();
        seen.clear();
        for (const Qt::Key key : {Qt::Key_E, Qt::Key_D, Qt::Key_D, Qt::Key_Delete, Qt::Key_X, Qt::Key_Backspace,
                                  Qt::Key_Backspace, Qt::Key_Down, Qt::Key_Up}) {
            QTest::keyClick(box, key);
            seen << QStringLiteral("%1[%2] %3").arg(box->text(), box->selectedText()).arg(box->GetCurSel());
            if (seen.size() == 3)
                SaveScreenshot(*open.dialog, QStringLiteral("plan-dialog-completed-destination"));
        }
        for (int down = 0; down < 8; ++down) // past the last code, which stays
            QTest::keyClick(box, Qt::Key_Down);
        seen << QStringLiteral("%1 %2").arg(box->text()).arg(box->GetCurSel());
        seen << QString::fromLatin1(QByteArray::fromStdString(box->GetLBText(7) + box->GetLBText(8))); // none past it
        QCOMPARE(seen, (QStringList{"EBBR[BBR] 0", "edaa[aa] 1", "EDDF[F] 2", "EDD[] 2", "EDDx[] -1", "EDD[] 2",
                                    "ED[] 1", "EDDF[EDDF] 2", "edaa[edaa] 1", "L\u00C9AB 7", "L\u00C9AB"}));
        DestinationBox none; // an airport file without codes: the arrow keys select nothing
        QTest::keyClick(&none, Qt::Key_Down);
        QCOMPARE(none.GetCurSel(), -1);
        for (QWidget* control : {static_cast<QWidget*>(box), static_cast<QWidget*>(period)})
            QTest::keyClick(control, Qt::Key_Return); // presses OK, which refuses a plan without legs
        QCOMPARE(TakeMessages(), QStringList(2, "Only 1 Leg in Flightplan !"));

        const QString registration(100'000, QChar(0x0178)); // pasted whole, written whole, as byte 0x9F
        QApplication::clipboard()->setText(registration);
        Control<QLineEdit>(*open.dialog, "IDC_REGISTRATION")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        Click(*open.dialog, "IDC_ACCEPT_HEADER");
        AcceptExampleLegs(*open.dialog, false);
        Click(*open.dialog, "IDOK");
        QCOMPARE(ReadBytes(folder.Path("flightplanspersonal.txt")),
                 "\r\n\r\nEU," + std::string(100'000, '\x9F')
                     + ",50%,1Hr,IFR,04:30,,350,F,101,EDDF,22:15,,280,F,102,EGLL\r\n");
    }
};

QTEST_MAIN(PlanDialogSetupTest)
#include "test_plan_dialog_setup.moc"
