#pragma once

#include "app/ModalDialog.h"

// "Close Program ?" with OK and Cancel.
class CCloseDialog : public ModalDialog {
public:
    explicit CCloseDialog(QWidget* owner);
};
