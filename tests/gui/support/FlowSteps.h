#pragma once
// Steps that answer the options and plan dialogs of a Start.

#include "GuiTestSupport.h"
#include "PlanDriving.h"

#include <QPlainTextEdit>
#include <QTest>

// Types the comment and ends the options dialog with Enter, which presses OK.
inline ModalScript::Step OptionsOk(const QString& comment = {})
{
    return [comment](QDialog& dialog) {
        auto* edit = dialog.findChild<QPlainTextEdit*>(QStringLiteral("IDC_COMMENT"));
        QVERIFY(edit);
        edit->setFocus();
        QTest::keyClicks(edit, comment);
        QTest::keyClick(edit, Qt::Key_Return);
    };
}

// The worked example's header and two legs, then OK.
inline ModalScript::Step ExamplePlanOk(bool week)
{
    return [week](QDialog& dialog) {
        AcceptExampleHeader(dialog, week ? 7 : 6);
        AcceptExampleLegs(dialog, week);
        Click(dialog, "IDOK");
    };
}
