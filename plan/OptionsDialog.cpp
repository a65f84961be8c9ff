#include "plan/OptionsDialog.h"

#include "app/Controls.h"
#include "app/PlannerState.h"
#include "app/Windows1252.h"
#include "plan/Composition.h"
#include "res/DialogTemplates.h"

#include <QLineEdit>
#include <QPushButton>

COptionsDialog::COptionsDialog(QWidget* owner)
    : ModalDialog(OptionsDialogTemplate(), owner)
{
    connect(Item<QPushButton>(IDOK), &QPushButton::clicked, this, &COptionsDialog::OnOK);
    connect(Item<QPushButton>(IDCANCEL), &QPushButton::clicked, this, &QDialog::reject);
    Item<QWidget>(IDC_COMMENT)->setFocus();
}

void COptionsDialog::OnOK()
{
    const QString texts[] = {
        Item<MultiLineEdit>(IDC_COMMENT)->toPlainText(),
        Item<QLineEdit>(IDC_FIRST_DESTINATION)->text(),
        Item<QLineEdit>(IDC_QUIET_FROM)->text(),
        Item<QLineEdit>(IDC_QUIET_UNTIL)->text(),
    };
    std::string bytes[4];
    for (int i = 0; i < 4; ++i) {
        QString refused;
        const std::optional<std::string> encoded = ToWindows1252(texts[i], &refused);
        if (!encoded) {
            Platform::ShowMessage(
                this, QStringLiteral("Error: The character \"%1\" cannot be written to the flightplan!").arg(refused));
            return;
        }
        bytes[i] = *encoded;
    }
    const OptionValues values = NormaliseOptions(bytes[0], bytes[1], bytes[2], bytes[3]);
    PlannerState& state = State();
    state.firstDestination = values.firstDestination;
    state.comment = values.comment;
    state.quietFrom = values.quietFrom;
    state.quietUntil = values.quietUntil;
    done(0);
}
