#pragma once

#include "GuiTestSupport.h"
#include "PlanDriving.h"

#include <QTest>

// Types the comment and ends the options dialog with Enter, which presses OK.
inline ModalScript::Step OptionsOk(const QString& text = {})
{
    return [text](QDialog& d) { TypeInto(d, "IDC_COMMENT", text), QTest::keyClick(d.focusWidget(), Qt::Key_Return); };
}

// The worked example's header and two legs, then OK.
inline ModalScript::Step ExamplePlanOk(bool week)
{
    return [week](QDialog& d) { AcceptExampleHeader(d, week ? 7 : 6), AcceptExampleLegs(d, week), Click(d, "IDOK"); };
}
