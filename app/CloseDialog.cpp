#include "app/CloseDialog.h"

#include "res/DialogTemplates.h"

#include <QPushButton>

CCloseDialog::CCloseDialog(QWidget* owner)
    : ModalDialog(CloseDialogTemplate(), owner)
{
    connect(Item<QPushButton>(IDOK), &QPushButton::clicked, this, &QDialog::accept);
    connect(Item<QPushButton>(IDCANCEL), &QPushButton::clicked, this, &QDialog::reject);
}
